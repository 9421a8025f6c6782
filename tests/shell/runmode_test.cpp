#include "shell/runmode.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/nativehost.h"
#include "platform/queue.h"
#include "platform/window.h"
#include "render/fpsreadout.h"
#include "render/frame.h"
#include "render/runstate.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "shell/saverloop.h"
#include "shell/saverproc.h"
#include "shell/saverwndproc.h"
#include "shell/saverstate.h"
#include "sound/voice.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr unsigned long LIVE_WINDOW = 1234;
constexpr plat::HWND FOREGROUND = 777;

struct Call {
  std::string what;
  unsigned long arg = 0;
  SaverTarget::Kind kind = SaverTarget::Kind::FullScreen;
};
std::vector<Call> g_calls;

int RecordSaver(const SaverTarget& target) {
  g_calls.push_back({"saver", target.host, target.kind});
  return 5;
}
int RecordSettings(plat::HWND owner) {
  g_calls.push_back({"settings", owner});
  return 7;
}
void RecordPassword(plat::HWND owner) { g_calls.push_back({"password", owner}); }
bool IsLive(unsigned long id) { return id == LIVE_WINDOW || id == 0x2a; }
plat::HWND Foreground() { return FOREGROUND; }
int RecordWatch() {
  g_calls.push_back({"watch"});
  return 9;
}

const ModeActions RECORDER{RecordSaver, RecordSettings, RecordPassword, IsLive, Foreground, RecordWatch};

class RunModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_bWin9x = false;
    g_hSaverWnd = 0;
  }
  int Run(const char* args) { return RunSaverModeWith(args, RECORDER); }
};

TEST_F(RunModeTest, FullScreenFromEverySpelling) {
  for (const char* args : {"/s", "-s", "S", " /s", "s", "/S junk after", "--//s"}) {
    g_calls.clear();
    EXPECT_EQ(Run(args), 5) << args;
    ASSERT_EQ(g_calls.size(), 1u) << args;
    EXPECT_EQ(g_calls[0].what, "saver");
    EXPECT_EQ(g_calls[0].kind, SaverTarget::Kind::FullScreen);
  }
}

TEST_F(RunModeTest, PreviewNeedsALiveWindow) {
  for (const char* args : {"/p 1234", "/l 1234", "/P1234", "-l   1234x"}) {
    g_calls.clear();
    EXPECT_EQ(Run(args), 5) << args;
    ASSERT_EQ(g_calls.size(), 1u) << args;
    EXPECT_EQ(g_calls[0].kind, SaverTarget::Kind::Preview);
    EXPECT_EQ(g_calls[0].arg, LIVE_WINDOW);
  }
  for (const char* args : {"/p 4321", "/p:1234", "/p", "/p 0", "/l"}) {
    g_calls.clear();
    EXPECT_EQ(Run(args), -1) << args;
    EXPECT_TRUE(g_calls.empty()) << args;
  }
}

TEST_F(RunModeTest, SettingsDialogOwners) {
  EXPECT_EQ(Run("/c:1234"), 7);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].what, "settings");
  EXPECT_EQ(g_calls[0].arg, FOREGROUND);

  g_calls.clear();
  EXPECT_EQ(Run(""), 7);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].arg, 0u);

  g_calls.clear();
  EXPECT_EQ(Run("  "), 7);  // only blanks reach the end of the text
  EXPECT_EQ(g_calls[0].arg, 0u);
}

TEST_F(RunModeTest, UnknownModesEndWithMinusOne) {
  for (const char* args : {"/x", "/1", "1", "\x80", "/\xc3\xa9", "/\t s", "?"}) {
    EXPECT_EQ(Run(args), -1) << args;
  }
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(RunModeTest, ChangePasswordOnlyOnTheOlderFamily) {
  EXPECT_EQ(Run("/a"), -1);
  EXPECT_EQ(Run("/a 1234"), -1);
  EXPECT_TRUE(g_calls.empty());

  g_bWin9x = true;
  EXPECT_EQ(Run("/a 1234"), 0);
  EXPECT_EQ(Run("/a 99"), 0);
  EXPECT_EQ(Run("/a"), 0);
  ASSERT_EQ(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0].arg, LIVE_WINDOW);
  EXPECT_EQ(g_calls[1].arg, FOREGROUND);
  EXPECT_EQ(g_calls[2].arg, FOREGROUND);
}

