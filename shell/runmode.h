// The run modes: full-screen saving, the preview in a host window, the settings
// dialog, the change-password request, and XScreenSaver's hosting of the saver.
#pragma once
#include <cstdint>

#include "platform/win.h"

struct SaverTarget {
  enum class Kind {
    FullScreen,  // /s
    Preview,     // /p or /l in a host window
    Root,        // -root: XSCREENSAVER_WINDOW or the screen's root window
    WindowId,    // -window-id: a window the daemon or its settings tool made
    Window,      // -window: an ordinary window of its own
  };
  Kind kind = Kind::FullScreen;
  unsigned long host = 0;  // native window id for Preview and WindowId
};

// What the modes do; tests put recorders in place of the real actions.
struct ModeActions {
  int (*runSaverWindow)(const SaverTarget& target);
  int (*runSettingsDialog)(plat::HWND owner);
  void (*changePassword)(plat::HWND owner);
  bool (*isNativeWindow)(unsigned long nativeId);
  plat::HWND (*foregroundWindow)();
  int (*runWatcher)();  // --watch
};
const ModeActions& DefaultModeActions();

// Exit codes: the mode's own, or -1 for an unknown mode, a missing host or a fault.
int RunSaverMode(const char* args);
int RunSaverModeWith(const char* args, const ModeActions& actions);
int RunSaverWindow(const SaverTarget& target);
// The window named by XSCREENSAVER_WINDOW (decimal or 0x-hex), else the root window.
unsigned long ResolveRootHost(const char* environmentValue);
// Puts back what the saver changed in the system after a fault: the saver-running
// state and the window that holds keyboard and pointer.
void RestoreAfterFault();
