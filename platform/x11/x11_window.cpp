#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "platform/queue.h"
#include "platform/window.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

std::map<HWND, WindowRecord> g_records;  // GUI thread only
HWND g_hDesktop = 0;

constexpr long INPUT_EVENTS = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                              PointerMotionMask | EnterWindowMask | FocusChangeMask;
constexpr long WINDOW_EVENTS = ExposureMask | StructureNotifyMask;

Atom Intern(Display* dpy, const char* name) { return XInternAtom(dpy, name, False); }

void SetNames(Display* dpy, Window xid, const char* className, const char* title) {
  XStoreName(dpy, xid, title);
  XChangeProperty(dpy, xid, Intern(dpy, "_NET_WM_NAME"), Intern(dpy, "UTF8_STRING"), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(title),
                  static_cast<int>(std::strlen(title)));
  if (className) {
    XClassHint hint;
    hint.res_name = const_cast<char*>("kiru");
    hint.res_class = const_cast<char*>(className);
    XSetClassHint(dpy, xid, &hint);
  }
}

bool NativeSize(Display* dpy, Window xid, int* width, int* height) {
  Window root;
  int x, y;
  unsigned w, h, border, depth;
  if (!XGetGeometry(dpy, xid, &root, &x, &y, &w, &h, &border, &depth)) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

// The class and title a window carries, as another client sees them.
bool NativeMatches(Display* dpy, Window xid, const char* className, const char* title) {
  bool classOk = !className || !*className;
  if (!classOk) {
    XClassHint hint{};
    if (XGetClassHint(dpy, xid, &hint)) {
      classOk = hint.res_class && std::strcmp(hint.res_class, className) == 0;
      if (hint.res_name) XFree(hint.res_name);
      if (hint.res_class) XFree(hint.res_class);
    }
  }
  if (!classOk) return false;
  if (!title || !*title) return true;
  char* name = nullptr;
  bool titleOk = false;
  if (XFetchName(dpy, xid, &name) && name) {
    titleOk = std::strcmp(name, title) == 0;
    XFree(name);
  }
  return titleOk;
}

std::vector<Window> Children(Display* dpy, Window xid) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> out;
  if (XQueryTree(dpy, xid, &root, &parent, &children, &count)) {
    out.assign(children, children + count);
    if (children) XFree(children);
  }
  return out;
}

HWND AddRecord(WindowRecord record) {
  record.hwnd = AllocWindowHandle();
  HWND hwnd = record.hwnd;
  g_records[hwnd] = std::move(record);
  return hwnd;
}

}  // namespace

WindowRecord* FindRecord(HWND window) {
  auto it = g_records.find(window);
  return it == g_records.end() ? nullptr : &it->second;
}

WindowRecord* FindRecordByNative(Window xid) {
  if (xid == 0) return nullptr;
  for (auto& [hwnd, record] : g_records)
    if (record.xid == xid && !record.desktop) return &record;
  return nullptr;
}

void WindowVanished(HWND window) {
  WindowRecord* record = FindRecord(window);
  if (!record || record->destroying) return;
  record->destroying = true;
  SendMessage(window, WM_DESTROY, 0, 0);
  ReleaseSurfacesOf(window, true);
  UnbindWindow(window);
  g_records.erase(window);
}

void HostResized(Window host, int width, int height) {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  for (auto& [hwnd, record] : g_records)
    if (record.kind == WindowKind::Child && record.parent == 0 && record.nativeParent == host &&
        record.owned && !record.destroying)
      XResizeWindow(dpy, record.xid, static_cast<unsigned>(std::max(width, 1)),
                    static_cast<unsigned>(std::max(height, 1)));
  XFlush(dpy);
}

void WindowResized(HWND window, int width, int height) {
  WindowRecord* record = FindRecord(window);
  if (!record || (record->width == width && record->height == height)) return;
  record->width = width;
  record->height = height;
  ResizeSurfacesOf(window, width, height);
  PostMessage(window, WM_SIZE, 0, static_cast<LPARAM>((height << 16) | (width & 0xFFFF)));
}