TEST_F(RunModeTest, HackFlagsComeBeforeTheModeLetters) {
  if (!plat::TakesHackFlags()) GTEST_SKIP() << "no XScreenSaver on this desktop";
  EXPECT_EQ(Run("-root"), 5);
  EXPECT_EQ(Run("-install -visual 0x21 --root"), 5);
  EXPECT_EQ(Run("--window-id 0x2a"), 5);
  EXPECT_EQ(Run("-window"), 5);
  ASSERT_EQ(g_calls.size(), 4u);
  EXPECT_EQ(g_calls[0].kind, SaverTarget::Kind::Root);
  EXPECT_EQ(g_calls[1].kind, SaverTarget::Kind::Root);
  EXPECT_EQ(g_calls[2].kind, SaverTarget::Kind::WindowId);
  EXPECT_EQ(g_calls[2].arg, 0x2aul);
  EXPECT_EQ(g_calls[3].kind, SaverTarget::Kind::Window);

  g_calls.clear();
  EXPECT_EQ(Run("-window-id 55"), -1);  // not a window
  EXPECT_EQ(Run("-window-id"), -1);
  EXPECT_TRUE(g_calls.empty());

  EXPECT_EQ(Run("-window-id 0x2a --settings"), 7);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].what, "settings");
  EXPECT_EQ(g_calls[0].arg, 0u);

  // The watcher stands before every other mode: it never blanks or opens a dialog itself.
  g_calls.clear();
  EXPECT_EQ(Run("--watch"), 9);
  EXPECT_EQ(Run("-root -watch /s"), 9);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].what, "watch");
  EXPECT_EQ(g_calls[1].what, "watch");
}

// Windows starts savers with the letters only: XScreenSaver's flags are unknown
// modes there, and -fps shows nothing.
TEST_F(RunModeTest, WithoutXScreenSaverItsFlagsAreUnknownModes) {
  if (plat::TakesHackFlags()) GTEST_SKIP() << "XScreenSaver's desktop";
  for (const char* args :
       {"-root", "--root", "-window", "-window-id 0x2a", "-fps /s", "-window-id 0x2a --settings", "--watch"})
    EXPECT_EQ(Run(args), -1) << args;
  EXPECT_TRUE(g_calls.empty());
  g_bShowFps = false;
  EXPECT_EQ(Run("/s --fps"), 5);
  EXPECT_FALSE(g_bShowFps);
}

TEST(RootHost, EnvironmentWindowBeforeTheRoot) {
  EXPECT_EQ(ResolveRootHost("0x1e00003"), 0x1e00003ul);
  EXPECT_EQ(ResolveRootHost("31457283"), 31457283ul);
  // No display in the tests: the root window is 0, which the saver window refuses.
  EXPECT_EQ(ResolveRootHost(nullptr), 0ul);
  EXPECT_EQ(ResolveRootHost("garbage"), 0ul);
}

// A fault inside a mode ends with -1 and takes the saver window (and its grabs) down.
int ThrowingSaver(const SaverTarget&) {
  plat::WindowSpec desc;
  desc.proc = [](plat::HWND, plat::UINT message, plat::WPARAM, plat::LPARAM) -> plat::LRESULT {
    if (message == plat::WM_DESTROY) g_calls.push_back({"destroyed"});
    return 0;
  };
  g_hSaverWnd = plat::CreateWindow(desc);
  throw std::runtime_error("fault");
}
int ThrowingSettings(plat::HWND) { throw 42; }

TEST_F(RunModeTest, FaultsEndWithMinusOneAfterCleaningUp) {
  ModeActions actions = RECORDER;
  actions.runSaverWindow = ThrowingSaver;
  actions.runSettingsDialog = ThrowingSettings;
  EXPECT_EQ(RunSaverModeWith("/s", actions), -1);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0].what, "destroyed");
  EXPECT_FALSE(plat::IsWindow(g_hSaverWnd));
  EXPECT_EQ(RunSaverModeWith("/c", actions), -1);
  EXPECT_EQ(RunSaverModeWith("", actions), -1);
}

TEST(RunSaverWindow, HostThatIsNoWindowEndsWithMinusOne) {
  EXPECT_EQ(RunSaverWindow(SaverTarget{SaverTarget::Kind::Preview, 0}), -1);
  EXPECT_EQ(RunSaverWindow(SaverTarget{SaverTarget::Kind::WindowId, 99999}), -1);
}

// A saver that started in the same instant holds the claim, its window not up yet:
// this one leaves as it would beside a running saver, creating nothing.
TEST(RunSaverWindow, ClaimHeldElsewhereEndsWithZeroAndNoWindow) {
  plat::headless::SetSaverClaimedElsewhereForTesting(true);
  g_hSaverWnd = 0;
  int exitCode = RunSaverWindow(SaverTarget{SaverTarget::Kind::FullScreen, 0});
  plat::headless::SetSaverClaimedElsewhereForTesting(false);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(g_hSaverWnd, 0u);
}

}  // namespace

