// Dialogs on the desktop: one builder turns a template into FLTK widgets, laid out
// from dialog units with the dialog font's base units. The widgets mirror the
// shared control state (dialogcore.h) and report what the user does as the
// messages Win32 controls send. The dialog window and its GL host are adopted as
// windows of ours, so window calls and the GL surface work on them.
//
// Over the full-screen saver (an override-redirect window that no window manager
// can stack anything above) a dialog is override-redirect too: it is mapped above
// the saver and holds the keyboard itself, through FLTK's own connection, until it
// closes and hands the keyboard back.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Repeat_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/standin/bitmapfile.h"
#include "platform/standin/dialogcore.h"
#include "platform/monitors.h"
#include "platform/queue.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "platform/x11/x11_dialog.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

// The templates' texts were written for the classic 8-point dialog font, which is
// narrower than any sans face Debian ships for its height. So the base units are
// measured from the face one pixel larger than the text is drawn: every static
// then fits its rectangle (tests/platform/x11 measures them all). DejaVu Sans comes with
// fonts-dejavu-core; fontconfig picks another sans where it is missing, and the
// measured base units follow that face.
constexpr int FONT_SIZE = 10;
constexpr int LAYOUT_FONT_SIZE = 11;
// A dialog larger than its screen (640 x 480, or a wide fallback face) takes a
// smaller text size, and its layout shrinks with the base units measured from it,
// down to this size; what still does not fit is placed with OK and Cancel on screen.
constexpr int MIN_FONT_SIZE = 6;
// What a window manager's frame adds around a dialog that it decorates.
constexpr int FRAME_WIDTH = 8, FRAME_HEIGHT = 32;
constexpr Fl_Font DIALOG_FONT = FL_FREE_FONT;
constexpr Fl_Font DIALOG_FONT_BOLD = FL_FREE_FONT + 1;
constexpr Fl_Align STATIC_ALIGN = FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP;
constexpr int CHECK_SIZE = 13;      // the check box square, as desktops draw it
constexpr int CHECK_HIT_SIZE = 18;  // a text-less box is at least this easy to hit
constexpr int CHECK_GAP = 4;        // between the square and its text

Fl_Color DialogGrey() { return fl_rgb_color(212, 208, 200); }

int g_nFontSize = FONT_SIZE;  // the text size of the dialog being built

// Mirroring the shared state into widgets must not report back as user actions.
bool g_bSyncing = false;

struct Binding {
  HWND dialog = 0;
  std::size_t index = 0;
};

class DialogWindow : public Fl_Double_Window {
 public:
  DialogWindow(int w, int h, const char* label) : Fl_Double_Window(w, h, label) {}
  HWND hwnd = 0;
};

// Dialogs over the full-screen saver that hold the keyboard, innermost last.
std::vector<Window> g_keyboardHolders;
// Every dialog on the screen, as windows of ours.
std::vector<HWND> g_shownDialogs;

struct NativeDialog {
  DialogWindow* window = nullptr;
  std::vector<std::unique_ptr<Binding>> bindings;
  std::vector<std::unique_ptr<Fl_Image>> images;
};

dlg::Dialog* DialogOf(void* data, dlg::Control** control) {
  auto* b = static_cast<Binding*>(data);
  dlg::Dialog* d = dlg::Find(b->dialog);
  if (!d || b->index >= d->controls.size()) return nullptr;
  *control = &d->controls[b->index];
  return d;
}

// A group box: an etched frame whose caption interrupts its top edge.
class GroupFrame : public Fl_Widget {
 public:
  GroupFrame(int x, int y, int w, int h, const char* text) : Fl_Widget(x, y, w, h) { copy_label(text); }
  void draw() override {
    int size = labelsize();
    fl_font(DIALOG_FONT, size);
    int half = size / 2;
    fl_draw_box(FL_ENGRAVED_FRAME, x(), y() + half, w(), h() - half, DialogGrey());
    const char* text = label();
    if (text && *text) {
      int tw = static_cast<int>(fl_width(text));
      fl_color(DialogGrey());
      fl_rectf(x() + 6, y(), tw + 4, size + 2);
      fl_color(FL_BLACK);
      fl_draw(text, x() + 8, y() + size - 1);
    }
  }
};

