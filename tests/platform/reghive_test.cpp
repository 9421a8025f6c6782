#include <gtest/gtest.h>

#include "platform/reghive.h"
#include "tests/support/private_config.h"

using namespace plat;
using kiru_test::Utf16;

namespace {

constexpr const char* KEY = "HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru";

std::int32_t Dword(const RegHive& hive, const char* key, const char* name, std::int32_t fallback = -1) {
  RegData d;
  std::int32_t v;
  return hive.Get(key, name, &d) && d.AsDword(&v) ? v : fallback;
}

std::string Str(const RegHive& hive, const char* key, const char* name) {
  RegData d;
  std::string s;
  return hive.Get(key, name, &d) && d.AsString(&s) ? s : "<missing>";
}

}  // namespace

TEST(RegHive, NewHiveIsWrittenInRegeditForm) {
  RegHive hive;
  hive.Set(KEY, "mod1 depth", RegData::Dword(5000));
  hive.Set(KEY, "mod5 xrot", RegData::Dword(-15769));
  hive.Set(KEY, "say", RegData::String("a \"quoted\" C:\\path"));
  hive.Set(KEY, "", RegData::String("default"));
  EXPECT_EQ(hive.Text(),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n"
            "\"mod1 depth\"=dword:00001388\n"
            "\"mod5 xrot\"=dword:ffffc267\n"
            "\"say\"=\"a \\\"quoted\\\" C:\\\\path\"\n"
            "@=\"default\"\n");
  RegHive back = RegHive::Parse(hive.Text());
  EXPECT_EQ(Dword(back, KEY, "mod5 xrot"), -15769);
  EXPECT_EQ(Dword(back, KEY, "MOD1 DEPTH"), 5000);  // names ignore case, as the registry's do
  EXPECT_EQ(Str(back, "hkey_current_user\\software\\quillmoor\\kiru", "say"), "a \"quoted\" C:\\path");
  EXPECT_EQ(Str(back, KEY, ""), "default");
}

