// The screen saver's switch and wait, read and written where Windows keeps them.
#include "settings/saverpage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/regstore.h"
#include "tests/support/private_config.h"

namespace {

struct WaitCase {
  const char* text;
  int seconds;
  bool told;
};

TEST(SaverWait, SecondsWithinThePagesRangeAndSaneValuesForTheRest) {
  const WaitCase cases[] = {
      {"600", 600, false},        {" 30\t", 30, false},    {"+60", 60, false},
      {"1", 1, false},  // below a minute: a hand edit's, kept
      {"599940", 599940, false},  // 9999 minutes, the page's largest
      {"599941", 599940, true},   {"99999999999999999999999", 599940, true},
      {"0", 600, true},           {"-5", 600, true},       {"-99999999999999999999", 600, true},
      {"abc", 600, true},         {"", 600, true},         {"10m", 600, true},
      {"6 0", 600, true},         {"-", 600, true},
  };
  for (const WaitCase& c : cases) {
    std::string complaint;
    EXPECT_EQ(ParseSaverWait(c.text, &complaint), c.seconds) << '"' << c.text << '"';
    EXPECT_EQ(!complaint.empty(), c.told) << '"' << c.text << "\": " << complaint;
    if (c.told) {
      EXPECT_NE(complaint.find("ScreenSaveTimeOut \"" + std::string(c.text) + "\""), std::string::npos);
    }
  }
  std::string complaint;
  ParseSaverWait("-5", &complaint);
  EXPECT_NE(complaint.find("600"), std::string::npos) << "says what it uses instead: " << complaint;
  complaint.clear();
  ParseSaverWait("line\nbreak", &complaint);
  EXPECT_EQ(complaint.find('\n'), std::string::npos) << "one line whatever the value holds";
  complaint.clear();
  ParseSaverWait(std::string(5000, 'x'), &complaint);
  EXPECT_LT(complaint.size(), 200u) << "a short one";
}

TEST(SaverWait, SwitchIsOnForEveryNumberButZero) {
  std::string complaint;
  EXPECT_TRUE(ParseSaverActive("1", &complaint));
  EXPECT_TRUE(ParseSaverActive(" 1 ", &complaint));
  EXPECT_TRUE(ParseSaverActive("2", &complaint));
  EXPECT_FALSE(ParseSaverActive("0", &complaint));
  EXPECT_TRUE(complaint.empty()) << complaint;
  EXPECT_FALSE(ParseSaverActive("yes", &complaint));
  EXPECT_FALSE(complaint.empty());
}

TEST(SaverWait, MinutesAsThePageShowsThem) {
  EXPECT_EQ(SaverWaitMinutes(5), 1);
  EXPECT_EQ(SaverWaitMinutes(60), 1);
  EXPECT_EQ(SaverWaitMinutes(61), 2);
  EXPECT_EQ(SaverWaitMinutes(600), 10);
  EXPECT_EQ(SaverWaitMinutes(599940), 9999);
  EXPECT_EQ(SaverWaitMinutes(0), 1);
}

class SaverPageStore : public ::testing::Test {
 protected:
  kiru_test::PrivateConfig config;
  void Store(const char* name, const plat::RegData& data) {
    ASSERT_TRUE(plat::RegStoreSet(plat::RegRoot::CurrentUser, DESKTOP_KEY, name, data));
  }
  std::string Text(const char* name) {
    plat::RegData data;
    std::string text;
    if (!plat::RegStoreGet(plat::RegRoot::CurrentUser, DESKTOP_KEY, name, &data)) return "<missing>";
    return data.type == plat::REG_SZ && data.AsString(&text) ? text : "<not a string>";
  }
};

TEST_F(SaverPageStore, OffWhenAbsentAndReadingWritesNothing) {
  SaverPage page = ReadSaverPage();
  EXPECT_FALSE(page.active);
  EXPECT_EQ(page.waitSeconds, 600);
  EXPECT_FALSE(page.waitStored);
  EXPECT_TRUE(page.complaint.empty());
#ifndef _WIN32
  EXPECT_FALSE(std::filesystem::exists(config.UserHive())) << "a watcher's reading must not write what it watches";
#endif
}

TEST_F(SaverPageStore, StringsAsWindowsStoresThemAndDwordsFromHandEdits) {
  Store("ScreenSaveActive", plat::RegData::String("1"));
  Store("ScreenSaveTimeOut", plat::RegData::String("300"));
  SaverPage page = ReadSaverPage();
  EXPECT_TRUE(page.active);
  EXPECT_EQ(page.waitSeconds, 300);
  EXPECT_TRUE(page.waitStored);

  Store("ScreenSaveActive", plat::RegData::Dword(0));
  Store("ScreenSaveTimeOut", plat::RegData::Dword(90));
  page = ReadSaverPage();
  EXPECT_FALSE(page.active);
  EXPECT_EQ(page.waitSeconds, 90);
}

TEST_F(SaverPageStore, BothDamagedGiveALineEachAndTheDefaults) {
  Store("ScreenSaveActive", plat::RegData::String("on"));
  Store("ScreenSaveTimeOut", plat::RegData::String("-60"));
  SaverPage page = ReadSaverPage();
  EXPECT_FALSE(page.active);
  EXPECT_EQ(page.waitSeconds, 600);
  EXPECT_FALSE(page.waitStored);
  EXPECT_NE(page.complaint.find("ScreenSaveActive \"on\""), std::string::npos) << page.complaint;
  EXPECT_NE(page.complaint.find("\nScreenSaveTimeOut \"-60\""), std::string::npos) << page.complaint;
}

TEST_F(SaverPageStore, WritesOnlyWhatIsGivenAsStrings) {
  Store("ScreenSaveTimeOut", plat::RegData::String("45"));
  ASSERT_TRUE(WriteSaverPage(true, std::nullopt));
  EXPECT_EQ(Text("ScreenSaveActive"), "1");
  EXPECT_EQ(Text("ScreenSaveTimeOut"), "45");
  ASSERT_TRUE(WriteSaverPage(false, 1200));
  EXPECT_EQ(Text("ScreenSaveActive"), "0");
  EXPECT_EQ(Text("ScreenSaveTimeOut"), "1200");
}

}  // namespace