// A static text, wrapped at word boundaries inside its rectangle exactly as
// MeasureDialogText measures it.
class StaticText : public Fl_Widget {
 public:
  StaticText(int x, int y, int w, int h, const char* text, Fl_Align align) : Fl_Widget(x, y, w, h) {
    copy_label(text);
    this->align(align);
  }
  void draw() override {
    fl_font(DIALOG_FONT, labelsize());
    fl_color(FL_BLACK);
    fl_draw(label(), x(), y(), w(), h(), align(), nullptr, 0);
  }
};

// A check box drawn at the size desktops use, whatever the text size.
class CheckBox : public Fl_Check_Button {
 public:
  CheckBox(int x, int y, int w, int h) : Fl_Check_Button(x, y, w, h) {}
  void draw() override {
    bool textless = !label() || !*label();
    int bx = textless ? x() + (w() - CHECK_SIZE) / 2 : x();
    int by = y() + (h() - CHECK_SIZE) / 2;
    fl_draw_box(FL_DOWN_BOX, bx, by, CHECK_SIZE, CHECK_SIZE, FL_WHITE);
    if (value()) {
      fl_color(FL_BLACK);
      fl_line_style(FL_SOLID, 2);
      fl_line(bx + 3, by + 6, bx + 5, by + 9, bx + 10, by + 3);
      fl_line_style(0);
    }
    if (!textless) {
      int tx = bx + CHECK_SIZE + CHECK_GAP;
      fl_font(DIALOG_FONT, labelsize());
      fl_color(FL_BLACK);
      fl_draw(label(), tx, y(), w() - (tx - x()), h(), FL_ALIGN_LEFT | FL_ALIGN_INSIDE, nullptr, 0);
    }
    if (Fl::focus() == this) draw_focus(FL_NO_BOX, x(), y(), w(), h());
  }
};

