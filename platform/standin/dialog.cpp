#include <algorithm>
#include <cstring>
#include <map>

#include "platform/standin/dialogcore.h"
#include "platform/queue.h"

namespace plat {
namespace dlg {
namespace {

// UI thread only, like the dialogs themselves.
std::map<HWND, std::unique_ptr<Dialog>> g_dialogs;
std::map<HWND, HWND> g_controlOwner;  // control window → dialog window

constexpr int SPIN_MIN_PIXELS = 12;
int g_nBaseX = DIALOG_BASE_X;
int g_nBaseY = DIALOG_BASE_Y;
DialogAbandonCheck g_pAbandonCheck = nullptr;

bool Focusable(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::AutoCheckBox:
    case ControlKind::AutoRadioPush:
    case ControlKind::EditDigits:
      return true;
    default:
      return false;
  }
}

RECT ToPixels(const DialogControl& c) {
  RECT r;
  r.left = DialogUnitsToPixelsX(c.x);
  r.top = DialogUnitsToPixelsY(c.y);
  r.right = r.left + std::max(1, DialogUnitsToPixelsX(c.width));
  r.bottom = r.top + std::max(1, DialogUnitsToPixelsY(c.height));
  return r;
}

}  // namespace

std::unique_ptr<Dialog> NewDialog(const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
  EnsureMessageQueue();  // the dialog's messages are posted before anyone peeks
  auto d = std::make_unique<Dialog>();
  d->owner = owner;
  d->proc = proc;
  d->param = param;
  d->tmpl = t;
  d->pixelWidth = DialogUnitsToPixelsX(t.width);
  d->pixelHeight = DialogUnitsToPixelsY(t.height);
  for (const DialogControl& c : t.controls) {
    Control control;
    control.id = c.id;
    control.kind = c.kind;
    control.text = c.text;
    control.pixels = ToPixels(c);
    if (c.kind == ControlKind::UpDown && !d->controls.empty() &&
        d->controls.back().kind == ControlKind::EditDigits) {
      // Auto-buddy, right-aligned: the arrows take the right end of the field.
      Control& buddy = d->controls.back();
      int width = std::max(SPIN_MIN_PIXELS, control.pixels.right - control.pixels.left);
      buddy.pixels.right -= width;
      control.pixels = RECT{buddy.pixels.right, buddy.pixels.top, buddy.pixels.right + width,
                            buddy.pixels.bottom};
    }
    d->controls.push_back(std::move(control));
  }
  return d;
}

Dialog* Register(std::unique_ptr<Dialog> dialog) {
  Dialog* d = dialog.get();
  for (Control& c : d->controls) {
    if (c.hwnd == 0) {
      c.hwnd = AllocWindowHandle();
      BindWindow(c.hwnd, GetCurrentThreadId(), ControlWindowProc, WindowDesktop(d->hwnd));  // the dialog's desktop
    }
    g_controlOwner[c.hwnd] = d->hwnd;
  }
  g_dialogs[d->hwnd] = std::move(dialog);
  return d;
}

void Unregister(HWND hwnd) {
  auto it = g_dialogs.find(hwnd);
  if (it == g_dialogs.end()) return;
  for (Control& c : it->second->controls) {
    g_controlOwner.erase(c.hwnd);
    if (!c.nativeWindow) UnbindWindow(c.hwnd);
  }
  g_dialogs.erase(it);
}

Dialog* Find(HWND dialog) {
  auto it = g_dialogs.find(dialog);
  return it == g_dialogs.end() ? nullptr : it->second.get();
}

Dialog* FindByControl(HWND control, Control** out) {
  auto it = g_controlOwner.find(control);
  if (it == g_controlOwner.end()) return nullptr;
  Dialog* d = Find(it->second);
  if (!d) return nullptr;
  for (Control& c : d->controls)
    if (c.hwnd == control) {
      if (out) *out = &c;
      return d;
    }
  return nullptr;
}

Control* FindControl(Dialog& dialog, int id) {
  for (Control& c : dialog.controls)
    if (c.id == id && id != -1) return &c;
  return nullptr;
}

namespace {

Control* FocusedControl(Dialog& d) {
  for (Control& c : d.controls)
    if (c.hwnd == d.focus && d.focus != 0) return &c;
  return nullptr;
}

void PostCommand(Dialog& d, const Control& c, UINT notification) {
  PostMessage(d.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(c.id), notification),
              static_cast<LPARAM>(c.hwnd));
}

int DefaultButtonId(Dialog& d) {
  for (Control& c : d.controls)
    if (c.kind == ControlKind::DefPushButton) return c.id;
  return IDOK;
}

// Moves the focus and reports it as an edit control would.
void MoveFocus(Dialog& d, HWND to) {
  if (d.focus == to) return;
  Control* old = FocusedControl(d);
  d.focus = to;
  if (old && old->kind == ControlKind::EditDigits) PostCommand(d, *old, EN_KILLFOCUS);
  Control* now = FocusedControl(d);
  if (now && now->kind == ControlKind::EditDigits) PostCommand(d, *now, EN_SETFOCUS);
}

}  // namespace

