#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include "platform/headless/headless_dialog.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "tests/ui/dialog_env.h"
#include "tests/support/wait.h"
#include "ui/about.h"
#include "ui/dialog_templates.h"

using kiru_test::g_launched;
using Argv = std::vector<std::string>;

namespace {

class WebLink : public testing::Test {
 protected:
  kiru_test::TempHome home;

  void SetBrowserCommand(const char* command) {
    plat::RegStoreSet(plat::RegRoot::ClassesRoot, "HTTP\\shell\\open\\command", "",
                      plat::RegData::String(command));
  }
  Argv Open(const char* link) {
    std::string text = link;
    EXPECT_TRUE(OpenWebLink(text.data()));
    return g_launched.empty() ? Argv{} : g_launched.back();
  }
};

TEST_F(WebLink, QuotedPathWithOptionsAndQuotedPlaceholderInAnyCase) {
  SetBrowserCommand("\"C:\\Program Files\\Web\\Browse.EXE\" -NoHome -Url \"%1\"");
  EXPECT_EQ(Open("-new https://Example.ORG/Kiru/"),
            (Argv{"c:\\program files\\web\\browse.exe", "-nohome", "-url", "https://example.org/kiru/"}));
}

TEST_F(WebLink, OptionsAfterThePlaceholderAreDropped) {
  SetBrowserCommand("\"C:\\Web\\b.exe\" \"%1\" -extra -more");
  EXPECT_EQ(Open("-new https://savetibet.org/"), (Argv{"c:\\web\\b.exe", "https://savetibet.org/"}));
}

TEST_F(WebLink, UnquotedPathKeepsAnUnquotedPlaceholder) {
  SetBrowserCommand("c:\\web\\b.exe %1");
  EXPECT_EQ(Open("-new https://savetibet.org/"), (Argv{"c:\\web\\b.exe", "%1", "https://savetibet.org/"}));
}

TEST_F(WebLink, QuotedPathAloneGetsTheAddressAlone) {
  SetBrowserCommand("\"c:\\web\\b.exe\"");
  EXPECT_EQ(Open("-new https://savetibet.org/"), (Argv{"c:\\web\\b.exe", "https://savetibet.org/"}));
}

TEST_F(WebLink, WithoutABrowserOfItsOwnTheDesktopOpenerTakesTheAddress) {
  const Argv opener = {"xdg-open", "https://www.tibetsociety.com/"};
  EXPECT_EQ(Open("-new https://www.TibetSociety.com/"), opener);  // nothing recorded
  SetBrowserCommand("\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\" -nohome");
  EXPECT_EQ(Open("-new https://www.tibetsociety.com/"), opener);
  SetBrowserCommand("firefox %1");
  EXPECT_EQ(Open("-new https://www.tibetsociety.com/"), opener);
}

TEST_F(WebLink, TheProgramsOwnKeyIsSelectedAgainAfterwards) {
  SelectRegKey(0, KIRU_KEY);
  Open(LINK_KIRU_PAGE);
  RegWriteDword("cycle time", 42);
  plat::RegData data;
  std::int32_t value = 0;
  ASSERT_TRUE(plat::RegStoreGet(plat::RegRoot::CurrentUser, KIRU_KEY, "cycle time", &data));
  ASSERT_TRUE(data.AsDword(&value));
  EXPECT_EQ(value, 42);
}

TEST_F(WebLink, TextWithoutAnAddressStartsNothing) {
  std::string text = "-new ftp://example.org/";
  EXPECT_FALSE(OpenWebLink(text.data()));
  EXPECT_TRUE(g_launched.empty());
}

TEST_F(WebLink, AboutDialogLinksOpenAndTheDialogStaysUntilOk) {
  plat::headless::SetModalHookForTesting([](plat::HWND dialog, int) {
    for (int id : {IDC_LINK_WEB_SITE, IDC_LINK_EMAIL, IDC_LINK_ICT, IDC_LINK_TIBET_SOCIETY, plat::IDOK})
      plat::headless::ClickForTesting(dialog, id);
  });
  ShowAboutDialog(0);
  plat::headless::SetModalHookForTesting(nullptr);
  ASSERT_EQ(g_launched.size(), 4u);
  EXPECT_EQ(g_launched[0], (Argv{"xdg-open", "https://quillmoor.example/kiru/"}));
  EXPECT_EQ(g_launched[1], (Argv{"xdg-open", "mailto:kiru@quillmoor.example?subject=Kiru"}));
  EXPECT_EQ(g_launched[2], (Argv{"xdg-open", "https://savetibet.org/"}));
  EXPECT_EQ(g_launched[3], (Argv{"xdg-open", "https://www.tibetsociety.com/"}));
}

#ifndef _WIN32  // the stand-in browser is a shell script
// The real launcher: a browser command full of shell syntax starts the named
// program with those characters as plain words, and nothing else runs.
TEST_F(WebLink, ShellSyntaxInTheCommandRunsNothingButTheProgram) {
  plat::SetLauncherForTesting(nullptr);
  std::string dir = "/tmp/kiru-weblink-" + std::to_string(getpid());  // lower case: the path is lowered
  std::filesystem::create_directories(dir);
  std::string program = dir + "/fake.exe";
  {
    std::ofstream script(program);
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " << dir << "/args.tmp\n"
           << "mv " << dir << "/args.tmp " << dir << "/args\n";
  }
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  SetBrowserCommand(("\"" + program + "\" -x $(touch " + dir + "/pwned) ; touch " + dir +
                     "/pwned2 | `id` \"%1\"").c_str());
  std::string text = "-new https://savetibet.org/?a=1&b=2;rm";
  EXPECT_TRUE(OpenWebLink(text.data()));

  kiru_test::WaitUntil([&] { return std::filesystem::exists(dir + "/args"); }, 10000, 20);
  std::ifstream in(dir + "/args");
  Argv words;
  for (std::string line; std::getline(in, line);) words.push_back(line);
  EXPECT_EQ(words, (Argv{"-x", "$(touch", dir + "/pwned)", ";", "touch", dir + "/pwned2", "|", "`id`",
                         "https://savetibet.org/?a=1&b=2;rm"}));
  EXPECT_FALSE(std::filesystem::exists(dir + "/pwned"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/pwned2"));
  std::filesystem::remove_all(dir);
}
#endif

}  // namespace