// The seconds field takes digits only, typed or pasted, and reports focus changes
// and edits as the edit control does.
class DigitsInput : public Fl_Input {
 public:
  DigitsInput(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}
  int handle(int event) override {
    if (event == FL_KEYBOARD && !(Fl::event_state() & (FL_CTRL | FL_ALT | FL_META))) {
      const char* text = Fl::event_text();
      for (int i = 0; i < Fl::event_length(); ++i)
        if (static_cast<unsigned char>(text[i]) >= ' ' && (text[i] < '0' || text[i] > '9')) return 1;
    }
    if (event == FL_PASTE) {
      std::string digits;
      for (const char* p = Fl::event_text(); p && *p; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
      replace(position(), mark(), digits.c_str(), static_cast<int>(digits.size()));
      return 1;
    }
    int used = Fl_Input::handle(event);
    if ((event == FL_FOCUS || event == FL_UNFOCUS) && !g_bSyncing) {
      dlg::Control* c = nullptr;
      if (dlg::Dialog* d = DialogOf(user_data(), &c))
        dlg::NotifyEdit(*d, *c, event == FL_FOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
    }
    return used;
  }
};

void OnButton(Fl_Widget* widget, void* data) {
  if (g_bSyncing) return;
  dlg::Control* c = nullptr;
  dlg::Dialog* d = DialogOf(data, &c);
  if (!d) return;
  auto* button = static_cast<Fl_Button*>(widget);
  if (c->kind == ControlKind::AutoCheckBox) c->checked = button->value() != 0;
  if (c->kind == ControlKind::AutoRadioPush) button->value(1);
  dlg::NotifyClicked(*d, *c);
}

void OnEdit(Fl_Widget* widget, void* data) {
  if (g_bSyncing) return;
  dlg::Control* c = nullptr;
  dlg::Dialog* d = DialogOf(data, &c);
  if (!d) return;
  c->text = static_cast<Fl_Input*>(widget)->value();
  dlg::NotifyEdit(*d, *c, EN_CHANGE);
}

void OnSpinUp(Fl_Widget*, void* data) {
  dlg::Control* c = nullptr;
  if (dlg::Dialog* d = DialogOf(data, &c)) dlg::NotifySpin(*d, *c, true);
}

void OnSpinDown(Fl_Widget*, void* data) {
  dlg::Control* c = nullptr;
  if (dlg::Dialog* d = DialogOf(data, &c)) dlg::NotifySpin(*d, *c, false);
}

void OnWindowClose(Fl_Widget* widget, void*) {
  // Esc arrives as a key of its own; only the title bar's close button gets here.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  auto* window = static_cast<DialogWindow*>(widget);
  dlg::Dialog* d = dlg::Find(window->hwnd);
  if (d && (d->tmpl.style & WS_SYSMENU)) PostMessage(window->hwnd, WM_CLOSE, 0, 0);
}

// Keys as virtual-key codes: FLTK's key numbers are X keysyms here, so the saver
// window's map serves (FLTK names keypad keys by their digit; Num Lock and Shift
// decide, as for the saver). Keys it doesn't know are left to the widgets.
UINT VirtualKey(int key) {
  UINT vk = VirtualKeyFromKeysym(static_cast<unsigned long>(key), Fl::event_state(FL_NUM_LOCK) != 0,
                                 Fl::event_state(FL_SHIFT) != 0);
  return vk == VK_UNKNOWN_KEY ? 0 : vk;
}

// Keys of a dialog: Tab, Shift+Tab and Space work on its controls; the others
// become key messages of the dialog window, so that its loop (Enter, Esc) or a
// frame pump can take them. Only the seconds field keeps its typing.
int Dispatch(int event, Fl_Window* window) {
  auto* dialogWindow = dynamic_cast<DialogWindow*>(window);
  if (dialogWindow && (event == FL_KEYDOWN || event == FL_KEYUP)) {
    int key = Fl::event_key();
    bool typing = dynamic_cast<DigitsInput*>(Fl::focus()) != nullptr;
    if (key == FL_Tab || key == ' ') {
      dlg::Dialog* d = dlg::Find(dialogWindow->hwnd);
      if (d && event == FL_KEYDOWN &&
          dlg::NavigationKey(*d, key == FL_Tab ? VK_TAB : VK_SPACE, Fl::event_state(FL_SHIFT) != 0))
        return 1;
      if (key == FL_Tab) return 1;
    }
    if (!typing || key == FL_Escape) {
      if (UINT vk = VirtualKey(key))
        PostMessage(dialogWindow->hwnd, event == FL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, 0);
      return 1;
    }
  }
  return Fl::handle_(event, window);
}

void MirrorCheck(dlg::Dialog&, dlg::Control& c) {
  if (auto* button = static_cast<Fl_Button*>(c.native)) {
    g_bSyncing = true;
    button->value(c.checked ? 1 : 0);
    g_bSyncing = false;
  }
}

void MirrorText(dlg::Dialog&, dlg::Control& c) {
  auto* widget = static_cast<Fl_Widget*>(c.native);
  if (!widget) return;
  g_bSyncing = true;
  if (c.kind == ControlKind::EditDigits) static_cast<Fl_Input*>(widget)->value(c.text.c_str());
  else widget->copy_label(c.text.c_str());
  g_bSyncing = false;
  widget->redraw();
}

void MirrorFocus(dlg::Dialog&, dlg::Control* c) {
  if (!c || !c->native) return;
  g_bSyncing = true;
  static_cast<Fl_Widget*>(c->native)->take_focus();
  g_bSyncing = false;
}

void Pump(dlg::Dialog&, bool wait) {
  if (wait) Fl::wait(0.02);
  else Fl::check();
}

// The BMP as an RGB image that owns its pixels.
Fl_RGB_Image* DecodeBmp(const unsigned char* data, std::size_t size) {
  std::vector<unsigned char> rgb;
  int width = 0, height = 0;
  if (!dlg::DecodeBmp(data, size, &rgb, &width, &height)) return nullptr;
  auto* pixels = new unsigned char[rgb.size()];
  std::memcpy(pixels, rgb.data(), rgb.size());
  auto* image = new Fl_RGB_Image(pixels, width, height, 3);
  image->alloc_array = 1;  // the image frees the pixels
  return image;
}

Fl_Image* LoadResourceImage(ControlKind kind, int resource) {
  ResourceData data;
  if (kind == ControlKind::Icon) {
    if (!FindResource("ICON", static_cast<std::uint16_t>(resource), &data)) return nullptr;
    auto* png = new Fl_PNG_Image(nullptr, data.data, static_cast<int>(data.size));
    if (png->w() <= 0 || png->h() <= 0) {
      delete png;
      return nullptr;
    }
    if (png->w() == 32 && png->h() == 32) return png;
    Fl_Image* scaled = png->copy(32, 32);  // icons show at their natural 32 × 32
    delete png;
    return scaled;
  }
  if (!FindResource("BITMAP", static_cast<std::uint16_t>(resource), &data)) return nullptr;
  return DecodeBmp(data.data, data.size);
}

Fl_Widget* MakeButton(const dlg::Control& c, int x, int y, int w, int h, Binding* binding) {
  auto* button = new Fl_Button(x, y, w, h);
  button->copy_label(c.text.c_str());
  button->callback(OnButton, binding);
  if (c.kind == ControlKind::DefPushButton) button->box(FL_UP_BOX), button->labelfont(DIALOG_FONT_BOLD);
  if (c.kind == ControlKind::AutoRadioPush) button->down_box(FL_DOWN_BOX);
  return button;
}

Fl_Widget* MakeCheckBox(const dlg::Control& c, int x, int y, int w, int h, Binding* binding) {
  if (c.text.empty()) {
    // Grown about its centre: the template's 8 units are a small target.
    int gw = std::max(w, CHECK_HIT_SIZE), gh = std::max(h, CHECK_HIT_SIZE);
    x -= (gw - w) / 2, y -= (gh - h) / 2, w = gw, h = gh;
  }
  auto* box = new CheckBox(x, y, w, h);
  box->copy_label(c.text.c_str());
  box->callback(OnButton, binding);
  return box;
}

Fl_Widget* MakeDigits(const dlg::Control& c, int x, int y, int w, int h, Binding* binding) {
  auto* input = new DigitsInput(x, y, w, h);
  input->user_data(binding);
  input->callback(OnEdit, binding);
  input->when(FL_WHEN_CHANGED);
  input->textsize(g_nFontSize);
  input->textfont(DIALOG_FONT);
  input->value(c.text.c_str());
  return input;
}

Fl_Widget* MakeUpDown(int x, int y, int w, int h, Binding* binding) {
  auto* group = new Fl_Group(x, y, w, h);
  auto* up = new Fl_Repeat_Button(x, y, w, h / 2, "@-18>");
  auto* down = new Fl_Repeat_Button(x, y + h / 2, w, h - h / 2, "@-12>");
  for (Fl_Button* arrow : {static_cast<Fl_Button*>(up), static_cast<Fl_Button*>(down)}) {
    arrow->labelsize(7);
    arrow->labelcolor(FL_BLACK);
    arrow->visible_focus(0);
  }
  up->callback(OnSpinUp, binding);
  down->callback(OnSpinDown, binding);
  group->end();
  return group;
}

// A black rectangle with an id is a native child window, for the GL surface.
Fl_Widget* MakeBlackRect(const dlg::Control& c, int x, int y, int w, int h, Fl_Window** glHost) {
  if (c.id != -1) {
    auto* host = new Fl_Window(x, y, w, h);
    host->box(FL_FLAT_BOX);
    host->color(FL_BLACK);
    host->end();
    *glHost = host;
    return host;
  }
  auto* box = new Fl_Box(x, y, w, h);
  box->box(FL_FLAT_BOX);
  box->color(FL_BLACK);
  return box;
}

Fl_Widget* MakeImage(NativeDialog& native, const dlg::Control& c, const DialogControl& source,
                     int x, int y, int w, int h) {
  auto* box = new Fl_Box(x, y, w, h);
  box->box(FL_NO_BOX);
  if (Fl_Image* image = LoadResourceImage(c.kind, source.resource)) {
    native.images.emplace_back(image);
    box->image(image);
    if (c.kind == ControlKind::Bitmap)  // at its own size, in the middle of its rectangle
      box->resize(x + (w - image->w()) / 2, y + (h - image->h()) / 2, image->w(), image->h());
    else box->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
  }
  return box;
}

Fl_Widget* MakeWidget(NativeDialog& native, const dlg::Control& c, const DialogControl& source,
                      Binding* binding, Fl_Window** glHost) {
  int x = c.pixels.left, y = c.pixels.top;
  int w = c.pixels.right - c.pixels.left, h = c.pixels.bottom - c.pixels.top;
  switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::AutoRadioPush:
      return MakeButton(c, x, y, w, h, binding);
    case ControlKind::AutoCheckBox:
      return MakeCheckBox(c, x, y, w, h, binding);
    case ControlKind::EditDigits:
      return MakeDigits(c, x, y, w, h, binding);
    case ControlKind::UpDown:
      return MakeUpDown(x, y, w, h, binding);
    case ControlKind::StaticLeft:
    case ControlKind::StaticCentre:
      return new StaticText(x, y, w, h, c.text.c_str(),
                            STATIC_ALIGN | (c.kind == ControlKind::StaticLeft ? FL_ALIGN_LEFT : FL_ALIGN_CENTER));
    case ControlKind::GroupBox:
      return new GroupFrame(x, y, w, h, c.text.c_str());
    case ControlKind::EtchedFrame:
    case ControlKind::EtchedLine: {
      auto* box = new Fl_Box(x, y, std::max(w, 2), std::max(h, 2));
      box->box(FL_ENGRAVED_FRAME);
      return box;
    }
    case ControlKind::BlackRect:
      return MakeBlackRect(c, x, y, w, h, glHost);
    case ControlKind::Icon:
    case ControlKind::Bitmap:
      return MakeImage(native, c, source, x, y, w, h);
  }
  return nullptr;
}

Fl_Widget* BuildControl(NativeDialog& native, dlg::Control& c, const DialogControl& source,
                        Binding* binding, Fl_Window** glHost) {
  Fl_Widget* widget = MakeWidget(native, c, source, binding, glHost);
  if (!widget) return nullptr;
  widget->labelsize(g_nFontSize);
  if (c.kind != ControlKind::DefPushButton) widget->labelfont(DIALOG_FONT);
  if (c.kind != ControlKind::BlackRect && c.kind != ControlKind::GroupBox) widget->color(DialogGrey());
  if (c.kind == ControlKind::EditDigits) widget->color(FL_WHITE);
  c.native = widget;
  return widget;
}

// FLTK opens its text font through fontconfig and calls exit(1) when nothing
// matches; the same match made first tells whether that could happen.
bool FontsFound() {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans"));
  if (!pattern) return false;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcPatternDestroy(match);
  return true;
}

void UseFontSize(int size);

void SetUpToolkit() {
  static bool s_bDone = false;
  if (s_bDone) return;
  s_bDone = true;
  Fl::event_dispatch(Dispatch);
  Fl::visible_focus(1);
  Fl::set_font(DIALOG_FONT, " DejaVu Sans");
  Fl::set_font(DIALOG_FONT_BOLD, "BDejaVu Sans");
  fl_open_display();
  InstallXErrorHandlers();  // FLTK's would end the process with status 1
  UseFontSize(FONT_SIZE);
}

// The text size, and the base units measured from the face one pixel larger.
void UseFontSize(int size) {
  g_nFontSize = size;
  fl_font(DIALOG_FONT, size + LAYOUT_FONT_SIZE - FONT_SIZE);
  double letters = fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  SetDialogBaseUnits((static_cast<int>(letters / 26) + 1) / 2, fl_height());
}

// Without a window manager nobody moves the keyboard focus to a new window, and
// the saver window keeps it: the dialog takes it once it can be seen.
void TakeKeyboardFocus(Window xid) {
  for (int tries = 0; tries < 100; ++tries) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(fl_display, xid, &attributes) && attributes.map_state == IsViewable) {
      XSetInputFocus(fl_display, xid, RevertToPointerRoot, CurrentTime);
      XFlush(fl_display);
      return;
    }
    Fl::wait(0.01);
  }
}

