// Window records of the X11 backend, shared by its window, event, cursor and GLX
// files. Touched only on the thread that owns the display (the GUI thread).
#pragma once
#include <X11/Xlib.h>

#include <string>

#include "platform/linux/linux_keymap.h"
#include "platform/win.h"
#include "platform/window.h"

namespace plat::x11 {

struct WindowRecord {
  HWND hwnd = 0;
  bool mapped = true;   // as the last MapNotify or UnmapNotify said
  Window xid = 0;
  WindowKind kind = WindowKind::TopLevel;
  bool owned = true;    // we created the X window and destroy it
  bool desktop = false; // the root window, never bound
  bool destroying = false;
  HWND parent = 0;      // a window of ours, if the parent is one
  Window nativeParent = 0;
  std::string title;
  int width = 0, height = 0;
};

// Makes the connection the calling thread's event source (once per thread).
void AttachEventSource();

WindowRecord* FindRecord(HWND window);
WindowRecord* FindRecordByNative(Window xid);
// The host went away under us: WM_DESTROY, unbind, forget (no X requests on it).
void WindowVanished(HWND window);
void WindowResized(HWND window, int width, int height);
// A foreign host window changed size: the children of ours that fill it follow.
void HostResized(Window host, int width, int height);

// _NET_WM_PID, the client machine and Kiru's icon on a top-level window of any
// connection (ours or FLTK's).
void SetDesktopIdentity(Display* dpy, Window xid);

// Events of one X event, turned into posted messages.
void TranslateEvent(XEvent& event);

// Screen size and monitor layout: watched once a full-screen window exists; a
// change posts WM_DISPLAYCHANGE to every full-screen window of ours.
void WatchScreenChanges();
bool TranslateScreenEvent(XEvent& event);  // true for a screen or RandR event
void ForEachFullScreen(void (*visit)(HWND window));

// Grab and cursor of the full-screen window.
void TakeInputGrab(Window xid);
void DropInputGrab();
void ApplyCursor(Window xid);
// Whether a full-screen saver window is up (dialogs must then show above it).
bool FullScreenShown();
// Gives the keyboard focus to a viewable window.
void FocusNativeWindow(Window xid);

// GL surfaces living on a window.
void ReleaseSurfacesOf(HWND window, bool nativeGone);
void ResizeSurfacesOf(HWND window, int width, int height);

}  // namespace plat::x11
