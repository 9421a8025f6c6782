#include <gtest/gtest.h>

#include "platform/headless/dialog.h"
#include "platform/headless/headless.h"
#include "platform/regstore.h"
#include "platform/runonce.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "shell/saverstate.h"
#include "ui/warning.h"
#include "tests/ui/dialog_env.h"
#include "ui/dialog_templates.h"
#include "ui/warning.h"

using kiru_test::g_launched;

namespace {

constexpr const char* RUNONCE = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string MachineString(const char* key, const char* name) {
  plat::RegData data;
  std::string text;
  if (!plat::RegStoreGet(plat::RegRoot::LocalMachine, key, name, &data) || !data.AsString(&text))
    return "<missing>";
  return text;
}

void SetMachineString(const char* key, const char* name, const char* text) {
  ASSERT_TRUE(plat::RegStoreSet(plat::RegRoot::LocalMachine, key, name, plat::RegData::String(text)));
}

class Warning : public testing::Test {
 protected:
  kiru_test::TempHome home;
  std::string title;
  bool clippedWhileOpen = false;

  void SetUp() override {
    plat::headless::ResetForTesting();
    ResetRunStateForTesting();
    g_bNoFrameWarn = false;
    g_bWarningShown = false;
    plat::SetSystemRunsRunOnceForTesting(true);  // as on Windows, unless a test says otherwise
  }
  void TearDown() override {
    plat::headless::SetModalHookForTesting(nullptr);
    plat::SetSystemRunsRunOnceForTesting(false);
  }

  // Opens the warning, clicks the given controls in order and returns after it closed.
  void Run(std::vector<int> clicks) {
    plat::headless::SetModalHookForTesting([this, clicks](plat::HWND dialog, int) {
      title = plat::headless::WindowTitle(dialog);
      clippedWhileOpen = plat::headless::CursorClipped();
      for (int id : clicks) plat::headless::ClickForTesting(dialog, id);
    });
    ShowHardwareWarning(0);
  }
};

TEST_F(Warning, CaptionCarriesTheRoundedRate) {
  g_fMeasuredFps = 7.4f;
  Run({plat::IDOK});
  EXPECT_EQ(title, "Video Hardware Warning -- frames per second: 7");
  EXPECT_TRUE(clippedWhileOpen);
  EXPECT_FALSE(plat::headless::CursorClipped());
  EXPECT_TRUE(g_bWarningShown);
}

TEST_F(Warning, ContinueWithTheBoxTickedSwitchesTheWarningOff) {
  g_bKeepRunning = false;
  Run({IDC_DISABLE_WARNING, plat::IDOK});
  EXPECT_TRUE(g_bKeepRunning);
  EXPECT_TRUE(g_bNoFrameWarn);
  SelectRegKey(0, KIRU_KEY);
  EXPECT_EQ(RegReadDword("disable_frame_warn", 0), 1);
}

TEST_F(Warning, ContinueWithoutTheBoxWritesNothing) {
  Run({plat::IDOK});
  EXPECT_TRUE(g_bKeepRunning);
  EXPECT_FALSE(g_bNoFrameWarn);
  SelectRegKey(0, KIRU_KEY);
  EXPECT_EQ(RegReadDword("disable_frame_warn", -1), -1);
}

TEST_F(Warning, CloseThisWindowStopsTheSaver) {
  Run({IDC_DISABLE_WARNING, plat::IDCANCEL});
  EXPECT_FALSE(g_bKeepRunning);
  EXPECT_FALSE(g_bNoFrameWarn);
  EXPECT_FALSE(plat::headless::CursorClipped());
}

TEST_F(Warning, DownloadAndRemoveLeaveTheDialogOpen) {
  SetMachineString(KIRU_KEY, "install_dir", "C:\\Program Files\\Kiru");
  Run({IDC_DOWNLOAD_PELLOR, IDC_REMOVE_KIRU, plat::IDOK});
  ASSERT_EQ(g_launched.size(), 1u);
  EXPECT_EQ(g_launched[0], (std::vector<std::string>{"xdg-open", "https://quillmoor.example/pellor/"}));
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "C:\\Program Files\\Kiru\\uninstal.exe");
  EXPECT_TRUE(g_bKeepRunning);  // ended by Continue, after both
}

TEST_F(Warning, RemovalTakesTheFirstFreeName) {
  SetMachineString(KIRU_KEY, "install_dir", "/opt/kiru");
  SetMachineString(RUNONCE, "kill_saver", "one");
  SetMachineString(RUNONCE, "kill_saver1", "two");
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver2"), "/opt/kiru\\uninstal.exe");
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "one");
  ASSERT_EQ(home.Boxes().size(), 1u);
  EXPECT_EQ(home.Boxes()[0].text, "This Screen saver will be removed\nthe next time you start Windows.");
  EXPECT_EQ(home.Boxes()[0].caption, "Screen saver will be removed.");
  // The program's own key is selected again.
  RegWriteDword("cycle time", 5);
  SelectRegKey(0, KIRU_KEY);
  EXPECT_EQ(RegReadDword("cycle time", 0), 5);
}

TEST_F(Warning, AnEmptyNameIsReusedAndTwoRemovalsTakeTwoNames) {
  SetMachineString(RUNONCE, "kill_saver", "");
  ScheduleRemoval(0);
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "\\uninstal.exe");
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver1"), "\\uninstal.exe");
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver2"), "<missing>");
}

#ifndef _WIN32  // the machine hive is a file below XDG_CONFIG_DIRS only on Linux
TEST_F(Warning, WithoutWriteAccessNothingIsWrittenButTheUserIsTold) {
  // A machine folder below a plain file cannot be created, not even by root.
  std::string blocker = home.Root() + "/blocker";
  { std::ofstream(blocker) << "x"; }
  setenv("XDG_CONFIG_DIRS", (blocker + "/etc").c_str(), 1);
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "<missing>");
  ASSERT_EQ(home.Boxes().size(), 1u);
  EXPECT_EQ(home.Boxes()[0].caption, "Screen saver will be removed.");
}
#endif

// Where nothing runs RunOnce commands, nothing is scheduled and the user learns
// how Kiru is really removed.
TEST_F(Warning, WithoutRunOnceRemovalTellsHowToRemoveThePackage) {
  plat::SetSystemRunsRunOnceForTesting(false);
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "<missing>");
  ASSERT_EQ(home.Boxes().size(), 1u);
  EXPECT_NE(home.Boxes()[0].text.find("apt remove kiru"), std::string::npos) << home.Boxes()[0].text;
  EXPECT_EQ(home.Boxes()[0].text.find("Windows"), std::string::npos);
}

}  // namespace