// A dialog over the saver holds the keyboard, so that no window manager's focus
// rules can send keys elsewhere; the saver's own grab was given up just before.
void HoldKeyboard(Window xid) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (XGrabKeyboard(fl_display, xid, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  XSync(fl_display, False);
}

// The dialog below it (a box over the warning) takes the keyboard back; the last
// one leaves it, and any pointer confinement, to the saver.
void ReleaseKeyboard(Window xid) {
  std::erase(g_keyboardHolders, xid);
  if (!g_keyboardHolders.empty()) {
    TakeKeyboardFocus(g_keyboardHolders.back());
    HoldKeyboard(g_keyboardHolders.back());
    return;
  }
  ClipCursor(nullptr);
  XUngrabKeyboard(fl_display, CurrentTime);
  XSync(fl_display, False);
}

// The screen area a dialog must fit: the work area of the screen under the pointer.
RECT DialogArea() {
  int x, y, w, h;
  Fl::screen_work_area(x, y, w, h);
  return RECT{x, y, x + w, y + h};
}

// Where a dialog first shows: centred over its owner, or on the primary monitor
// without one or when the owner spans whole monitors (the saver), so that it
// never straddles a seam; then moved onto that monitor where it would be cut off.
// Larger than the monitor, it shows its lower right part, where OK and Cancel are.
void CentreOver(HWND owner, int width, int height, int* x, int* y) {
  std::vector<MonitorInfo> monitors = GetMonitors();
  int primary = PrimaryMonitor(monitors);
  RECT area = primary >= 0 ? monitors[static_cast<size_t>(primary)].work : RECT{0, 0, Fl::w(), Fl::h()};
  RECT screen = area;
  RECT ownerRect;
  if (owner != 0 && x11::GetWindowRect(owner, &ownerRect)) {
    bool spans = false;
    for (const MonitorInfo& m : monitors) spans = spans || CoversMonitor(ownerRect, m);
    if (!spans) {
      area = ownerRect;
      POINT centre{(ownerRect.left + ownerRect.right) / 2, (ownerRect.top + ownerRect.bottom) / 2};
      int at = MonitorAt(monitors, centre);
      if (at >= 0) screen = monitors[static_cast<size_t>(at)].work;
    }
  }
  RECT placed = KeepInside(CentreIn(area, width, height), screen);
  *x = placed.left;
  *y = placed.top;
}

void Teardown(dlg::Dialog& d) {
  auto* native = static_cast<NativeDialog*>(d.native);
  HWND hwnd = d.hwnd;
  std::vector<HWND> adopted;
  for (dlg::Control& c : d.controls)
    if (c.nativeWindow) adopted.push_back(c.hwnd);
  dlg::Unregister(hwnd);  // d is gone from here on
  for (HWND child : adopted) DestroyWindow(child);
  if (NativeWindowOf(hwnd)) DestroyWindow(hwnd);
  else UnbindWindow(hwnd);
  if (native) {
    native->window->hide();
    delete native->window;
    Fl::check();
    delete native;
  }
}

}  // namespace