TEST(RegHive, UntouchedTextComesBackByteForByte) {
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "\"blob\"=hex:01,02,03,\\\r\n"
      "  04,05\r\n"
      "\"multi\"=hex(7):61,00,00,00\r\n"
      "what is this line\r\n"
      "\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\r\n"
      "\"a\"=dword:00000001";  // no final line break
  RegHive hive = RegHive::Parse(text);
  EXPECT_EQ(hive.Text(), text);

  RegData blob;
  ASSERT_TRUE(hive.Get("HKEY_CURRENT_USER\\Software\\Other", "blob", &blob));
  EXPECT_EQ(blob.type, REG_BINARY);
  EXPECT_EQ(blob.bytes, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  RegData multi;
  ASSERT_TRUE(hive.Get("HKEY_CURRENT_USER\\Software\\Other", "multi", &multi));
  EXPECT_EQ(multi.type, 7u);

  // Changing one value rewrites only its line, in the file's own line endings.
  hive.Set(KEY, "a", RegData::Dword(2));
  hive.Set(KEY, "b", RegData::Dword(3));
  hive.Set("HKEY_CURRENT_USER\\Software\\Other", "c", RegData::Dword(4));
  std::string expect = text;
  expect.replace(expect.find("\"a\"=dword:00000001"), std::string::npos,
                 "\"a\"=dword:00000002\r\n\"b\"=dword:00000003\r\n");
  expect.insert(expect.find("what is this line"), "\"c\"=dword:00000004\r\n");
  EXPECT_EQ(hive.Text(), expect);
}

TEST(RegHive, MalformedPartsReadAsMissingAndTheRestIsKept) {
  const std::string text =
      "REGEDIT4\n\n"
      "\x01\x02 garbage \xff\n"
      "\"orphan\"=dword:00000005\n"  // before any key
      "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n"
      "\"good\"=dword:0000000f\n"
      "\"text\"=\"words\"\n"
      "\"long\"=hex(4):01,00,00,00,00\n"
      "\"short\"=hex(4):01,00\n"
      "\"le\"=hex(4):10,00,00,00\n"
      "\"toolong\"=dword:123456789\n"
      "\"nothex\"=dword:xyz\n"
      "\"open\"=\"no end\n"
      "\"deleted\"=-\n"
      "\"noequals\" dword:1\n"
      "\"unterminated name=dword:00000001\n"
      "=\n"
      "[HKEY_CURRENT_USER\\Software\\Trunc\n"
      "\"lost\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n"
      "\"later\"=dword:0000";
  RegHive hive = RegHive::Parse(text);
  EXPECT_EQ(hive.Text(), text);
  EXPECT_EQ(Dword(hive, KEY, "good"), 15);
  EXPECT_EQ(Dword(hive, KEY, "le"), 16);
  EXPECT_EQ(Dword(hive, KEY, "later"), 0);  // regedit reads short hex as a number too
  for (const char* name : {"orphan", "text", "long", "short", "toolong", "nothex", "open", "deleted",
                           "noequals", "lost"})
    EXPECT_EQ(Dword(hive, KEY, name), -1) << name;
  EXPECT_EQ(Str(hive, KEY, "text"), "words");
  EXPECT_FALSE(hive.HasKey("HKEY_CURRENT_USER\\Software\\Trunc"));
}

TEST(RegHive, LastLineOfAValueDecidesAndIsTheOneReplaced) {
  RegHive hive = RegHive::Parse(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000001\n\n"
      "[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000002\n");
  EXPECT_EQ(Dword(hive, "HKEY_CURRENT_USER\\K", "v"), 2);
  hive.Set("HKEY_CURRENT_USER\\K", "v", RegData::Dword(3));
  EXPECT_EQ(Dword(hive, "HKEY_CURRENT_USER\\K", "v"), 3);
  EXPECT_EQ(Dword(RegHive::Parse(hive.Text()), "HKEY_CURRENT_USER\\K", "v"), 3);
}

TEST(RegHive, KeysExistThroughTheirSubkeysAndAreAddedOnce) {
  RegHive hive = RegHive::Parse("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\HTTP\\shell\\open\\command]\n@=\"x %1\"\n");
  EXPECT_TRUE(hive.HasKey("HKEY_CLASSES_ROOT\\HTTP"));
  EXPECT_FALSE(hive.AddKey("HKEY_CLASSES_ROOT\\HTTP\\shell"));
  EXPECT_FALSE(hive.HasKey("HKEY_CLASSES_ROOT\\HTT"));
  EXPECT_TRUE(hive.AddKey("HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Kiru"));
  EXPECT_FALSE(hive.AddKey("HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Kiru"));
  EXPECT_EQ(hive.Text(),
            "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\HTTP\\shell\\open\\command]\n@=\"x %1\"\n"
            "\n[HKEY_LOCAL_MACHINE\\Software\\Quillmoor\\Kiru]\n");
}

TEST(RegHive, StringsThatCannotBeQuotedRoundTripAsHex) {
  RegHive hive;
  hive.Set(KEY, "lines", RegData::String("one\ntwo\r"));
  RegHive back = RegHive::Parse(hive.Text());
  EXPECT_EQ(Str(back, KEY, "lines"), "one\ntwo\r");
  EXPECT_EQ(back.Values().size(), 1u);
}

TEST(RegHive, AUtf8MarkBeforeTheFirstKeyIsNoPartOfIt) {
  const std::string bom = "\xef\xbb\xbf";
  for (std::string head : {"", "REGEDIT4\n\n"}) {
    const std::string text = bom + head + "[" + KEY + "]\n\"mod1 depth\"=dword:00001770\n";
    RegHive hive = RegHive::Parse(text);
    EXPECT_EQ(Dword(hive, KEY, "mod1 depth"), 6000) << head;
    hive.Set(KEY, "mod1 depth", RegData::Dword(5000));
    EXPECT_EQ(hive.Text(), bom + head + "[" + KEY + "]\n\"mod1 depth\"=dword:00001388\n") << head;
  }
  RegHive bare = RegHive::Parse(bom);
  bare.Set(KEY, "a", RegData::Dword(1));
  EXPECT_EQ(bare.Text(), bom + "REGEDIT4\n\n[" + KEY + "]\n\"a\"=dword:00000001\n");
}

TEST(RegHive, UnicodeExportsAreReadAndWrittenBackInTheirEncoding) {
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[" + std::string(KEY) + "]\r\n";
  // "cafe" with an e acute, a character beyond the first plane (a surrogate pair),
  // and a lone surrogate, which no conversion may lose.
  const std::string text = Utf16(head + "\"mod1 depth\"=dword:00001770\r\n\"cafe\"=\"caf") +
                           std::string("\xe9\x00\x3d\xd8\x00\xde\x00\xdc", 8) +
                           Utf16("\"\r\n\"where\"=\"C:\\\\Program Files\"\r\n").substr(2);
  RegHive hive = RegHive::Parse(text);
  EXPECT_EQ(hive.Text(), text);
  EXPECT_EQ(Dword(hive, KEY, "mod1 depth"), 6000);
  EXPECT_EQ(Str(hive, KEY, "where"), "C:\\Program Files");
  EXPECT_EQ(Str(hive, KEY, "cafe"), "caf\xc3\xa9\xf0\x9f\x98\x80\xed\xb0\x80");

  hive.Set(KEY, "mod1 depth", RegData::Dword(5000));
  hive.Set(KEY, "new", RegData::Dword(1));
  std::string expect = text;
  expect.replace(expect.find(Utf16("1770").substr(2)), 8, Utf16("1388").substr(2));
  expect += Utf16("\"new\"=dword:00000001\r\n").substr(2);
  EXPECT_EQ(hive.Text(), expect);

  // An empty Unicode file gets the Unicode header; a stray odd byte stays at the end.
  RegHive empty = RegHive::Parse("\xff\xfe" "x");
  empty.Set(KEY, "a", RegData::Dword(1));
  EXPECT_EQ(empty.Text(), Utf16(head + "\"a\"=dword:00000001\r\n") + "x");
}
