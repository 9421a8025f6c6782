#include "shell/saverloop.h"

#include <vector>

#include "platform/closesignal.h"
#include "platform/dialog.h"
#include "platform/monitors.h"
#include "platform/queue.h"
#include "platform/regstore.h"
#include "platform/startuptrace.h"
#include "platform/window.h"
#include "render/glcontext.h"
#include "render/runstate.h"
#include "render/views.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "shell/saverproc.h"
#include "shell/saverstate.h"
#include "sound/sound.h"
#include "ui/dialogutil.h"
#include "ui/keys.h"
#include "ui/warning.h"

namespace {

HardwareWarningFn g_pShowWarning = nullptr;
// Set while the pump hands a key on or draws a frame: the modal dialogs open there
// (the warning, the Control Menu, a box), and the frames stand still until they close.
bool g_bFramesHeld = false;
constexpr plat::WPARAM SET_WORK_AREA = 0x002F;  // SPI_SETWORKAREA: a task bar moved or resized

void ShowWarning(plat::HWND owner) { (g_pShowWarning ? g_pShowWarning : ShowHardwareWarning)(owner); }

// What a close saves: the module's view and the settings, with no call on the
// display (it also runs when the X server went away).
void SaveView() {
  StoreModuleParams(g_nModule);
  SaveSettings();
}

void OnSaverCreate(plat::HWND window) {
  plat::TraceStartup("window created");
  g_bSaverMode = true;
  {
    plat::RegBatch batch(plat::RegLoss::Quiet);  // one read of the hive for the flag and the whole load
    SelectRegKey(window, KIRU_KEY);
    g_bNoFrameWarn = RegReadDword("disable_frame_warn", 0) == 1;
    LoadSettings();
  }
  plat::TraceStartup("settings read");
  plat::SetDisplayLostHook(SaveView);

  // Full screen is a window over the screen, whatever the monitors say, or over at
  // least one whole monitor. XScreenSaver runs one process per monitor: only the one
  // over the primary monitor sounds.
  plat::RECT frame{};
  plat::GetWindowRect(window, &frame);
  std::vector<plat::MonitorInfo> monitors = plat::GetMonitors();
  int primary = plat::PrimaryMonitor(monitors);
  bool sounding = plat::CoversScreen(frame) ||
                  (primary >= 0 && plat::CoversMonitor(frame, monitors[static_cast<size_t>(primary)]));
  g_bFullScreen = sounding;
  for (const plat::MonitorInfo& monitor : monitors) g_bFullScreen = g_bFullScreen || plat::CoversMonitor(frame, monitor);

  // A failed context has told the user already; the window stays black until closed.
  if (!CreateGLContext(window, 32)) return;
  StartFramePump(window);
  if (g_bFullScreen && sounding && g_bSoundOn) {
    SoundStart();
    SoundPlay(window, 0);
    plat::TraceStartup("sound started");
  }
}

void OnSaverClose(plat::HWND window) {
  if (!BeginClose()) return;
  // The full-screen window leaves the screen, and with it the keyboard and pointer
  // grabs, before anything below may wait (the hive's lock, the voices). The older
  // family keeps it up: the password is asked next.
  if (!g_bPreview && !g_bWin9x) plat::ShowWindow(window, false);
  DestroyGLContext();
  SaveView();
  plat::SetDisplayLostHook(nullptr);
  SoundStop();
  SoundShutdown();
}

}  // namespace

void SetHardwareWarningForTesting(HardwareWarningFn show) { g_pShowWarning = show; }

const FrameCalls& SaverFrameCalls() {
  static const FrameCalls calls{ShowWarning, SoundPlay, SoundStop, CheckSelectButton};
  return calls;
}

// The dialog's own keys come before the view keys, as a dialog's loop would hand
// them over. Space belongs to the seconds field while it is edited; Tab and Esc
// never do, so the keyboard can always leave the field and cancel. Enter stays
// the view key "Enter - Ahead" that the dialog names (Space presses OK).
bool DialogKey(plat::HWND dialog, const plat::MSG& msg) {
  switch (msg.wParam) {
    case plat::VK_TAB:
    case plat::VK_ESCAPE:
      break;
    case plat::VK_SPACE:
      if (g_bEditFocus) return false;
      break;
    default:
      return false;
  }
  return plat::IsDialogMessage(dialog, msg);
}