void ForEachFullScreen(void (*visit)(HWND window)) {
  std::vector<HWND> found;
  for (auto& [hwnd, record] : g_records)
    if (record.kind == WindowKind::FullScreen && !record.destroying) found.push_back(hwnd);
  for (HWND window : found) visit(window);
}

HWND AdoptNativeWindow(unsigned long xid, WNDPROC proc) {
  Display* dpy = GetDisplay();
  if (!dpy || !proc) return 0;
  if (WindowRecord* existing = FindRecordByNative(xid)) {
    SetWindowProc(existing->hwnd, proc);
    return existing->hwnd;
  }
  int width, height;
  if (!NativeSize(dpy, xid, &width, &height)) return 0;
  AttachEventSource();
  // Structure events only: button presses may be selected by one client alone,
  // and the window's owner has them.
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(dpy, xid, &attributes)) return 0;
  XSelectInput(dpy, xid, attributes.your_event_mask | StructureNotifyMask);
  WindowRecord record;
  record.xid = xid;
  record.owned = false;
  record.mapped = attributes.map_state != IsUnmapped;
  record.width = width;
  record.height = height;
  HWND hwnd = AddRecord(record);
  BindWindow(hwnd, GetCurrentThreadId(), proc);
  XFlush(dpy);
  return hwnd;
}

unsigned long NativeWindowOf(HWND window) {
  WindowRecord* record = FindRecord(window);
  return record ? record->xid : 0;
}

void FocusNativeWindow(Window xid) {
  Display* dpy = GetDisplay();
  XWindowAttributes attributes;
  if (!dpy || !XGetWindowAttributes(dpy, xid, &attributes) || attributes.map_state != IsViewable) return;
  XSetInputFocus(dpy, xid, RevertToParent, CurrentTime);
  XFlush(dpy);
}

}  // namespace plat::x11