LRESULT DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* d = Find(window);
  if (!d || !d->proc) return 0;
  LRESULT handled = d->proc(window, message, wParam, lParam);
  if (handled) return handled;
  d = Find(window);  // the procedure may have ended and destroyed it
  if (!d) return 0;
  switch (message) {
    case WM_CLOSE:
      PostMessage(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    case WM_KEYDOWN:
      // A key dispatched to the dialog belongs to its focused control.
      if (Control* c = FocusedControl(*d); c && c->kind == ControlKind::EditDigits && d->ops.editKey)
        d->ops.editKey(*d, *c, static_cast<UINT>(wParam));
      return 0;
    default:
      return 0;
  }
}

LRESULT ControlWindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

void InitDialog(Dialog& d) {
  LRESULT r = d.proc(d.hwnd, WM_INITDIALOG, 0, d.param);
  Dialog* again = Find(d.hwnd);
  if (!again || again->ended) return;
  if (r && d.focus == 0) {
    for (Control& c : d.controls)
      if (Focusable(c.kind)) {
        MoveFocus(d, c.hwnd);
        if (d.ops.focusChanged) d.ops.focusChanged(d, &c);
        break;
      }
  }
}

bool Abandoned() { return g_pAbandonCheck && g_pAbandonCheck(); }

bool NavigationKey(Dialog& d, UINT vk, bool shift) {
  if (vk == VK_TAB) {
    std::vector<Control*> stops;
    for (Control& c : d.controls)
      if (Focusable(c.kind)) stops.push_back(&c);
    if (stops.empty()) return true;
    auto at = std::find_if(stops.begin(), stops.end(), [&](Control* c) { return c->hwnd == d.focus; });
    std::size_t n = stops.size();
    std::size_t next = at == stops.end() ? (shift ? n - 1 : 0)
                                         : (static_cast<std::size_t>(at - stops.begin()) + (shift ? n - 1 : 1)) % n;
    MoveFocus(d, stops[next]->hwnd);
    if (d.ops.focusChanged) d.ops.focusChanged(d, stops[next]);
    return true;
  }
  if (vk == VK_SPACE) {
    Control* c = FocusedControl(d);
    if (!c || c->kind == ControlKind::EditDigits) return false;
    if (c->kind == ControlKind::AutoCheckBox) {
      c->checked = !c->checked;
      if (d.ops.checkChanged) d.ops.checkChanged(d, *c);
    } else if (c->kind == ControlKind::AutoRadioPush && d.ops.checkChanged) {
      c->checked = true;
      d.ops.checkChanged(d, *c);
    }
    NotifyClicked(d, *c);
    return true;
  }
  return false;
}

bool IsDialogMessage(Dialog& d, const MSG& m) {
  if (m.message != WM_KEYDOWN) return false;
  Control* c = nullptr;
  bool ours = m.hwnd == d.hwnd || (FindByControl(m.hwnd, &c) == &d);
  if (!ours) return false;
  if (m.wParam == VK_ESCAPE) {
    PostMessage(d.hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return true;
  }
  if (m.wParam == VK_RETURN) {
    Control* focused = FocusedControl(d);
    int id = focused && (focused->kind == ControlKind::PushButton ||
                         focused->kind == ControlKind::DefPushButton)
                 ? focused->id
                 : DefaultButtonId(d);
    Control* button = FindControl(d, id);
    PostMessage(d.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                static_cast<LPARAM>(button ? button->hwnd : 0));
    return true;
  }
  return false;
}

}  // namespace dlg

bool IsDialogMessage(HWND dialog, const MSG& m) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d || (m.message != WM_KEYDOWN && m.message != WM_KEYUP)) return false;
  bool navigation = m.wParam == VK_TAB || m.wParam == VK_SPACE;
  if (!navigation && m.wParam != VK_RETURN && m.wParam != VK_ESCAPE) return false;
  if (m.message == WM_KEYUP) return true;  // the press did the work
  // Shift+Tab comes from a toolkit that reads Shift itself, before any message is made.
  if (navigation) return dlg::NavigationKey(*d, static_cast<UINT>(m.wParam), false);
  return dlg::IsDialogMessage(*d, m);
}

