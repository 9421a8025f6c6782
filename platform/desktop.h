// Which desktop serves the process, where a system has more than one (Linux: a
// Wayland compositor, or an X server, Xwayland included).
#pragma once

namespace plat {

enum class DesktopRole {
  FullScreen,  // full-screen saving: the one mode a Wayland desktop serves itself
  Hosted,      // dialogs, previews and XScreenSaver's windows: X11 only
};

// Chosen once, where the run mode is known; until then, and for every role but
// FullScreen, the X11 desktop serves. KIRU_DESKTOP=x11 or =wayland overrides the
// choice. Systems with one desktop ignore the call.
void ChooseDesktop(DesktopRole role);

}  // namespace plat
