// The seat: keys through xkbcommon to virtual keys, repeated while held as the
// compositor says; pointer motion and buttons; no cursor over the saver; a touch
// ends saving as a key does.
#include <sys/mman.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/queue.h"
#include "platform/wayland/wayland_dialog.h"
#include "platform/wayland/wayland_keys.h"
#include "platform/wayland/wayland_records.h"

namespace plat::wayland {
namespace {

constexpr LPARAM HT_CLIENT = 1;
constexpr std::uint32_t BTN_LEFT = 0x110, BTN_RIGHT = 0x111, BTN_MIDDLE = 0x112;  // linux/input-event-codes.h

wl_keyboard* g_pKeyboard = nullptr;
wl_pointer* g_pPointer = nullptr;
wl_touch* g_pTouch = nullptr;
xkb_context* g_pXkb = nullptr;
xkb_keymap* g_pKeymap = nullptr;
xkb_state* g_pKeyState = nullptr;
bool g_bKeyboardHere = false;
wl_surface* g_pKeyboardSurface = nullptr;

// The key held down, repeated as presses with the previous-state bit, as X does.
struct HeldKey {
  std::uint32_t key = 0;
  UINT vk = 0;
  DWORD next = 0;
  bool held = false;
};
HeldKey g_Held;
DWORD g_dwRepeatDelay = 600, g_dwRepeatInterval = 40;

// Wayland tells where the pointer is only over a surface of ours: positions count
// from where it was first seen, which is where it was when saving began.
bool g_bPointerSeen = false;
POINT g_ptFirst{}, g_ptNow{};
POINT g_ptPixel{};  // where it is in the saver's pixels
bool g_bCursorHidden = true;

LPARAM KeyData(std::uint32_t key, bool down, bool repeat) {
  LPARAM data = 1 | static_cast<LPARAM>(((key + 8) & 0xFF) << 16);
  if (repeat) data |= LPARAM{1} << 30;
  if (!down) data |= LPARAM{3} << 30;
  return data;
}

void PostToSaver(UINT message, WPARAM wParam, LPARAM lParam) {
  if (SaverWindow* saver = TheSaver()) PostMessage(saver->hwnd, message, wParam, lParam);
}

// Keys go to an open dialog of the saver's, else to the saver.
void PostKey(UINT vk, bool down, LPARAM data) {
  bool shift =
      g_pKeyState && xkb_state_mod_name_is_active(g_pKeyState, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0;
  if (!DialogTakesKey(vk, down, shift, data)) PostToSaver(down ? WM_KEYDOWN : WM_KEYUP, vk, data);
}

void OnKeymap(void*, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    close(fd);
    return;
  }
  void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (text == MAP_FAILED) return;
  if (!g_pXkb) g_pXkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap = g_pXkb ? xkb_keymap_new_from_string(g_pXkb, static_cast<const char*>(text),
                                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS)
                              : nullptr;
  munmap(text, size);
  if (!keymap) return;
  xkb_state_unref(g_pKeyState);
  xkb_keymap_unref(g_pKeymap);
  g_pKeymap = keymap;
  g_pKeyState = xkb_state_new(keymap);
}

void OnKeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
  g_bKeyboardHere = FindSurface(surface) != nullptr;
  g_pKeyboardSurface = surface;
}

void OnKeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {
  g_bKeyboardHere = false;
  g_pKeyboardSurface = nullptr;
  g_Held.held = false;
}

void OnKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
  if (!g_pKeyState) return;
  bool down = state == WL_KEYBOARD_KEY_STATE_PRESSED;
  UINT vk = VirtualKeyOfKey(g_pKeyState, key);
  PostKey(vk, down, KeyData(key, down, false));
  if (down && xkb_keymap_key_repeats(g_pKeymap, key + 8) && g_dwRepeatInterval > 0)
    g_Held = HeldKey{key, vk, GetTickCount() + g_dwRepeatDelay, true};
  else if (!down && g_Held.key == key)
    g_Held.held = false;
}

void OnModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
                 std::uint32_t locked, std::uint32_t group) {
  if (g_pKeyState) xkb_state_update_mask(g_pKeyState, depressed, latched, locked, 0, 0, group);
}