namespace dlg {

// Nobody can answer: the dialog ends as its Cancel or its close request would
// end it, or else by force.
void Abandon(HWND hwnd) {
  for (UINT message : {WM_COMMAND, WM_CLOSE}) {
    Dialog* d = Find(hwnd);
    if (!d || d->ended) return;
    SendMessage(hwnd, message, message == WM_COMMAND ? MAKEWPARAM(IDCANCEL, BN_CLICKED) : 0, 0);
  }
  if (Dialog* d = Find(hwnd); d && !d->ended) EndDialog(hwnd, IDCANCEL);
}

int RunModalLoop(HWND hwnd) {
  for (;;) {
    Dialog* d = Find(hwnd);
    if (!d) return -1;
    if (!d->ended && Abandoned()) {
      Abandon(hwnd);
      d = Find(hwnd);
      if (!d) return IDCANCEL;
    }
    if (d->ended) return d->result;
    if (d->ops.pumpEvents) d->ops.pumpEvents(*d, false);
    d = Find(hwnd);
    if (!d || d->ended) continue;
    MSG m;
    if (PeekMessage(&m, 0, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return d->result;
      }
      if (!IsDialogMessage(*d, m)) DispatchMessage(&m);
    } else if (d->ops.pumpEvents) {
      d->ops.pumpEvents(*d, true);
    } else {
      WaitMessage(20);
    }
  }
}

void NotifyClicked(Dialog& d, Control& c) {
  if (c.kind == ControlKind::AutoRadioPush) {
    for (Control& other : d.controls)
      if (other.kind == ControlKind::AutoRadioPush && &other != &c && other.checked) {
        other.checked = false;
        if (d.ops.checkChanged) d.ops.checkChanged(d, other);
      }
    c.checked = true;
  }
  if (Focusable(c.kind)) MoveFocus(d, c.hwnd);
  PostCommand(d, c, BN_CLICKED);
}

void NotifyEdit(Dialog& d, Control& c, UINT notification) {
  if (notification == EN_SETFOCUS || notification == EN_KILLFOCUS) {
    MoveFocus(d, notification == EN_SETFOCUS ? c.hwnd : 0);
    return;
  }
  PostCommand(d, c, notification);
}

void NotifySpin(Dialog& d, Control& c, bool up) {
  // Up reports a lower position, down a higher one; the procedure compares them.
  if (up && c.position > -32768) --c.position;
  if (!up && c.position < 32767) ++c.position;
  WPARAM w = MAKEWPARAM(SB_THUMBPOSITION, static_cast<unsigned>(static_cast<std::uint16_t>(c.position)));
  PostMessage(d.hwnd, WM_VSCROLL, w, static_cast<LPARAM>(c.hwnd));
  PostMessage(d.hwnd, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), static_cast<LPARAM>(c.hwnd));
}

void NotifyFocus(Dialog& d, HWND control) { MoveFocus(d, control); }

}  // namespace dlg

void SetDialogAbandonCheck(DialogAbandonCheck check) { dlg::g_pAbandonCheck = check; }

void SetDialogBaseUnits(int baseX, int baseY) {
  dlg::g_nBaseX = baseX > 0 ? baseX : DIALOG_BASE_X;
  dlg::g_nBaseY = baseY > 0 ? baseY : DIALOG_BASE_Y;
}
int DialogUnitsToPixelsX(int du) { return du * dlg::g_nBaseX / 4; }
int DialogUnitsToPixelsY(int du) { return du * dlg::g_nBaseY / 8; }

bool EndDialog(HWND dialog, int result) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d) return false;
  if (d->ended) return true;
  d->ended = true;
  d->result = result;
  if (d->ops.ended) d->ops.ended(*d);
  return true;
}

HWND GetDlgItem(HWND dialog, int id) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d) return 0;
  dlg::Control* c = dlg::FindControl(*d, id);
  return c ? c->hwnd : 0;
}

int GetDlgCtrlID(HWND control) {
  dlg::Control* c = nullptr;
  return dlg::FindByControl(control, &c) ? c->id : 0;
}

bool CheckDlgButton(HWND dialog, int id, bool checked) {
  dlg::Dialog* d = dlg::Find(dialog);
  dlg::Control* c = d ? dlg::FindControl(*d, id) : nullptr;
  if (!c) return false;
  if (c->checked != checked) {
    c->checked = checked;
    if (d->ops.checkChanged) d->ops.checkChanged(*d, *c);
  }
  return true;
}

bool IsDlgButtonChecked(HWND dialog, int id) {
  dlg::Dialog* d = dlg::Find(dialog);
  dlg::Control* c = d ? dlg::FindControl(*d, id) : nullptr;
  return c && c->checked;
}

bool SetDlgItemText(HWND dialog, int id, const char* text) {
  dlg::Dialog* d = dlg::Find(dialog);
  dlg::Control* c = d ? dlg::FindControl(*d, id) : nullptr;
  if (!c) return false;
  c->text = text ? text : "";
  if (d->ops.textChanged) d->ops.textChanged(*d, *c);
  return true;
}

int GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  dlg::Dialog* d = dlg::Find(dialog);
  dlg::Control* c = d ? dlg::FindControl(*d, id) : nullptr;
  if (!c) return 0;
  int n = static_cast<int>(std::min<std::size_t>(c->text.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(buffer, c->text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

HWND SetFocus(HWND control) {
  dlg::Control* c = nullptr;
  dlg::Dialog* d = dlg::FindByControl(control, &c);
  if (!d) return 0;
  HWND old = d->focus;
  dlg::NotifyFocus(*d, control);
  if (d->ops.focusChanged) d->ops.focusChanged(*d, c);
  return old;
}

bool SetScrollRange(HWND control, int bar, int minimum, int maximum, bool) {
  dlg::Control* c = nullptr;
  if (bar != SB_CTL || !dlg::FindByControl(control, &c)) return false;
  c->rangeMin = minimum;
  c->rangeMax = maximum;
  return true;
}

}  // namespace plat
