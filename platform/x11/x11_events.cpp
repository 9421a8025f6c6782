// X events to posted window messages, with Win32's numbers and parameters.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/queue.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

constexpr LPARAM HT_CLIENT = 1;

LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<unsigned>(y) & 0xFFFF) << 16 |
                             (static_cast<unsigned>(x) & 0xFFFF));
}

// Which window of ours an event belongs to: its own, or the nearest of ours above
// it (a GL surface inside a saver window passes its input up).
WindowRecord* Target(Window xid) { return FindRecordByNative(xid); }

// An exposure of a GL surface is one of the window of ours that holds it.
WindowRecord* Exposed(Display* dpy, Window xid) {
  if (WindowRecord* record = Target(xid)) return record;
  Window root, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, xid, &root, &parent, &children, &count)) return nullptr;
  if (children) XFree(children);
  return Target(parent);
}

// The modifier bit that Num Lock sets, asked once (usually Mod2).
unsigned NumLockMask(Display* dpy) {
  static unsigned s_mask = XkbKeysymToModifiers(dpy, XK_Num_Lock);
  return s_mask;
}

void PostKey(WindowRecord& record, XKeyEvent& key, bool down) {
  static unsigned s_lastDownCode = 0;  // repeats come as presses without releases
  // Unshifted, so that Shift+A is still the key A; the keypad alone follows its locks.
  UINT vk = VirtualKeyFromKeysym(XLookupKeysym(&key, 0), (key.state & NumLockMask(key.display)) != 0,
                                 (key.state & ShiftMask) != 0);
  // Win32 key data: repeat count 1, scan code, previous state, transition.
  LPARAM data = 1 | static_cast<LPARAM>((key.keycode & 0xFF) << 16);
  if (down) {
    if (s_lastDownCode == key.keycode) data |= LPARAM{1} << 30;
    s_lastDownCode = key.keycode;
  } else {
    data |= LPARAM{3} << 30;
    if (s_lastDownCode == key.keycode) s_lastDownCode = 0;
  }
  PostMessage(record.hwnd, down ? WM_KEYDOWN : WM_KEYUP, vk, data);
}

void PostButton(WindowRecord& record, XButtonEvent& button, bool down) {
  UINT message;
  switch (button.button) {
    case Button1: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case Button2: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case Button3: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    default: return;  // wheel clicks are not button presses
  }
  PostMessage(record.hwnd, message, 0, PointParam(button.x, button.y));
}

}  // namespace

void TranslateEvent(XEvent& event) {
  // The root's ConfigureNotify goes on below as well: a --root window follows it.
  TranslateScreenEvent(event);
  WindowRecord* record = Target(event.xany.window);
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      if (record) PostKey(*record, event.xkey, event.type == KeyPress);
      break;
    case ButtonPress:
    case ButtonRelease:
      if (record) PostButton(*record, event.xbutton, event.type == ButtonPress);
      break;
    case MotionNotify:
      if (record) {
        PostMessage(record->hwnd, WM_SETCURSOR, record->hwnd, HT_CLIENT | (WM_MOUSEMOVE << 16));
        PostMessage(record->hwnd, WM_MOUSEMOVE, 0, PointParam(event.xmotion.x, event.xmotion.y));
      }
      break;
    case EnterNotify:
      if (record)
        PostMessage(record->hwnd, WM_SETCURSOR, record->hwnd, HT_CLIENT | (WM_MOUSEMOVE << 16));
      break;
    case Expose:
      if (event.xexpose.count == 0 && (record = Exposed(event.xany.display, event.xexpose.window)))
        PostMessage(record->hwnd, WM_PAINT, 0, 0);
      break;
    case ConfigureNotify:
      record = Target(event.xconfigure.window);
      if (record)
        WindowResized(record->hwnd, event.xconfigure.width, event.xconfigure.height);
      else
        HostResized(event.xconfigure.window, event.xconfigure.width, event.xconfigure.height);
      break;
    case MapNotify:
    case UnmapNotify:
      // A window manager unmaps what it minimises.
      if (WindowRecord* mapped = Target(event.type == MapNotify ? event.xmap.window : event.xunmap.window))
        mapped->mapped = event.type == MapNotify;
      break;
    case DestroyNotify:
      // Ours are forgotten before we destroy them, so a record here means the
      // window went with its host (a preview whose settings window closed).
      record = Target(event.xdestroywindow.window);
      if (record) WindowVanished(record->hwnd);
      break;
    case ClientMessage:
      if (record && event.xclient.format == 32 &&
          static_cast<Atom>(event.xclient.data.l[0]) ==
              XInternAtom(event.xany.display, "WM_DELETE_WINDOW", False))
        PostMessage(record->hwnd, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

}  // namespace plat::x11
