#include "shell/runmode.h"

#include <cstdlib>

#include "platform/clock.h"
#include "platform/closesignal.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/nativehost.h"
#include "platform/password.h"
#include "platform/queue.h"
#include "platform/startuptrace.h"
#include "platform/window.h"
#include "render/fpsreadout.h"
#include "render/runstate.h"
#include "shell/cmdline.h"
#include "shell/saverpassword.h"
#include "shell/saverwndproc.h"
#include "shell/saverstate.h"

#include "shell/saverloop.h"
#include "shell/watch.h"
#include "ui/settingsdlg.h"

using namespace plat;

namespace {

constexpr const char* SAVER_CLASS = "WindowsScreenSaverClass";
constexpr const char* FULL_SCREEN_TITLE = "Screen Saver";  // also the single-instance key
constexpr const char* PREVIEW_TITLE = "Preview";
constexpr const char* HACK_TITLE = "Kiru";  // never the single-instance key
constexpr int HACK_WINDOW_WIDTH = 640, HACK_WINDOW_HEIGHT = 480;
constexpr DWORD HOST_CHECK_MS = 250;
constexpr DWORD LOOP_WAIT_MS = 50;  // bounds how late a close signal is seen where it wakes no wait

int DispatchMode(const char* args, const ModeActions& actions) {
  HackFlags hack = TakesHackFlags() ? ParseHackFlags(args) : HackFlags{};
  g_bShowFps = hack.fps;  // beside any mode, as other hacks take it
  if (hack.watch) return actions.runWatcher();
  // --settings comes from the settings tool's preview; under the daemon (--root) the
  // box may still be ticked, and blanking must never turn into a dialog.
  if (hack.settings && hack.host != HackFlags::Host::Root) return actions.runSettingsDialog(0);
  switch (hack.host) {
    case HackFlags::Host::Root:
      return actions.runSaverWindow(SaverTarget{SaverTarget::Kind::Root, 0});
    case HackFlags::Host::Window:
      return actions.runSaverWindow(SaverTarget{SaverTarget::Kind::Window, 0});
    case HackFlags::Host::WindowId:
      if (hack.windowId == 0 || !actions.isNativeWindow(hack.windowId)) return -1;
      return actions.runSaverWindow(SaverTarget{SaverTarget::Kind::WindowId, hack.windowId});
    case HackFlags::Host::None:
      break;
  }

  for (const char* p = args;; ++p) {
    switch (*p) {
      case '\0':
        return actions.runSettingsDialog(0);
      case ' ':
      case '-':
      case '/':
        continue;
      case 'S':
      case 's':
        return actions.runSaverWindow(SaverTarget{SaverTarget::Kind::FullScreen, 0});
      case 'P':
      case 'p':
      case 'L':
      case 'l': {
        const char* q = p + 1;
        while (*q == ' ') ++q;
        unsigned long host = ParseWindowHandle(q);
        if (host == 0 || !actions.isNativeWindow(host)) return -1;
        return actions.runSaverWindow(SaverTarget{SaverTarget::Kind::Preview, host});
      }
      case 'C':
      case 'c':
        return actions.runSettingsDialog(actions.foregroundWindow());
      case 'A':
      case 'a': {
        if (!g_bWin9x) return -1;
        const char* q = p + 1;
        while (*q == ' ') ++q;
        unsigned long owner = ParseWindowHandle(q);
        if (owner == 0 || !actions.isNativeWindow(owner)) owner = actions.foregroundWindow();
        actions.changePassword(owner);
        return 0;
      }
      default:
        return -1;
    }
  }
}

// GetMessage/DispatchMessage, with two things between messages that only the loop
// can do safely: turning a close signal into a close request, and ending quietly
// when the host window (or the saver window with it) has gone.
int RunMessageLoop(unsigned long host) {
  DWORD lastCheck = GetTickCount();
  MSG msg;
  for (;;) {
    // No frame is drawn from here on: the host may take the window away any moment.
    if (TakeCloseSignal() && IsWindow(g_hSaverWnd)) {
      StopFrames();
      PostMessage(g_hSaverWnd, WM_CLOSE, 0, 0);
    }
    DWORD now = GetTickCount();
    if (now - lastCheck >= HOST_CHECK_MS) {
      lastCheck = now;
      if (!IsWindow(g_hSaverWnd))
        PostQuitMessage(0);
      else if (host != 0 && !IsNativeWindow(host))
        DestroyWindow(g_hSaverWnd);
    }
    if (!PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
      WaitMessage(LOOP_WAIT_MS);
      continue;
    }
    if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
    DispatchMessage(&msg);
  }
}

bool FillHostedSpec(unsigned long host, const char* title, WindowSpec* desc) {
  RECT client;
  if (host == 0 || !IsNativeWindow(host) || !GetNativeClientRect(host, &client)) return false;
  desc->kind = WindowKind::Child;
  desc->nativeParent = host;
  desc->title = title;
  desc->width = client.right;
  desc->height = client.bottom;
  return true;
}

int RunSettingsWithPreview(HWND owner) { return RunSettingsDialog(owner, RunDialogFramePump); }

}  // namespace