namespace {

int g_nClosesSeen;

plat::LRESULT SignalOnCreate(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (message == plat::WM_CREATE) raise(SIGTERM);
  if (message == plat::WM_CLOSE) ++g_nClosesSeen;
  return GenericSaverProc(window, message, wParam, lParam);
}

// SIGTERM reaches the saver window as an ordinary close request, through the
// handler (which stores the view and saves), and the run ends with status 0.
TEST(RunSaverWindow, TerminationSignalIsACloseRequest) {
  g_nClosesSeen = 0;
  g_bPreview = false;
  g_bWin9x = false;
  SetSaverHandlerForTesting(SignalOnCreate);
  int exitCode = RunSaverWindow(SaverTarget{SaverTarget::Kind::FullScreen, 0});
  SetSaverHandlerForTesting(nullptr);
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(g_nClosesSeen, 1);
  EXPECT_FALSE(plat::IsWindow(g_hSaverWnd));
}

#ifndef _WIN32
// XScreenSaver's SIGTERM goes to the process: the kernel hands it to any thread
// that does not block it. The voice threads, made while the window is created, must
// block it too, or its note is written on their thread while the loop reads it: a
// race only a thread-sanitizer build sees (make test runs this test in one).
int g_nSignalPumps;
bool g_bVoicesRan;

plat::LRESULT ProcessSignalAmidVoices(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  plat::LRESULT result = SaverHandler(window, message, wParam, lParam);
  if (message == FramePump && ++g_nSignalPumps == 3) {
    g_bVoicesRan = SoundVoiceThreadId(1) != 0 && SoundVoiceThreadId(2) != 0;
    kill(getpid(), SIGTERM);
  }
  return result;
}

TEST(RunSaverWindow, ProcessSignalAmidTheVoicesIsACloseRequest) {
  // As a process starts: nothing blocked yet (an earlier test may have installed).
  sigset_t closeSignals;
  sigemptyset(&closeSignals);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&closeSignals, signal);
  pthread_sigmask(SIG_UNBLOCK, &closeSignals, nullptr);
  SelectRegKey(0, KIRU_KEY);
  RegWriteDword("disable_frame_warn", 1);
  RegWriteDword("enable sound", 1);
  ResetRunStateForTesting();
  g_bPreview = g_bWin9x = false;
  g_nSignalPumps = 0;
  g_bVoicesRan = false;
  SetSaverHandlerForTesting(ProcessSignalAmidVoices);
  int exitCode = RunSaverWindow(SaverTarget{SaverTarget::Kind::FullScreen, 0});
  SetSaverHandlerForTesting(nullptr);
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
  RegWriteDword("disable_frame_warn", 0);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(g_bVoicesRan);
  EXPECT_TRUE(g_bClosed);
}
#endif

// The hosted modes (XScreenSaver's -window, -window-id and -root) belong to a host
// that owns the input: neither keys nor a pointer sweep end them, only the host's
// SIGTERM does.
int g_nPumps;
bool g_bSignalled, g_bClosedByInput;

bool SweepingPointer(plat::POINT* point) {
  static int calls = 0;
  *point = (calls++ % 2) ? plat::POINT{1000, 700} : plat::POINT{0, 0};
  return true;
}

plat::LRESULT InputThenSignal(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (message == plat::WM_CLOSE && !g_bSignalled) g_bClosedByInput = true;
  plat::LRESULT result = SaverHandler(window, message, wParam, lParam);
  if (message == plat::WM_CREATE || message == FramePump) {
    plat::PostMessage(window, plat::WM_KEYDOWN, plat::VK_ESCAPE, 0);
    plat::PostMessage(window, plat::WM_KEYDOWN, 'A', 0);
    plat::PostMessage(window, plat::WM_MOUSEMOVE, 0, 0);
    plat::PostMessage(window, plat::WM_LBUTTONDOWN, 0, 0);
  }
  if (message == FramePump && ++g_nPumps == 5) {
    g_bSignalled = true;
    raise(SIGTERM);
  }
  return result;
}

TEST(RunSaverWindow, HostedModesAreNeverEndedByInput) {
  plat::WindowSpec hostSpec;
  hostSpec.width = 160;
  hostSpec.height = 120;
  hostSpec.proc = plat::DefWindowProc;
  plat::HWND host = plat::CreateWindow(hostSpec);
  kiru_test::SetEnv("XSCREENSAVER_WINDOW", std::to_string(host).c_str());
  SetCursorHooksForTesting(SweepingPointer, nullptr);
  SetSaverHandlerForTesting(InputThenSignal);
  for (SaverTarget::Kind kind : {SaverTarget::Kind::Window, SaverTarget::Kind::WindowId, SaverTarget::Kind::Root}) {
    ResetRunStateForTesting();
    g_nPumps = 0;
    g_bSignalled = g_bClosedByInput = false;
    EXPECT_EQ(RunSaverWindow(SaverTarget{kind, host}), 0);
    EXPECT_FALSE(g_bClosedByInput) << static_cast<int>(kind);
    EXPECT_GE(g_nPumps, 5) << static_cast<int>(kind);  // frames ran meanwhile
  }
  SetSaverHandlerForTesting(nullptr);
  SetCursorHooksForTesting(nullptr, nullptr);
  kiru_test::UnsetEnv("XSCREENSAVER_WINDOW");
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  plat::DestroyWindow(host);
}

}  // namespace

// The flags that XScreenSaver's settings tool adds to the hack's command line.
namespace {
namespace hackflags {

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
int Watch() { return 0; }
const ModeActions ACTIONS{Saver, Settings, Password, Live, Foreground, Watch};

TEST(HackModeFlags, FpsShowsTheReadoutInEveryModeAndOnlyWhenGiven) {
  if (!plat::TakesHackFlags()) GTEST_SKIP() << "no XScreenSaver on this desktop";
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
  if (!plat::TakesHackFlags()) GTEST_SKIP() << "no XScreenSaver on this desktop";
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

}  // namespace hackflags
}  // namespace
