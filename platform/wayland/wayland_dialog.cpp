// Dialogs over the Wayland saver, drawn by the saver itself. An overlay surface
// hides every other client's window, and stepping it down uncovers the user's
// windows, so a dialog is a subsurface of the saver's own surface: above the
// picture, on every compositor, and the keyboard never leaves the saver. It opens
// on the output with the keyboard focus, centred, drawn at the output's scale.
// The subsurface is desynchronised: the saver's picture stands still while a
// modal dialog is open, and the dialog's frames must not wait for it.
#include <wayland-cursor.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/monitors.h"
#include "platform/queue.h"
#include "platform/wayland/wayland_desktop.h"
#include "platform/wayland/wayland_dialog.h"
#include "platform/wayland/wayland_shm.h"

namespace plat::wayland {
namespace {

constexpr int BORDER = 3;  // the raised edge around the dialog
constexpr int CLOSE_WIDTH = 16;
constexpr int CHECK_HIT_SIZE = 18;  // a text-less check box is at least this easy to hit
constexpr std::uint32_t BTN_LEFT = 0x110;  // linux/input-event-codes.h
constexpr int CURSOR_SIZE = 24;
constexpr int NO_CONTROL = -1, CLOSE_BOX = -2;

// A dialog's native side.
struct Native {
  HWND hwnd = 0;
  Surface* host = nullptr;  // nullptr: its output went, it waits for another
  int hostWidth = 0, hostHeight = 0;  // the host's size it was placed for
  POINT at{};  // its place on the host surface
  double scale = 1;
  wl_surface* surface = nullptr;
  wl_subsurface* subsurface = nullptr;
  wp_viewport* viewport = nullptr;  // a fractional scale's
  wl_callback* frame = nullptr;
  std::vector<std::unique_ptr<ShmBuffer>> buffers;
  std::string caption;
  bool dirty = true;
  int pressed = NO_CONTROL;  // what the left button went down on
  bool upperArrow = false;
  POINT pointer{-1, -1};  // on the dialog's surface; off it: -1, -1
};

std::vector<Native*> g_Dialogs;  // innermost last

// The arrow over dialogs. The pointer, and where it is, are the seat's
// (wayland_input.cpp), which may take it away (a device unplugged) at any time.
wl_cursor_theme* g_pCursorTheme = nullptr;
int g_nCursorScale = 0;
wl_surface* g_pCursorSurface = nullptr;

Native& Of(dlg::Dialog& d) { return *static_cast<Native*>(d.native); }

Native* FindNative(HWND window) {
  for (Native* w : g_Dialogs)
    if (w->hwnd == window && window) return w;
  return nullptr;
}

// Whole scales by the buffer scale; a fractional one (the output's scale says the
// compositor takes viewports) by a viewport at the logical size.
void ApplyScale(Native& w, const DialogFrame& frame) {
  bool whole = w.scale == std::floor(w.scale);
  if (!whole && !w.viewport && g_Globals.viewporter) w.viewport = wp_viewporter_get_viewport(g_Globals.viewporter, w.surface);
  if (w.viewport) wp_viewport_set_destination(w.viewport, whole ? -1 : frame.width, whole ? -1 : frame.height);
  if (wl_surface_get_version(w.surface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
    wl_surface_set_buffer_scale(w.surface, whole ? static_cast<std::int32_t>(w.scale) : 1);
}

// The arrow: the dialog needs the pointer that the saver hides.
void ShowArrow(int scale) {
  if (!HasPointer()) return;
  if (!g_pCursorTheme || g_nCursorScale != scale) {
    if (g_pCursorTheme) wl_cursor_theme_destroy(g_pCursorTheme);
    g_pCursorTheme = wl_cursor_theme_load(nullptr, CURSOR_SIZE * scale, g_Globals.shm);
    g_nCursorScale = scale;
  }
  wl_cursor* cursor = g_pCursorTheme ? wl_cursor_theme_get_cursor(g_pCursorTheme, "left_ptr") : nullptr;
  if (!cursor && g_pCursorTheme) cursor = wl_cursor_theme_get_cursor(g_pCursorTheme, "default");
  if (!cursor || cursor->image_count == 0) return;
  wl_cursor_image* image = cursor->images[0];
  if (!g_pCursorSurface) g_pCursorSurface = wl_compositor_create_surface(g_Globals.compositor);
  // A theme without that size gives another: a scale it is no multiple of is refused.
  if (wl_surface_get_version(g_pCursorSurface) < WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION ||
      image->width % static_cast<unsigned>(scale) != 0 || image->height % static_cast<unsigned>(scale) != 0)
    scale = 1;
  if (wl_surface_get_version(g_pCursorSurface) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
    wl_surface_set_buffer_scale(g_pCursorSurface, scale);
  wl_surface_attach(g_pCursorSurface, wl_cursor_image_get_buffer(image), 0, 0);
  wl_surface_damage(g_pCursorSurface, 0, 0, static_cast<std::int32_t>(image->width),
                    static_cast<std::int32_t>(image->height));
  wl_surface_commit(g_pCursorSurface);
  SetPointerCursor(g_pCursorSurface, static_cast<std::int32_t>(image->hotspot_x) / scale,
            static_cast<std::int32_t>(image->hotspot_y) / scale);
}

void OnFrameDone(void* data, wl_callback* callback, std::uint32_t) {
  wl_callback_destroy(callback);
  static_cast<Native*>(data)->frame = nullptr;
}

const wl_callback_listener FRAME{OnFrameDone};

POINT ClientPoint(const dlg::Dialog& d, POINT surfacePoint) {
  DialogFrame frame = FrameAround(d);
  return POINT{surfacePoint.x - frame.client.x, surfacePoint.y - frame.client.y};
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// What the button went down on, if the pointer is still over it.
int PressedShown(const Native& w, const dlg::Dialog& d) {
  if (w.pressed == CLOSE_BOX) return Inside(FrameAround(d).closeBox, w.pointer) ? CLOSE_BOX : NO_CONTROL;
  return w.pressed >= 0 && ControlAt(d, ClientPoint(d, w.pointer)) == w.pressed ? w.pressed : NO_CONTROL;
}

ShmBuffer* FreeBuffer(Native& w, int width, int height) {
  std::erase_if(w.buffers, [&](const auto& b) { return !b->busy && (b->width != width || b->height != height); });
  for (auto& b : w.buffers)
    if (!b->busy) return b.get();
  if (auto b = MakeShmBuffer(width, height)) w.buffers.push_back(std::move(b));
  else return nullptr;
  return w.buffers.back().get();
}

void Paint(Native& w, dlg::Dialog& d) {
  DialogFrame frame = FrameAround(d);
  ShmBuffer* b = FreeBuffer(w, BufferExtent(frame.width, w.scale), BufferExtent(frame.height, w.scale));
  if (!b) return;
  int pressed = PressedShown(w, d);
  RenderDialog(static_cast<unsigned char*>(b->data), b->width, b->height, b->stride, w.scale, d,
               DialogLook{w.caption.c_str(), pressed, w.upperArrow, pressed == CLOSE_BOX});
  ApplyScale(w, frame);
  wl_surface_attach(w.surface, b->buffer, 0, 0);
  wl_surface_damage(w.surface, 0, 0, frame.width, frame.height);
  w.frame = wl_surface_frame(w.surface);
  wl_callback_add_listener(w.frame, &FRAME, &w);
  wl_surface_commit(w.surface);
  b->busy = true;
  w.dirty = false;
}

// Where the dialog goes on its host, before it shows (its procedure may ask).
void Place(Native& w, const dlg::Dialog& d, Surface& host) {
  w.host = &host;
  w.hostWidth = host.width;
  w.hostHeight = host.height;
  // A compositor too old for buffer scales shows every buffer at scale 1.
  bool scales = wl_compositor_get_version(g_Globals.compositor) >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION;
  w.scale = scales ? DialogScale(OutputScale(*host.output)) : 1;
  DialogFrame frame = FrameAround(d);
  w.at = PlaceOnOutput(host.width, host.height, frame.width, frame.height);
}

// The subsurface, drawn; it takes its place with the host's next state, which is
// committed at once (the host's picture is left as it is).
void Map(Native& w, dlg::Dialog& d) {
  Surface& host = *w.host;
  w.surface = wl_compositor_create_surface(g_Globals.compositor);
  w.subsurface = wl_subcompositor_get_subsurface(g_Globals.subcompositor, w.surface, host.surface);
  wl_subsurface_set_desync(w.subsurface);
  wl_subsurface_set_position(w.subsurface, w.at.x, w.at.y);
  Paint(w, d);
  wl_surface_commit(host.surface);
  if (PointerOverSaver()) ShowArrow(static_cast<int>(std::ceil(w.scale)));
  wl_display_flush(g_Globals.display);
}

void Unmap(Native& w) {
  if (w.frame) wl_callback_destroy(w.frame);
  if (w.viewport) wp_viewport_destroy(w.viewport);
  if (w.subsurface) wl_subsurface_destroy(w.subsurface);
  if (w.surface) wl_surface_destroy(w.surface);
  w.frame = nullptr;
  w.viewport = nullptr;
  w.subsurface = nullptr;
  w.surface = nullptr;
  w.buffers.clear();
  w.dirty = true;
}

// Every open dialog, from the innermost one's loop: drawn when changed and the
// compositor wants a frame, moved to another output when its own went, centred
// again when its output changed size.
void Service() {
  for (Native* w : g_Dialogs) {
    dlg::Dialog* d = dlg::Find(w->hwnd);
    if (!d) continue;
    if (!w->host) {
      Surface* host = DialogHost();
      if (!host) continue;
      Place(*w, *d, *host);
      Map(*w, *d);
      PostMessage(w->hwnd, WM_DISPLAYCHANGE, 0, 0);
    } else if (w->host->width != w->hostWidth || w->host->height != w->hostHeight) {
      Place(*w, *d, *w->host);
      if (!w->subsurface) continue;
      wl_subsurface_set_position(w->subsurface, w->at.x, w->at.y);
      wl_surface_commit(w->host->surface);
      w->dirty = true;  // its output's scale may have changed too
    }
    if (w->dirty && !w->frame && w->surface) Paint(*w, *d);
  }
  wl_display_flush(g_Globals.display);
}

void Pump(dlg::Dialog&, bool wait) {
  Service();
  if (wait) WaitMessage(20);
}

void Changed(dlg::Dialog& d) { Of(d).dirty = true; }

// Digits and Backspace in the focused field, as an edit control takes them.
void TypeKey(dlg::Dialog& d, dlg::Control& c, UINT key) {
  if (key >= '0' && key <= '9')
    c.text.push_back(static_cast<char>(key));
  else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9)
    c.text.push_back(static_cast<char>('0' + (key - VK_NUMPAD0)));
  else if (key == VK_BACK && !c.text.empty())
    c.text.pop_back();
  else
    return;
  Changed(d);
  dlg::NotifyEdit(d, c, EN_CHANGE);
}

// A press on a control: fields take the focus and arrows step at once; buttons
// and boxes wait for the release over them.
void Press(Native& w, dlg::Dialog& d, POINT at) {
  w.pointer = at;
  w.pressed = Inside(FrameAround(d).closeBox, at) ? CLOSE_BOX : ControlAt(d, ClientPoint(d, at));
  if (w.pressed < 0) return;
  dlg::Control& c = d.controls[static_cast<std::size_t>(w.pressed)];
  if (c.kind == ControlKind::EditDigits) {
    dlg::NotifyEdit(d, c, EN_SETFOCUS);
  } else if (c.kind == ControlKind::UpDown) {
    w.upperArrow = UpperArrow(c, ClientPoint(d, at));
    dlg::NotifySpin(d, c, w.upperArrow);
  }
}

void Release(Native& w, dlg::Dialog& d) {
  int pressed = PressedShown(w, d);
  w.pressed = NO_CONTROL;
  if (pressed == CLOSE_BOX) {
    PostMessage(w.hwnd, WM_CLOSE, 0, 0);
    return;
  }
  if (pressed < 0) return;
  dlg::Control& c = d.controls[static_cast<std::size_t>(pressed)];
  if (c.kind == ControlKind::EditDigits || c.kind == ControlKind::UpDown) return;
  if (c.kind == ControlKind::AutoCheckBox) c.checked = !c.checked;
  dlg::NotifyClicked(d, c);
}

Native* Innermost() { return g_Dialogs.empty() ? nullptr : g_Dialogs.back(); }

}  // namespace

Surface* DialogHost() {
  SaverWindow* saver = TheSaver();
  if (!saver || !saver->shown) return nullptr;
  // One the compositor closed is dropped at the next look, and its dialogs with it.
  auto usable = [](const Surface* s) { return s && s->configured && !s->closed && s->width > 0; };
  if (Surface* focus = KeyboardFocus(); usable(focus)) return focus;
  for (auto& s : saver->surfaces)
    if (usable(s.get())) return s.get();
  return nullptr;
}

DialogFrame FrameAround(const dlg::Dialog& d) {
  DialogFrame frame;
  int caption = CaptionHeight();
  frame.client = POINT{BORDER, BORDER + caption + 1};
  frame.width = d.pixelWidth + 2 * BORDER;
  frame.height = frame.client.y + d.pixelHeight + BORDER;
  if (d.tmpl.style & WS_SYSMENU) {
    int right = frame.width - BORDER - 2;
    frame.closeBox = RECT{right - CLOSE_WIDTH, BORDER + 2, right, BORDER + caption - 2};
  }
  return frame;
}

double DialogScale(int scale120) { return scale120 > 120 ? scale120 / 120.0 : 1; }

int BufferExtent(int logical, double scale) { return static_cast<int>(std::ceil(logical * scale - 1e-9)); }

POINT PlaceOnOutput(int outputWidth, int outputHeight, int width, int height) {
  RECT area{0, 0, outputWidth, outputHeight};
  RECT placed = CentreIn(area, width, height);
  // Larger than the output, it shows its top, where the caption says what it is.
  placed.left = std::max(0, std::min(placed.left, outputWidth - width));
  placed.top = std::max(0, placed.top);
  return POINT{placed.left, placed.top};
}

int ControlAt(const dlg::Dialog& d, POINT p) {
  int found = NO_CONTROL;
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    const dlg::Control& c = d.controls[i];
    RECT r = c.pixels;
    switch (c.kind) {
      case ControlKind::AutoCheckBox:
        if (c.text.empty()) {
          int growX = std::max(0, CHECK_HIT_SIZE - (r.right - r.left)) / 2;
          int growY = std::max(0, CHECK_HIT_SIZE - (r.bottom - r.top)) / 2;
          r = RECT{r.left - growX, r.top - growY, r.right + growX, r.bottom + growY};
        }
        break;
      case ControlKind::PushButton:
      case ControlKind::DefPushButton:
      case ControlKind::AutoRadioPush:
      case ControlKind::EditDigits:
      case ControlKind::UpDown:
        break;
      default:
        continue;
    }
    if (Inside(r, p)) found = static_cast<int>(i);  // a later control lies above an earlier one
  }
  return found;
}

bool UpperArrow(const dlg::Control& c, POINT p) { return p.y < (c.pixels.top + c.pixels.bottom) / 2; }

int DialogBox(const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
  if (dlg::Abandoned()) return IDCANCEL;
  Surface* host = DialogHost();
  if (!host || !g_Globals.shm || !g_Globals.subcompositor) {
    std::fprintf(stderr, "kiru: no output to show \"%s\" on: it ends as cancelled\n", t.caption.c_str());
    return IDCANCEL;
  }
  FitDialogFont(t, host->width, host->height);
  auto d = dlg::NewDialog(t, owner, proc, param);
  auto native = std::make_unique<Native>();
  native->hwnd = d->hwnd = AllocWindowHandle();
  native->caption = t.caption;
  BindWindow(d->hwnd, GetCurrentThreadId(), dlg::DialogWindowProc, DESKTOP_TAG);
  d->native = native.get();
  d->ops.checkChanged = [](dlg::Dialog& dialog, dlg::Control&) { Changed(dialog); };
  d->ops.textChanged = [](dlg::Dialog& dialog, dlg::Control&) { Changed(dialog); };
  d->ops.focusChanged = [](dlg::Dialog& dialog, dlg::Control*) { Changed(dialog); };
  d->ops.editKey = TypeKey;
  d->ops.pumpEvents = Pump;
  HWND hwnd = d->hwnd;
  dlg::Dialog* registered = dlg::Register(std::move(d));
  g_Dialogs.push_back(native.get());
  Place(*native, *registered, *host);
  // Initialised before it shows, so that its first frame has its focus and caption.
  dlg::InitDialog(*registered);
  if (dlg::Dialog* opened = dlg::Find(hwnd); opened && !opened->ended) Map(*native, *opened);
  int result = dlg::RunModalLoop(hwnd);
  Unmap(*native);
  std::erase(g_Dialogs, native.get());
  dlg::Unregister(hwnd);
  UnbindWindow(hwnd);
  if (g_Dialogs.empty() && PointerOverSaver()) SetPointerCursor(nullptr, 0, 0);  // the saver's, again
  wl_display_flush(g_Globals.display);
  return result;
}

bool IsDialogWindow(HWND window) { return FindNative(window) != nullptr; }

bool GetDialogRect(HWND window, RECT* rect) {
  Native* w = FindNative(window);
  dlg::Dialog* d = w ? dlg::Find(window) : nullptr;
  if (!d || !w->host || !rect) return false;
  DialogFrame frame = FrameAround(*d);
  // In the saver's pixels, as its monitors are.
  RECT output = PixelRect(*w->host->output);
  rect->left = output.left + BufferExtent(w->at.x, w->scale);
  rect->top = output.top + BufferExtent(w->at.y, w->scale);
  rect->right = rect->left + BufferExtent(frame.width, w->scale);
  rect->bottom = rect->top + BufferExtent(frame.height, w->scale);
  return true;
}

bool SetDialogCaption(HWND window, const char* text) {
  Native* w = FindNative(window);
  if (!w || !text) return false;
  w->caption = text;
  w->dirty = true;
  return true;
}

int GetDialogCaption(HWND window, char* buffer, int size) {
  Native* w = FindNative(window);
  if (!w) return -1;
  if (!buffer || size <= 0) return 0;
  int n = std::min(static_cast<int>(w->caption.size()), size - 1);
  w->caption.copy(buffer, static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

bool DialogTakesKey(UINT virtualKey, bool down, bool shift, LPARAM keyData) {
  Native* w = Innermost();
  if (!w) return false;
  // Tab, Shift+Tab and Space work on the controls here, as a toolkit's keys do
  // (the dialog loop reads no Shift); Space is typed into a field that has the focus.
  if (virtualKey == VK_TAB || virtualKey == VK_SPACE) {
    dlg::Dialog* d = dlg::Find(w->hwnd);
    if (down && d && dlg::NavigationKey(*d, virtualKey, shift)) return true;
    if (virtualKey == VK_TAB) return true;
  }
  PostMessage(w->hwnd, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, keyData);
  return true;
}

bool DialogPointerEnter(wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  Native* w = Innermost();
  if (!w) return false;
  ShowArrow(static_cast<int>(std::ceil(w->scale)));
  DialogPointerMotion(surface, x, y);
  return true;
}

bool DialogPointerMotion(wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  Native* w = Innermost();
  if (!w) return false;
  POINT at = surface && surface == w->surface ? POINT{wl_fixed_to_int(x), wl_fixed_to_int(y)} : POINT{-1, -1};
  if (w->pressed != NO_CONTROL && (at.x != w->pointer.x || at.y != w->pointer.y)) w->dirty = true;
  w->pointer = at;
  return true;
}

bool DialogPointerButton(wl_surface* surface, std::uint32_t button, bool down) {
  Native* w = Innermost();
  if (!w) return false;
  dlg::Dialog* d = dlg::Find(w->hwnd);
  if (!d || button != BTN_LEFT) return true;
  if (down && surface == w->surface && w->surface)
    Press(*w, *d, w->pointer);
  else if (!down && w->pressed != NO_CONTROL)
    Release(*w, *d);
  w->dirty = true;
  return true;
}

void DialogHostGone(Surface& surface) {
  for (Native* w : g_Dialogs)
    if (w->host == &surface) {
      Unmap(*w);
      w->host = nullptr;
    }
}

}  // namespace plat::wayland