const ModeActions& DefaultModeActions() {
  static const ModeActions actions{
      RunSaverWindow, RunSettingsWithPreview, ChangePassword, IsNativeWindow, GetForegroundWindow, RunWatcher,
  };
  return actions;
}

unsigned long ResolveRootHost(const char* environmentValue) {
  unsigned long named = environmentValue ? ParseNativeId(environmentValue) : 0;
  return named != 0 ? named : GetNativeRootWindow();
}

void RestoreAfterFault() {
  try {
    SetSaverRunning(false);
    if (g_hSaverWnd != 0 && IsWindow(g_hSaverWnd)) DestroyWindow(g_hSaverWnd);
  } catch (...) {
    // Already failing; the process ends with the fault's exit code either way.
  }
}

int RunSaverModeWith(const char* args, const ModeActions& actions) {
  try {
    return DispatchMode(args, actions);
  } catch (...) {
    RestoreAfterFault();
    return -1;
  }
}

int RunSaverMode(const char* args) {
  g_bWin9x = IsOlderWindowsFamily();
  return RunSaverModeWith(args, DefaultModeActions());
}

int RunSaverWindow(const SaverTarget& target) {
  WindowSpec desc;
  desc.className = SAVER_CLASS;
  desc.proc = SaverWndProc;
  unsigned long host = 0;

  switch (target.kind) {
    case SaverTarget::Kind::FullScreen: {
      ChooseDesktop(DesktopRole::FullScreen);  // on a Wayland desktop, a native saver
      unsigned long running = FindNativeWindow(SAVER_CLASS, FULL_SCREEN_TITLE);
      if (running != 0 && IsNativeWindow(running)) {
        RaiseNativeWindow(running);
        return 0;
      }
      // Two savers started together may both find no window yet: only one wins the claim.
      switch (ClaimSaverInstance()) {
        case SaverClaim::Held: break;
        case SaverClaim::Elsewhere: return 0;
        case SaverClaim::NoDisplay: return -1;  // ends with 255
      }
      LoadPasswordVerifier();
      RECT screen;
      if (!GetClientRect(GetDesktopWindow(), &screen)) screen = RECT{};
      desc.kind = WindowKind::FullScreen;
      desc.title = FULL_SCREEN_TITLE;
      desc.width = screen.right;
      desc.height = screen.bottom;
      break;
    }
    case SaverTarget::Kind::Preview:
      host = target.host;
      if (!FillHostedSpec(host, PREVIEW_TITLE, &desc)) return -1;
      break;
    case SaverTarget::Kind::WindowId:
      host = target.host;
      if (!FillHostedSpec(host, HACK_TITLE, &desc)) return -1;
      break;
    case SaverTarget::Kind::Root:
      host = ResolveRootHost(std::getenv("XSCREENSAVER_WINDOW"));
      if (!FillHostedSpec(host, HACK_TITLE, &desc)) return -1;
      break;
    case SaverTarget::Kind::Window:
      desc.kind = WindowKind::TopLevel;
      desc.title = HACK_TITLE;
      desc.width = HACK_WINDOW_WIDTH;
      desc.height = HACK_WINDOW_HEIGHT;
      break;
  }
  // Everything but full-screen saving is hosted by someone who owns the input.
  g_bPreview = target.kind != SaverTarget::Kind::FullScreen;

  EnsureMessageQueue();  // posts made while the window is created must not be lost
  InstallCloseSignals();
  // A saver's dialogs and boxes wait in vain once the process was asked to close
  // (XScreenSaver's SIGTERM: nobody can click OK under the daemon). A hosted
  // saver's boxes also end with its host: the window's destruction quits every loop.
  SetDialogAbandonCheck(CloseSignalPending);
  plat::TraceStartup("display open");
  g_hSaverWnd = CreateWindow(desc);
  int exitCode = -1;  // the window could not be made
  if (g_hSaverWnd != 0) {
    if (!g_bPreview) SetForegroundWindow(g_hSaverWnd);
    exitCode = RunMessageLoop(host);
  }
  ReleasePasswordVerifier();
  return exitCode;
}
