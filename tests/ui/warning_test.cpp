#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/headless_dialog.h"
#include "platform/headless/headless.h"
#include "platform/regstore.h"
#include "platform/runonce.h"
#include "render/runstate.h"
#include "shell/saverloop.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "shell/saverstate.h"
#include "tests/ui/dialog_env.h"
#include "ui/dialog_templates.h"
#include "ui/warning.h"

using kiru_test::g_launched;

namespace {

constexpr const char* RUNONCE = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string StoredString(plat::RegRoot root, const char* key, const char* name) {
  plat::RegData data;
  std::string text;
  if (!plat::RegStoreGet(root, key, name, &data) || !data.AsString(&text)) return "<missing>";
  return text;
}
std::string MachineString(const char* key, const char* name) {
  return StoredString(plat::RegRoot::LocalMachine, key, name);
}
std::string UserString(const char* key, const char* name) { return StoredString(plat::RegRoot::CurrentUser, key, name); }
constexpr const char* MACHINE_TEXT = "This Screen saver will be removed\nthe next time you start Windows.";

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
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "\"C:\\Program Files\\Kiru\\uninstal.exe\"");
  EXPECT_TRUE(g_bKeepRunning);  // ended by Continue, after both
}

TEST_F(Warning, RemovalTakesTheFirstFreeName) {
  SetMachineString(KIRU_KEY, "install_dir", "/opt/kiru");
  SetMachineString(RUNONCE, "kill_saver", "one");
  SetMachineString(RUNONCE, "kill_saver1", "two");
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver2"), "\"/opt/kiru\\uninstal.exe\"");
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "one");
  EXPECT_EQ(UserString(RUNONCE, "kill_saver"), "<missing>");
  ASSERT_EQ(home.Boxes().size(), 1u);
  EXPECT_EQ(home.Boxes()[0].text, MACHINE_TEXT);
  EXPECT_EQ(home.Boxes()[0].caption, "Screen saver will be removed.");
  // The program's own key is selected again.
  RegWriteDword("cycle time", 5);
  SelectRegKey(0, KIRU_KEY);
  EXPECT_EQ(RegReadDword("cycle time", 0), 5);
}

// A second press (or one after an older Kiru's unquoted entry) changes nothing
// and says the same.
TEST_F(Warning, AnEmptyNameIsReusedAndASecondRemovalChangesNothing) {
  SetMachineString(KIRU_KEY, "install_dir", "C:\\Kiru");
  SetMachineString(RUNONCE, "kill_saver", "");
  ScheduleRemoval(0);
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "\"C:\\Kiru\\uninstal.exe\"");
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver1"), "<missing>");
  SetMachineString(RUNONCE, "kill_saver", "C:\\Kiru\\uninstal.exe");
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver1"), "<missing>");
  ASSERT_EQ(home.Boxes().size(), 3u);
  for (const auto& box : home.Boxes()) EXPECT_EQ(box.text, MACHINE_TEXT);
}

// Without an installed uninstaller nothing could run: nothing is written, and the
// box says so instead of promising a removal.
TEST_F(Warning, WithoutAnInstallFolderNothingIsPromised) {
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "<missing>");
  EXPECT_EQ(UserString(RUNONCE, "kill_saver"), "<missing>");
  ASSERT_EQ(home.Boxes().size(), 1u);
  EXPECT_EQ(home.Boxes()[0].caption, "Screen saver will not be removed.");
  EXPECT_NE(home.Boxes()[0].text.find("Delete Kiru.scr"), std::string::npos) << home.Boxes()[0].text;
}

#ifndef _WIN32  // the machine hive is a file below XDG_CONFIG_DIRS only on Linux
// A standard user may not write the machine's RunOnce: the user's own takes the
// command, once, and the box says the removal waits for the user's next log-on.
TEST_F(Warning, WithoutMachineWriteAccessTheUsersRunOnceIsUsed) {
  SetMachineString(KIRU_KEY, "install_dir", "C:\\Kiru");
  // Readers take no lock, writers do: a lock that is a folder (not even root can
  // lock it) leaves the machine hive readable and unwritable.
  std::string lock = plat::RegHiveFile(plat::RegRoot::LocalMachine) + ".lock";
  std::filesystem::remove(lock);
  std::filesystem::create_directory(lock);
  ScheduleRemoval(0);
  ScheduleRemoval(0);
  EXPECT_EQ(MachineString(RUNONCE, "kill_saver"), "<missing>");
  EXPECT_EQ(UserString(RUNONCE, "kill_saver"), "\"C:\\Kiru\\uninstal.exe\"");
  EXPECT_EQ(UserString(RUNONCE, "kill_saver1"), "<missing>");
  ASSERT_EQ(home.Boxes().size(), 2u);
  for (const auto& box : home.Boxes()) {
    EXPECT_EQ(box.caption, "Screen saver will be removed.");
    EXPECT_NE(box.text.find("the next time you log on"), std::string::npos) << box.text;
  }
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
