// The flags that XScreenSaver's settings tool adds to the hack's command line.
#include <gtest/gtest.h>

#include <string>

#include "render/fpsreadout.h"
#include "shell/runmode.h"

namespace {

std::string g_sRan;
int Saver(const SaverTarget&) {
  g_sRan = "saver";
  return 0;
}
int Settings(plat::HWND) {
  g_sRan = "settings";
  return 0;
}
void Password(plat::HWND) {}
bool Live(unsigned long) { return true; }
plat::HWND Foreground() { return 0; }
const ModeActions ACTIONS{Saver, Settings, Password, Live, Foreground};

TEST(HackModeFlags, FpsShowsTheReadoutInEveryModeAndOnlyWhenGiven) {
  for (const char* args : {"--root --fps", "-fps -root", "-window-id 0x2a -fps", "/s --fps", "--fps /p 42"}) {
    g_bShowFps = false;
    RunSaverModeWith(args, ACTIONS);
    EXPECT_TRUE(g_bShowFps) << args;
    EXPECT_EQ(g_sRan, "saver") << args;
  }
  for (const char* args : {"--root", "/s", "-window-id 0x2a", "--fpsx -root", "-root fps"}) {
    g_bShowFps = true;
    RunSaverModeWith(args, ACTIONS);
    EXPECT_FALSE(g_bShowFps) << args;
  }
}

TEST(HackModeFlags, SettingsOpensTheDialogExceptUnderTheDaemon) {
  for (const char* args : {"--settings", "-settings", "--settings -window-id 0x2a", "-window -settings"}) {
    g_sRan.clear();
    RunSaverModeWith(args, ACTIONS);
    EXPECT_EQ(g_sRan, "settings") << args;
  }
  for (const char* args : {"--root --settings", "-settings -root"}) {
    g_sRan.clear();
    RunSaverModeWith(args, ACTIONS);
    EXPECT_EQ(g_sRan, "saver") << args;
  }
}

}  // namespace