void OnRepeatInfo(void*, wl_keyboard*, std::int32_t rate, std::int32_t delay) {
  g_dwRepeatInterval = rate > 0 ? static_cast<DWORD>(1000 / rate) : 0;  // 0: keys do not repeat
  g_dwRepeatDelay = delay > 0 ? static_cast<DWORD>(delay) : 0;
}

const wl_keyboard_listener KEYBOARD{OnKeymap, OnKeyboardEnter, OnKeyboardLeave, OnKey, OnModifiers, OnRepeatInfo};

// The pointer over a surface, in desktop coordinates and in the saver window's.
void PointerAt(wl_surface* surface, wl_fixed_t sx, wl_fixed_t sy) {
  Surface* s = FindSurface(surface);
  if (!s) return;
  RECT r = s->output->Rect(), p = PixelRect(*s->output);
  g_ptNow = POINT{r.left + wl_fixed_to_int(sx), r.top + wl_fixed_to_int(sy)};
  int scale = OutputScale(*s->output);
  g_ptPixel = POINT{p.left + ScaledLength(wl_fixed_to_int(sx), scale),
                    p.top + ScaledLength(wl_fixed_to_int(sy), scale)};
  if (!g_bPointerSeen) g_ptFirst = g_ptNow;
  g_bPointerSeen = true;
}

// In the window's pixels. The motion that ends saving (GetCursorPos) is counted in
// logical units: the same hand's travel at every scale.
LPARAM WindowPoint() {
  SaverWindow* saver = TheSaver();
  int x = g_ptPixel.x - (saver ? saver->rect.left : 0), y = g_ptPixel.y - (saver ? saver->rect.top : 0);
  return static_cast<LPARAM>((static_cast<unsigned>(y) & 0xFFFF) << 16 | (static_cast<unsigned>(x) & 0xFFFF));
}

// Where the pointer is (nullptr: on no surface of ours) and the serial of its
// enter there, which a cursor is set with.
wl_surface* g_pPointerSurface = nullptr;
std::uint32_t g_nPointerSerial = 0;

void OnPointerEnter(void*, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t sx,
                    wl_fixed_t sy) {
  g_pPointerSurface = surface;
  g_nPointerSerial = serial;
  if (DialogPointerEnter(surface, sx, sy) || !FindSurface(surface)) return;
  if (g_bCursorHidden) wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  PointerAt(surface, sx, sy);
  PostToSaver(WM_SETCURSOR, TheSaver()->hwnd, HT_CLIENT | (WM_MOUSEMOVE << 16));
}

void OnPointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) { g_pPointerSurface = nullptr; }

void OnMotion(void*, wl_pointer*, std::uint32_t, wl_fixed_t sx, wl_fixed_t sy) {
  if (DialogPointerMotion(g_pPointerSurface, sx, sy) || !FindSurface(g_pPointerSurface)) return;
  PointerAt(g_pPointerSurface, sx, sy);
  PostToSaver(WM_SETCURSOR, TheSaver()->hwnd, HT_CLIENT | (WM_MOUSEMOVE << 16));
  PostToSaver(WM_MOUSEMOVE, 0, WindowPoint());
}

void OnButton(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button, std::uint32_t state) {
  bool down = state == WL_POINTER_BUTTON_STATE_PRESSED;
  if (DialogPointerButton(g_pPointerSurface, button, down) || !FindSurface(g_pPointerSurface)) return;
  UINT message;
  switch (button) {
    case BTN_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case BTN_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case BTN_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    default: return;
  }
  PostToSaver(message, 0, WindowPoint());
}

// Wheel turns are no button presses, as on X.
void OnAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void OnFrame(void*, wl_pointer*) {}
void OnAxisSource(void*, wl_pointer*, std::uint32_t) {}
void OnAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void OnAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

const wl_pointer_listener POINTER{OnPointerEnter, OnPointerLeave, OnMotion,       OnButton, OnAxis,
                                  OnFrame,        OnAxisSource,   OnAxisStop,     OnAxisDiscrete,
                                  [](void*, wl_pointer*, std::uint32_t, std::int32_t) {}};

