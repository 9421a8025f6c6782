// The X11 backend's own surface, for the other parts of platform/x11 (windows,
// events, GLX, FLTK dialogs) and the backend's tests. It names Xlib's display
// type without including Xlib, so including it pulls no X11 header in.
#pragma once
#include "platform/win.h"
#include "platform/x11/x11_desktop.h"

struct _XDisplay;
typedef struct _XDisplay Display;

namespace plat::x11 {

// The backend's connection, opened on first use from $DISPLAY; nullptr without a
// server. Its X errors are swallowed (a host window may vanish at any moment);
// LastXError reports the most recent one and ClearXError forgets it.
Display* GetDisplay();
int LastXError();
void ClearXError();
// Xlib's error handlers are the process's, not the connection's: whoever opens
// another connection (FLTK) puts ours back with this afterwards.
void InstallXErrorHandlers();

// Wraps a native X window that someone else created (an FLTK dialog) as a window
// of ours: bound to the calling thread with `proc`, so PostMessage, GetClientRect,
// SetWindowText and the GL surface work on it. No WM_CREATE is sent; DestroyWindow
// sends WM_DESTROY and unbinds but leaves the native window to its owner.
HWND AdoptNativeWindow(unsigned long xid, WNDPROC proc);
// The X window behind one of our windows (0 if unknown).
unsigned long NativeWindowOf(HWND window);

// Turns every event already read or readable on the connection into posted
// messages. PumpEvents also lets FLTK handle its own events when it has opened
// its display in this process, so its dialogs stay alive under our loops.
void DrainEvents();
void PumpEvents();

// The full-screen window holds keyboard and pointer; a dialog of another
// connection (FLTK) gets no input while it does. Dialogs shown over the saver
// suspend the grab and resume it when they close (counted, so they may nest).
void SuspendInputGrab();
void ResumeInputGrab();

// Whether a RandR server of this version has the monitor list (1.5 on); older ones
// leave the monitors to Xinerama, whose heads carry no primary flag.
bool RandrListsMonitors(int major, int minor);

}  // namespace plat::x11
