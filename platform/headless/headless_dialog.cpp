// Off-screen dialogs: the shared dialog state with no widgets. The dialog and its
// GL host control are windows of this backend, so window calls and GL contexts
// work on them as on any other window.
#include "platform/headless/headless_dialog.h"

#include "platform/standin/dialogcore.h"
#include "platform/queue.h"
#include "platform/window.h"

namespace plat::headless {
namespace {

ModalHook g_modalHook;
std::vector<int> g_opened;

void TypeKey(dlg::Dialog& d, dlg::Control& c, UINT key) {
  if (key >= '0' && key <= '9') {
    c.text.push_back(static_cast<char>(key));
  } else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) {
    c.text.push_back(static_cast<char>('0' + (key - VK_NUMPAD0)));
  } else if (key == VK_BACK) {
    if (!c.text.empty()) c.text.pop_back();
  } else {
    return;
  }
  dlg::NotifyEdit(d, c, EN_CHANGE);
}

// Nobody answers a headless dialog but the test: once its queue is empty, it ends.
void PumpIdle(dlg::Dialog& d, bool wait) {
  if (!wait) return;
  MSG m;
  if (!PeekMessage(&m, 0, 0, 0, PM_NOREMOVE)) EndDialog(d.hwnd, -1);
}

dlg::Control* Lookup(HWND dialog, int id, dlg::Dialog** out) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d) return nullptr;
  *out = d;
  return dlg::FindControl(*d, id);
}

}  // namespace

HWND CreateDialogForTesting(const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
  auto d = dlg::NewDialog(t, owner, proc, param);
  WindowSpec desc;
  desc.kind = WindowKind::TopLevel;
  desc.className = "#32770";
  desc.title = t.caption.c_str();
  desc.width = d->pixelWidth;
  desc.height = d->pixelHeight;
  desc.proc = dlg::DialogWindowProc;
  d->hwnd = CreateWindow(desc);
  if (d->hwnd == 0) return 0;
  for (dlg::Control& c : d->controls) {
    if (c.kind != ControlKind::BlackRect || c.id == -1) continue;
    // A host for a GL surface needs a real window of the backend.
    WindowSpec child;
    child.kind = WindowKind::Child;
    child.className = "Static";
    child.parent = d->hwnd;
    child.x = c.pixels.left;
    child.y = c.pixels.top;
    child.width = c.pixels.right - c.pixels.left;
    child.height = c.pixels.bottom - c.pixels.top;
    child.proc = dlg::ControlWindowProc;
    c.hwnd = CreateWindow(child);
    c.nativeWindow = c.hwnd != 0;
  }
  d->ops.editKey = TypeKey;
  d->ops.pumpEvents = PumpIdle;
  HWND hwnd = d->hwnd;
  dlg::Dialog* registered = dlg::Register(std::move(d));
  dlg::InitDialog(*registered);
  return hwnd;
}

void DestroyDialogForTesting(HWND dialog) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d) return;
  std::vector<HWND> children;
  for (dlg::Control& c : d->controls)
    if (c.nativeWindow) children.push_back(c.hwnd);
  dlg::Unregister(dialog);
  for (HWND child : children)
    if (IsWindow(child)) DestroyWindow(child);
  if (IsWindow(dialog)) DestroyWindow(dialog);
}

void SetModalHookForTesting(ModalHook hook) { g_modalHook = std::move(hook); }
std::vector<int> OpenedDialogsForTesting() { return g_opened; }

bool ClickForTesting(HWND dialog, int id) {
  dlg::Dialog* d = nullptr;
  dlg::Control* c = Lookup(dialog, id, &d);
  if (!c) return false;
  if (c->kind == ControlKind::AutoCheckBox) c->checked = !c->checked;
  dlg::NotifyClicked(*d, *c);
  return true;
}

bool FocusForTesting(HWND dialog, int id) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d) return false;
  if (id == -1) {
    dlg::NotifyFocus(*d, 0);
    return true;
  }
  dlg::Control* c = dlg::FindControl(*d, id);
  if (!c) return false;
  dlg::NotifyFocus(*d, c->hwnd);
  return true;
}

bool TypeForTesting(HWND dialog, int id, const char* text) {
  dlg::Dialog* d = nullptr;
  dlg::Control* c = Lookup(dialog, id, &d);
  if (!c || c->kind != ControlKind::EditDigits) return false;
  dlg::NotifyFocus(*d, c->hwnd);
  c->text = text ? text : "";
  dlg::NotifyEdit(*d, *c, EN_CHANGE);
  return true;
}

bool SpinForTesting(HWND dialog, int id, bool up) {
  dlg::Dialog* d = nullptr;
  dlg::Control* c = Lookup(dialog, id, &d);
  if (!c || c->kind != ControlKind::UpDown) return false;
  dlg::NotifySpin(*d, *c, up);
  return true;
}

bool KeyForTesting(HWND dialog, UINT virtualKey, bool shift) {
  dlg::Dialog* d = dlg::Find(dialog);
  return d && dlg::NavigationKey(*d, virtualKey, shift);
}

bool DialogEndedForTesting(HWND dialog, int* result) {
  dlg::Dialog* d = dlg::Find(dialog);
  if (!d || !d->ended) return false;
  if (result) *result = d->result;
  return true;
}

HWND FocusedControlForTesting(HWND dialog) {
  dlg::Dialog* d = dlg::Find(dialog);
  return d ? d->focus : 0;
}

int DispatchForTesting(int limit) {
  int n = 0;
  MSG m;
  while (n < limit && PeekMessage(&m, 0, 0, 0, PM_REMOVE)) {
    ++n;
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    dlg::Control* c = nullptr;
    dlg::Dialog* d = dlg::Find(m.hwnd);
    if (!d) d = dlg::FindByControl(m.hwnd, &c);
    if (d && dlg::IsDialogMessage(*d, m)) continue;
    DispatchMessage(&m);
  }
  return n;
}

}  // namespace plat::headless

namespace plat {

int DialogBox(const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param) {
  if (dlg::Abandoned()) return IDCANCEL;
  headless::g_opened.push_back(t.id);
  HWND dialog = headless::CreateDialogForTesting(t, owner, proc, param);
  if (dialog == 0) return -1;
  if (headless::g_modalHook) {
    int result = 0;
    if (!headless::DialogEndedForTesting(dialog, &result)) headless::g_modalHook(dialog, t.id);
  }
  int result = dlg::RunModalLoop(dialog);
  headless::DestroyDialogForTesting(dialog);
  return result;
}

}  // namespace plat