// A touch screen has no keys: touching the saver is what pressing one would be.
// Over an open dialog a touch is a click, the dialog having all the input.
wl_surface* g_pTouchedDialog = nullptr;

void OnTouchDown(void*, wl_touch*, std::uint32_t, std::uint32_t, wl_surface* surface, std::int32_t, wl_fixed_t x,
                 wl_fixed_t y) {
  if (DialogPointerMotion(surface, x, y)) {
    g_pTouchedDialog = surface;
    DialogPointerButton(surface, BTN_LEFT, true);
  } else if (FindSurface(surface)) {
    PostToSaver(WM_CLOSE, 0, 0);
  }
}

void OnTouchUp(void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {
  if (g_pTouchedDialog) DialogPointerButton(g_pTouchedDialog, BTN_LEFT, false);
  g_pTouchedDialog = nullptr;
}

const wl_touch_listener TOUCH{OnTouchDown,
                              OnTouchUp,
                              [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {},
                              [](void*, wl_touch*) {},
                              [](void*, wl_touch*) {},
                              [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
                              [](void*, wl_touch*, std::int32_t, wl_fixed_t) {}};

void OnCapabilities(void*, wl_seat* seat, std::uint32_t capabilities) {
  bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD, pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  if (keyboard && !g_pKeyboard) {
    g_pKeyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(g_pKeyboard, &KEYBOARD, nullptr);
  } else if (!keyboard && g_pKeyboard) {
    if (wl_keyboard_get_version(g_pKeyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
      wl_keyboard_release(g_pKeyboard);
    else
      wl_keyboard_destroy(g_pKeyboard);
    g_pKeyboard = nullptr;
    g_Held.held = false;
  }
  if (pointer && !g_pPointer) {
    g_pPointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(g_pPointer, &POINTER, nullptr);
  } else if (!pointer && g_pPointer) {
    if (wl_pointer_get_version(g_pPointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
      wl_pointer_release(g_pPointer);
    else
      wl_pointer_destroy(g_pPointer);
    g_pPointer = nullptr;
    g_pPointerSurface = nullptr;
  }
  bool touch = capabilities & WL_SEAT_CAPABILITY_TOUCH;
  if (touch && !g_pTouch) {
    g_pTouch = wl_seat_get_touch(seat);
    wl_touch_add_listener(g_pTouch, &TOUCH, nullptr);
  } else if (!touch && g_pTouch) {
    if (wl_touch_get_version(g_pTouch) >= WL_TOUCH_RELEASE_SINCE_VERSION)
      wl_touch_release(g_pTouch);
    else
      wl_touch_destroy(g_pTouch);
    g_pTouch = nullptr;
  }
}

void OnSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener SEAT{OnCapabilities, OnSeatName};

}  // namespace

bool HasPointer() { return g_pPointer != nullptr; }

void SetPointerCursor(wl_surface* image, std::int32_t x, std::int32_t y) {
  if (g_pPointer && g_pPointerSurface) wl_pointer_set_cursor(g_pPointer, g_nPointerSerial, image, x, y);
}

bool PointerOverSaver() { return FindSurface(g_pPointerSurface) != nullptr; }

void BindSeat(wl_seat* seat) { wl_seat_add_listener(seat, &SEAT, nullptr); }

void RepeatKeys() {
  if (!g_Held.held || !g_bKeyboardHere) return;
  DWORD now = GetTickCount();
  // One repeat per look, however late: a stalled loop does not make up a burst.
  if (static_cast<std::int32_t>(now - g_Held.next) >= 0) {
    PostKey(g_Held.vk, true, KeyData(g_Held.key, true, true));
    g_Held.next = now + g_dwRepeatInterval;
  }
}

Surface* KeyboardFocus() { return FindSurface(g_pKeyboardSurface); }

bool GetCursorPos(POINT* point) {
  if (!point) return false;
  *point = g_bPointerSeen ? POINT{g_ptNow.x - g_ptFirst.x, g_ptNow.y - g_ptFirst.y} : POINT{0, 0};
  return true;
}

// Wayland gives a client's cursor only over its own surfaces, where the saver
// has none; a dialog over it shows the arrow while it is open.
void ShowCursor(bool show) { g_bCursorHidden = !show; }

}  // namespace plat::wayland