void RunFramePump(plat::HWND host, bool dialog) {
  if (g_bInPump || g_bQuit) return;
  g_bInPump = true;

  plat::MSG msg;
  while (!g_bQuit && plat::PeekMessage(&msg, host, 0, 0, plat::PM_REMOVE)) {
    bool key = msg.message == plat::WM_KEYDOWN || msg.message == plat::WM_KEYUP;
    if (key && dialog && DialogKey(host, msg)) continue;
    if (key && !(dialog && g_bEditFocus)) {
      g_bFramesHeld = true;
      HandleKey(host, msg.message, msg.wParam);
      g_bFramesHeld = false;
    } else if (msg.message == plat::WM_CLOSE) {
      StopFrames();  // handled once, through the procedure, after the drain
    } else {
      plat::DispatchMessage(&msg);  // key messages reach the edit field untranslated
    }
  }

  if (g_bQuit && !g_bClosed) plat::PostMessage(host, plat::WM_CLOSE, 0, 0);
  if (!g_bQuit) {
    g_bFramesHeld = true;
    RenderFrame(host, SaverFrameCalls());
    g_bFramesHeld = false;
  }
  if (!g_bQuit) {
    // Only full-screen saving stays on top; a hosted window (--window, a preview)
    // stacks as its desktop says.
    if (!dialog && !g_bPreview) plat::RaiseWindow(g_hSaverWnd);
    PostFramePump(host);
  }
  g_bInPump = false;
}

void RunDialogFramePump(plat::HWND dialog) { RunFramePump(dialog, true); }

plat::LRESULT SaverHandler(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (message) {
    case plat::WM_CREATE:
      OnSaverCreate(window);
      break;
    case plat::WM_CLOSE:
      OnSaverClose(window);
      break;
    case FramePump:
      RunFramePump(window, false);
      break;
    case plat::WM_KEYDOWN:
    case plat::WM_SYSKEYDOWN:
      // Without a context no pump takes the keys; they still end saving as they
      // would over a picture, or the black window would look like a hung screen.
      if (g_hRC == 0 && !g_bClosed) {
        HandleKey(window, message, wParam);
        if (g_bQuit) plat::PostMessage(window, plat::WM_CLOSE, 0, 0);
      }
      break;
    case plat::WM_DESTROY:
      // XScreenSaver sends SIGTERM and takes its window away at once. When the
      // window goes before the close request has run (the signal not yet taken, or
      // its request still queued), it runs now, so the settings are saved as promised.
      if (plat::CloseSignalPending() || g_bQuit) OnSaverClose(window);
      break;
    case plat::WM_SIZE:
      // A host that changes size (XScreenSaver's window, a resized preview) takes
      // the picture with it.
      if (g_hRC != 0 && !g_bClosed) {
        int width = static_cast<int>(lParam & 0xFFFF), height = static_cast<int>((lParam >> 16) & 0xFFFF);
        if (FitGLContextToSize(width, height)) {
          ResizeView(width, height);
          if (g_bFramesHeld) RedrawStill(g_nModule);
        } else {
          // No frame may run without the context; the box has told why.
          StopFrames();
          plat::PostMessage(window, plat::WM_CLOSE, 0, 0);
        }
      }
      break;
    case plat::WM_SETTINGCHANGE:
      if (wParam != SET_WORK_AREA) break;
      [[fallthrough]];
    case plat::WM_DISPLAYCHANGE:
      // A monitor came, went or moved: the window covers the new screen (its
      // WM_SIZE follows) and the views are laid out again, the module running on.
      if (!g_bPreview) plat::CoverScreen(window);
      InvalidateViews();
      [[fallthrough]];
    case plat::WM_PAINT:
      // Behind a dialog the picture stands still, but stays on the screen.
      if (g_bFramesHeld && !g_bClosed) RedrawStill(g_nModule);
      break;
    default:
      break;
  }
  return GenericSaverProc(window, message, wParam, lParam);
}