// A dialog whose middle is on a monitor is moved wholly onto it; one whose middle is
// on none (its monitor went, the screen shrank) is centred on the primary. Its
// procedure then hears of the change, to take its pointer confinement along.
void FollowMonitors() {
  if (g_shownDialogs.empty()) return;
  std::vector<MonitorInfo> monitors = GetMonitors();
  for (HWND hwnd : g_shownDialogs) {
    dlg::Dialog* d = dlg::Find(hwnd);
    RECT rect;
    if (!d || !d->native || monitors.empty() || !x11::GetWindowRect(hwnd, &rect)) continue;
    POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const RECT& area = monitors[static_cast<size_t>(MonitorAt(monitors, middle))].work;
    bool on = middle.x >= area.left && middle.x < area.right && middle.y >= area.top && middle.y < area.bottom;
    RECT placed = KeepInside(on ? rect : CentreIn(area, rect.right - rect.left, rect.bottom - rect.top), area);
    if (placed.left != rect.left || placed.top != rect.top) {
      static_cast<NativeDialog*>(d->native)->window->position(placed.left, placed.top);
      XSync(fl_display, False);
    }
    PostMessage(hwnd, WM_DISPLAYCHANGE, 0, 0);
  }
}

namespace {
// The program links the dialogs, so this runs before main: message boxes of the
// start-up (GL set-up, texture) already appear on the desktop. Tests put their
// recorder in place afterwards.
struct MessageBoxInstaller {
  MessageBoxInstaller() { InstallFltkMessageBox(); }
} g_MessageBoxInstaller;
}  // namespace

