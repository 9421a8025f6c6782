#include "shell/cmdline.h"

#include <gtest/gtest.h>

#include <string>

TEST(ParseWindowHandle, ReadsLeadingDecimalDigitsOnly) {
  EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
  EXPECT_EQ(ParseWindowHandle("12ab"), 12u);
  EXPECT_EQ(ParseWindowHandle(":1234"), 0u);
  EXPECT_EQ(ParseWindowHandle(" 1234"), 0u);
  EXPECT_EQ(ParseWindowHandle(""), 0u);
  EXPECT_EQ(ParseWindowHandle("0x1a"), 0u);
}

TEST(ParseWindowHandle, WrapsInThirtyTwoBits) {
  EXPECT_EQ(ParseWindowHandle("4294967295"), 4294967295u);
  EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
  EXPECT_EQ(ParseWindowHandle("4294967297"), 1u);
}

TEST(ParseNativeId, TakesWholeDecimalOrHexWords) {
  EXPECT_EQ(ParseNativeId("1234"), 1234ul);
  EXPECT_EQ(ParseNativeId("0x1a00007"), 0x1a00007ul);
  EXPECT_EQ(ParseNativeId("0X1A"), 0x1aul);
  EXPECT_EQ(ParseNativeId("12ab"), 0ul);
  EXPECT_EQ(ParseNativeId("0x"), 0ul);
  EXPECT_EQ(ParseNativeId("-5"), 0ul);
  EXPECT_EQ(ParseNativeId(" 5"), 0ul);
  EXPECT_EQ(ParseNativeId(""), 0ul);
  EXPECT_EQ(ParseNativeId(nullptr), 0ul);
  EXPECT_EQ(ParseNativeId("0x100000000"), 0ul);
  EXPECT_EQ(ParseNativeId("99999999999999999999999"), 0ul);
}

TEST(CommandLine, ProgramNameIsSkippedWithTheBlanksAfterIt) {
  EXPECT_STREQ(SkipProgramName("kiru /s"), "/s");
  EXPECT_STREQ(SkipProgramName("\"/opt/my saver/kiru\"   /p 12"), "/p 12");
  EXPECT_STREQ(SkipProgramName("\"/opt/my saver/kiru\"/s"), "/s");
  EXPECT_STREQ(SkipProgramName("\"unterminated /s"), "");
  EXPECT_STREQ(SkipProgramName("kiru\t\x01 /c"), "/c");
  EXPECT_STREQ(SkipProgramName("k\xc3\xa9ru /s"), "/s");  // bytes from 0x80 belong to the name
  EXPECT_STREQ(SkipProgramName("kiru"), "");
  EXPECT_STREQ(SkipProgramName(""), "");
}

TEST(CommandLine, ArgvIsJoinedTheWayWin32WouldPassIt) {
  const char* spaced[] = {"/opt/my saver/kiru", "/p", "1234"};
  std::string line = JoinCommandLine(3, spaced);
  EXPECT_EQ(line, "\"/opt/my saver/kiru\" /p 1234");
  EXPECT_STREQ(SkipProgramName(line.c_str()), "/p 1234");

  const char* plain[] = {"kiru"};
  EXPECT_EQ(JoinCommandLine(1, plain), "kiru");
  EXPECT_STREQ(SkipProgramName(JoinCommandLine(1, plain).c_str()), "");

  const char* leadingBlank[] = {"kiru", " /s"};
  EXPECT_STREQ(SkipProgramName(JoinCommandLine(2, leadingBlank).c_str()), "/s");
  EXPECT_EQ(JoinCommandLine(0, nullptr), "");
}

TEST(HackFlags, WholeWordsWithOneOrTwoDashes) {
  EXPECT_EQ(ParseHackFlags("-root").host, HackFlags::Host::Root);
  EXPECT_EQ(ParseHackFlags("--root").host, HackFlags::Host::Root);
  EXPECT_EQ(ParseHackFlags("-window").host, HackFlags::Host::Window);
  EXPECT_EQ(ParseHackFlags("-rootx").host, HackFlags::Host::None);
  EXPECT_EQ(ParseHackFlags("/root").host, HackFlags::Host::None);
  EXPECT_EQ(ParseHackFlags("---root").host, HackFlags::Host::None);
  EXPECT_EQ(ParseHackFlags("-s").host, HackFlags::Host::None);
  EXPECT_EQ(ParseHackFlags("/p 1234").host, HackFlags::Host::None);
  EXPECT_EQ(ParseHackFlags("").host, HackFlags::Host::None);
}

TEST(HackFlags, WindowIdTakesTheNextWord) {
  HackFlags flags = ParseHackFlags("--window-id 0x2a");
  EXPECT_EQ(flags.host, HackFlags::Host::WindowId);
  EXPECT_EQ(flags.windowId, 0x2aul);
  EXPECT_EQ(ParseHackFlags("-window-id 42").windowId, 42ul);
  EXPECT_EQ(ParseHackFlags("-window-id").windowId, 0ul);
  EXPECT_EQ(ParseHackFlags("-window-id x42").windowId, 0ul);
}

TEST(HackFlags, OtherXScreenSaverFlagsAreIgnoredWithTheirValues) {
  HackFlags flags = ParseHackFlags("-install -visual -root -fps --root");
  EXPECT_EQ(flags.host, HackFlags::Host::Root);  // "-root" after -visual was its value
  EXPECT_TRUE(flags.fps);
  EXPECT_EQ(ParseHackFlags("-visual -root").host, HackFlags::Host::None);
  EXPECT_EQ(ParseHackFlags("-root -window").host, HackFlags::Host::Window);  // last wins
  EXPECT_TRUE(ParseHackFlags("--root --settings").settings);
  EXPECT_TRUE(ParseHackFlags("--watch").watch);
  EXPECT_TRUE(ParseHackFlags("-watch").watch);
  EXPECT_FALSE(ParseHackFlags("--watcher").watch);
  EXPECT_FALSE(ParseHackFlags("-display --watch").watch);  // the display's name
}