namespace plat::x11 {

namespace {

// Where the window goes and how large it is: the screen for a full-screen window,
// the host's size for a child that asks for none. False when the host is gone.
bool PlaceWindow(Display* dpy, const WindowSpec& desc, WindowRecord& record, Window* parent, RECT* rect) {
  int screen = DefaultScreen(dpy);
  *parent = RootWindow(dpy, screen);
  int x = desc.x, y = desc.y, width = desc.width, height = desc.height;
  switch (desc.kind) {
    case WindowKind::FullScreen:
      x = y = 0;
      width = DisplayWidth(dpy, screen);
      height = DisplayHeight(dpy, screen);
      break;
    case WindowKind::Child: {
      if (desc.parent) {
        WindowRecord* host = FindRecord(desc.parent);
        if (!host) return false;
        *parent = host->xid;
        record.parent = desc.parent;
      } else if (desc.nativeParent) {
        *parent = desc.nativeParent;
      } else {
        return false;
      }
      int hostWidth, hostHeight;
      if (!NativeSize(dpy, *parent, &hostWidth, &hostHeight)) return false;
      record.nativeParent = *parent;
      if (width <= 0 && height <= 0) {
        width = hostWidth;
        height = hostHeight;
      }
      break;
    }
    case WindowKind::TopLevel:
      if (width <= 0) width = 640;
      if (height <= 0) height = 480;
      break;
  }
  record.width = std::max(width, 0);
  record.height = std::max(height, 0);
  *rect = RECT{x, y, x + width, y + height};
  return true;
}

// The X window of the record, named, with what its kind asks of the server.
Window CreateNativeWindow(Display* dpy, const WindowSpec& desc, const WindowRecord& record,
                          Window parent, const RECT& rect) {
  int screen = DefaultScreen(dpy);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(dpy, screen);
  attributes.override_redirect = desc.kind == WindowKind::FullScreen;
  attributes.event_mask = WINDOW_EVENTS | INPUT_EVENTS;
  // X has no empty windows; the record keeps the size asked for.
  Window xid = XCreateWindow(dpy, parent, rect.left, rect.top,
                             static_cast<unsigned>(std::max<int>(rect.right - rect.left, 1)),
                             static_cast<unsigned>(std::max<int>(rect.bottom - rect.top, 1)), 0,
                             CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  if (!xid) return 0;
  // A host of another client (XScreenSaver's window, a settings tool's preview)
  // may change size under us; its ConfigureNotify lets the saver follow.
  if (desc.kind == WindowKind::Child && !desc.parent) {
    XWindowAttributes hostAttributes;
    if (XGetWindowAttributes(dpy, parent, &hostAttributes))
      XSelectInput(dpy, parent, hostAttributes.your_event_mask | StructureNotifyMask);
  }
  SetNames(dpy, xid, desc.className, record.title.c_str());
  if (parent == RootWindow(dpy, screen)) {
    // A top-level window (also --root's without the daemon, a child of the root):
    // a window manager's close button asks, it doesn't cut the connection.
    Atom deleteWindow = Intern(dpy, "WM_DELETE_WINDOW");
    XSetWMProtocols(dpy, xid, &deleteWindow, 1);
    SetDesktopIdentity(dpy, xid);
  }
  if (desc.kind == WindowKind::FullScreen) {
    ApplyCursor(xid);
    WatchScreenChanges();
  }
  return xid;
}

}  // namespace

HWND CreateWindow(const WindowSpec& desc) {
  Display* dpy = GetDisplay();
  if (!dpy || !desc.proc) return 0;
  AttachEventSource();
  WindowRecord record;
  record.kind = desc.kind;
  record.title = desc.title ? desc.title : "";
  Window parent;
  RECT rect;
  if (!PlaceWindow(dpy, desc, record, &parent, &rect)) return 0;
  record.xid = CreateNativeWindow(dpy, desc, record, parent, rect);
  if (!record.xid) return 0;
  Window xid = record.xid;

  HWND hwnd = AddRecord(record);
  BindWindow(hwnd, GetCurrentThreadId(), desc.proc);
  // Full-screen saving covers the screen and holds keyboard and pointer before it
  // sets up (a large settings file, the GL context): what the user types or moves
  // meanwhile waits in the queue for the first frame.
  if (desc.kind == WindowKind::FullScreen) {
    XMapRaised(dpy, xid);
    TakeInputGrab(xid);
  }
  if (SendMessage(hwnd, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (!FindRecord(hwnd)) return 0;  // destroyed while being created
  XMapWindow(dpy, xid);
  XFlush(dpy);
  SendMessage(hwnd, WM_SHOWWINDOW, 1, 0);
  return hwnd;
}

void DestroyWindow(HWND window) {
  WindowRecord* record = FindRecord(window);
  if (!record || record->desktop || record->destroying) return;
  record->destroying = true;
  Display* dpy = GetDisplay();
  SendMessage(window, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  for (auto& [hwnd, child] : g_records)
    if (child.parent == window) children.push_back(hwnd);
  for (HWND child : children) DestroyWindow(child);
  ReleaseSurfacesOf(window, false);
  record = FindRecord(window);
  Window xid = record->xid;
  bool owned = record->owned;
  if (record->kind == WindowKind::FullScreen) DropInputGrab();
  UnbindWindow(window);
  g_records.erase(window);
  if (owned && dpy) XDestroyWindow(dpy, xid);
  if (dpy) XFlush(dpy);
}

bool IsWindow(HWND window) {
  WindowRecord* record = FindRecord(window);
  return record && (record->desktop || IsWindowBound(window));
}

bool GetClientRect(HWND window, RECT* rect) {
  WindowRecord* record = FindRecord(window);
  if (!record || !rect) return false;
  int width = record->width, height = record->height;
  if (!record->owned) {
    Display* dpy = GetDisplay();
    if (!dpy || !NativeSize(dpy, record->xid, &width, &height)) return false;
  }
  *rect = RECT{0, 0, width, height};
  return true;
}

bool GetWindowRect(HWND window, RECT* rect) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  RECT client;
  if (!record || !rect || !dpy || !x11::GetClientRect(window, &client)) return false;
  int x = 0, y = 0;
  Window ignored;
  if (!record->desktop &&
      !XTranslateCoordinates(dpy, record->xid, DefaultRootWindow(dpy), 0, 0, &x, &y, &ignored))
    return false;
  *rect = RECT{x, y, x + client.right, y + client.bottom};
  return true;
}

HWND GetDesktopWindow() {
  Display* dpy = GetDisplay();
  if (!dpy) return 0;
  if (g_hDesktop == 0) {
    WindowRecord record;
    record.desktop = true;
    record.owned = false;
    record.xid = DefaultRootWindow(dpy);
    g_hDesktop = AddRecord(record);
  }
  return g_hDesktop;
}

HWND GetParent(HWND window) {
  WindowRecord* record = FindRecord(window);
  return record ? record->parent : 0;
}

HWND GetForegroundWindow() {
  Display* dpy = GetDisplay();
  if (!dpy) return 0;
  Window focus = 0;
  int revert;
  XGetInputFocus(dpy, &focus, &revert);
  // The focus may sit on a child (a GL surface, a widget); its nearest window of ours counts.
  for (int depth = 0; focus && focus != PointerRoot && depth < 16; ++depth) {
    if (WindowRecord* record = FindRecordByNative(focus)) return record->hwnd;
    Window root, parent, *children = nullptr;
    unsigned count;
    if (!XQueryTree(dpy, focus, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == root) break;
    focus = parent;
  }
  return 0;
}

bool SetForegroundWindow(HWND window) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  if (!record || record->desktop || !dpy) return false;
  return RaiseNativeWindow(record->xid);
}

bool SetWindowText(HWND window, const char* text) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  if (!record || record->desktop || !dpy || !text) return false;
  record->title = text;
  SetNames(dpy, record->xid, nullptr, text);
  XFlush(dpy);
  return true;
}

int GetWindowText(HWND window, char* buffer, int size) {
  WindowRecord* record = FindRecord(window);
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!record) return 0;
  std::string title = record->title;
  Display* dpy = GetDisplay();
  char* name = nullptr;
  if (!record->owned && dpy && XFetchName(dpy, record->xid, &name) && name) {
    title = name;
    XFree(name);
  }
  int n = std::min(static_cast<int>(title.size()), size - 1);
  std::memcpy(buffer, title.data(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

bool ShowWindow(HWND window, bool show) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  if (!record || record->desktop || !dpy) return false;
  if (show)
    XMapWindow(dpy, record->xid);
  else
    XUnmapWindow(dpy, record->xid);
  XFlush(dpy);
  return true;
}

bool RaiseWindow(HWND window) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  if (!record || record->desktop || !dpy) return false;
  XRaiseWindow(dpy, record->xid);
  XFlush(dpy);
  return true;
}

bool LowerWindow(HWND window) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  if (!record || record->desktop || !dpy) return false;
  XLowerWindow(dpy, record->xid);
  XFlush(dpy);
  return true;
}

bool MoveWindow(HWND window, int x, int y) {
  WindowRecord* record = FindRecord(window);
  Display* dpy = GetDisplay();
  if (!record || record->desktop || !dpy) return false;
  XMoveWindow(dpy, record->xid, x, y);
  XFlush(dpy);
  return true;
}

unsigned long FindNativeWindow(const char* className, const char* title) {
  Display* dpy = GetDisplay();
  if (!dpy) return 0;
  // Top-level windows are children of the root, or grandchildren under a
  // reparenting window manager's frames.
  for (Window top : Children(dpy, DefaultRootWindow(dpy))) {
    if (NativeMatches(dpy, top, className, title)) return top;
    for (Window inner : Children(dpy, top))
      if (NativeMatches(dpy, inner, className, title)) return inner;
  }
  return 0;
}

bool IsNativeWindow(unsigned long nativeId) {
  Display* dpy = GetDisplay();
  if (!dpy || nativeId == 0) return false;
  XWindowAttributes attributes;
  return XGetWindowAttributes(dpy, nativeId, &attributes) != 0;
}

bool RaiseNativeWindow(unsigned long nativeId) {
  Display* dpy = GetDisplay();
  XWindowAttributes attributes;
  if (!dpy || nativeId == 0 || !XGetWindowAttributes(dpy, nativeId, &attributes)) return false;
  XRaiseWindow(dpy, nativeId);
  FocusNativeWindow(nativeId);
  return true;
}

bool IsIconic(HWND window) {
  WindowRecord* record = FindRecord(window);
  return record && !record->desktop && !record->mapped;
}

}  // namespace plat::x11