bool DialogsUsable() {
  if (!GetDisplay()) return false;
  static const bool s_bFonts = [] {
    bool found = FontsFound();
    if (!found) std::fprintf(stderr, "kiru: no font found (fontconfig offers none): dialogs end as cancelled\n");
    return found;
  }();
  return s_bFonts;
}

bool MeasureDialogText(const char* text, int width, int* textWidth, int* textHeight) {
  if (!DialogsUsable()) return false;
  SetUpToolkit();
  fl_font(DIALOG_FONT, g_nFontSize);
  int w = width, h = 0;
  fl_measure(text, w, h, 0);
  *textWidth = w;
  *textHeight = h;
  return true;
}

int FitDialogFont(const DialogTemplate& t, int width, int height) {
  if (!DialogsUsable()) return 0;
  SetUpToolkit();
  for (int size = FONT_SIZE; size >= MIN_FONT_SIZE; --size) {
    UseFontSize(size);
    if (DialogUnitsToPixelsX(t.width) <= width && DialogUnitsToPixelsY(t.height) <= height) break;
  }
  return g_nFontSize;
}

}  // namespace plat::x11

namespace plat::x11 {

namespace {

// The FLTK window with a widget per control; the index of the GL host, if any.
NativeDialog* BuildDialogWindow(const DialogTemplate& t, dlg::Dialog& d, bool overSaver,
                                Fl_Window** glHost, std::size_t* glHostIndex) {
  auto* native = new NativeDialog;
  auto* window = new DialogWindow(d.pixelWidth, d.pixelHeight, nullptr);
  native->window = window;
  window->copy_label(t.caption.c_str());
  window->color(DialogGrey());
  window->callback(OnWindowClose);
  for (std::size_t i = 0; i < d.controls.size(); ++i) {
    native->bindings.push_back(std::make_unique<Binding>());
    Binding* binding = native->bindings.back().get();
    binding->index = i;
    Fl_Window* host = nullptr;
    window->begin();
    BuildControl(*native, d.controls[i], t.controls[i], binding, &host);
    if (host) {
      *glHost = host;
      *glHostIndex = i;
    }
  }
  window->end();
  window->set_modal();
  window->xclass("kiru");  // WM_CLASS "kiru", "Kiru"
  if (overSaver) {
    window->set_override();
    window->box(FL_UP_BOX);  // no window manager frames it: an edge of its own
  }
  return native;
}

// Shows the window centred over its owner, named, with the keyboard; its X window.
Window ShowDialogWindow(DialogWindow* window, const dlg::Dialog& d, HWND owner, bool overSaver) {
  int x, y;
  CentreOver(owner, d.pixelWidth, d.pixelHeight, &x, &y);
  window->position(x, y);
  SuspendInputGrab();  // before the dialog shows, so that it can take the input
  window->show();
  Window xid = fl_xid(window);
  XClassHint hint{const_cast<char*>("kiru"), const_cast<char*>("Kiru")};
  XSetClassHint(fl_display, xid, &hint);  // FLTK leaves it off override-redirect windows
  SetDesktopIdentity(fl_display, xid);
  if (unsigned long ownerXid = NativeWindowOf(owner); ownerXid && !overSaver)
    XSetTransientForHint(fl_display, xid, ownerXid);
  if (overSaver) {
    XRaiseWindow(fl_display, xid);
    g_keyboardHolders.push_back(xid);
  }
  Fl::check();
  TakeKeyboardFocus(xid);
  if (overSaver) HoldKeyboard(xid);
  return xid;
}

// The dialog and its GL host become windows of ours; the core's hooks reach FLTK.
void BindDialog(const DialogTemplate& t, dlg::Dialog& d, NativeDialog* native, Window xid,
                Fl_Window* glHost, std::size_t glHostIndex) {
  d.hwnd = AdoptNativeWindow(xid, dlg::DialogWindowProc);
  if (d.hwnd == 0) {
    d.hwnd = AllocWindowHandle();
    BindWindow(d.hwnd, GetCurrentThreadId(), dlg::DialogWindowProc);
  }
  native->window->hwnd = d.hwnd;
  SetWindowText(d.hwnd, t.caption.c_str());  // FLTK names no override-redirect window
  for (auto& binding : native->bindings) binding->dialog = d.hwnd;
  if (glHost) {
    dlg::Control& c = d.controls[glHostIndex];
    c.hwnd = AdoptNativeWindow(fl_xid(glHost), dlg::ControlWindowProc);
    c.nativeWindow = c.hwnd != 0;
  }
  d.native = native;
  d.ops.checkChanged = MirrorCheck;
  d.ops.textChanged = MirrorText;
  d.ops.focusChanged = MirrorFocus;
  d.ops.pumpEvents = Pump;
  d.ops.ended = [](dlg::Dialog& dialog) {
    static_cast<NativeDialog*>(dialog.native)->window->hide();
  };
}

}  // namespace

int DialogBox(const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
  if (!GetDisplay()) return -1;
  // A dialog nobody can read, like one nobody is left to answer, is never shown.
  if (!DialogsUsable() || dlg::Abandoned()) return IDCANCEL;
  SetUpToolkit();
  bool overSaver = FullScreenShown();
  RECT area = DialogArea();
  int frameWidth = overSaver ? 0 : FRAME_WIDTH, frameHeight = overSaver ? 0 : FRAME_HEIGHT;
  FitDialogFont(t, area.right - area.left - frameWidth, area.bottom - area.top - frameHeight);
  auto d = dlg::NewDialog(t, owner, proc, param);
  Fl_Window* glHost = nullptr;
  std::size_t glHostIndex = 0;
  NativeDialog* native = BuildDialogWindow(t, *d, overSaver, &glHost, &glHostIndex);
  Window xid = ShowDialogWindow(native->window, *d, owner, overSaver);
  BindDialog(t, *d, native, xid, glHost, glHostIndex);

  HWND hwnd = d->hwnd;
  dlg::Dialog* registered = dlg::Register(std::move(d));
  WatchScreenChanges();
  g_shownDialogs.push_back(hwnd);
  dlg::InitDialog(*registered);
  int result = dlg::RunModalLoop(hwnd);
  std::erase(g_shownDialogs, hwnd);
  if (overSaver) ReleaseKeyboard(xid);
  ResumeInputGrab();
  if (dlg::Dialog* done = dlg::Find(hwnd)) Teardown(*done);
  // Without a window manager the focus would fall to whatever lies under the pointer.
  if (unsigned long ownerXid = NativeWindowOf(owner)) FocusNativeWindow(ownerXid);
  return result;
}

}  // namespace plat::x11
