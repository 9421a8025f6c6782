// Modal dialogs from the executable's dialog templates (DialogBoxParamA with the
// template's id: the resource script is generated from the same tables), the
// controls' own calls, and message boxes. A template's icon becomes the window's own.
#include "platform/dialog.h"

#include <map>

#include "platform/msgbox.h"
#include "platform/windows/windows_winapi.h"

#include <commctrl.h>

namespace plat {

using namespace win32;

namespace {

struct Binding {
  DLGPROC proc;
  LPARAM param;
  int icon;
};

std::map<::HWND, DLGPROC> g_dialogs;  // UI thread only
DialogAbandonCheck g_pAbandonCheck = nullptr;

bool Abandoned() { return g_pAbandonCheck && g_pAbandonCheck(); }

// The title bar and the task switcher each take the icon's own image of their size,
// rather than one image scaled.
void SetIcons(::HWND dialog, int icon) {
  if (!icon) return;
  const struct {
    ::WPARAM which;
    int width, height;
  } sizes[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
  for (const auto& size : sizes)
    if (::HANDLE image = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon), IMAGE_ICON,
                                      ::GetSystemMetrics(size.width), ::GetSystemMetrics(size.height), LR_SHARED))
      ::SendMessageA(dialog, WM_SETICON, size.which, reinterpret_cast<::LPARAM>(image));
}

INT_PTR CALLBACK ForwardDialogProc(::HWND dialog, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* binding = reinterpret_cast<const Binding*>(lParam);
    g_dialogs[dialog] = binding->proc;
    SetIcons(dialog, binding->icon);
    return binding->proc(Ours(dialog), message, wParam, binding->param);
  }
  auto it = g_dialogs.find(dialog);
  if (it == g_dialogs.end()) return FALSE;
  DLGPROC proc = it->second;
  if (Abandoned() && message != WM_NCDESTROY && message != WM_DESTROY) {
    // Nobody is left to answer: the dialog ends as its Cancel would end it.
    g_dialogs.erase(it);
    proc(Ours(dialog), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  INT_PTR result = proc(Ours(dialog), message, wParam, lParam);
  if (message == WM_NCDESTROY) g_dialogs.erase(dialog);
  return result;
}

int MessageBoxWin32(HWND owner, const char* text, const char* caption, UINT style) {
  return ::MessageBoxA(Native(owner), text, caption, style);
}

// Installed with the first dialog layer in the program, before any box is shown.
struct MessageBoxInstaller {
  MessageBoxInstaller() { SetMessageBoxHandler(MessageBoxWin32); }
} g_installer;

bool IsUpDown(::HWND control) {
  char name[32] = "";
  ::GetClassNameA(control, name, sizeof name);
  return _stricmp(name, UPDOWN_CLASSA) == 0;
}

}  // namespace

// The system measures the dialog font itself.
void SetDialogBaseUnits(int, int) {}
int DialogUnitsToPixelsX(int du) { return ::MulDiv(du, LOWORD(::GetDialogBaseUnits()), 4); }
int DialogUnitsToPixelsY(int du) { return ::MulDiv(du, HIWORD(::GetDialogBaseUnits()), 8); }

void SetDialogAbandonCheck(DialogAbandonCheck check) { g_pAbandonCheck = check; }

int DialogBox(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param) {
  if (Abandoned()) return IDCANCEL;
  static const bool commonControls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControls;
  Binding binding{proc, param, dialogTemplate.icon};
  return static_cast<int>(::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogTemplate.id),
                                            Native(owner), ForwardDialogProc,
                                            reinterpret_cast<::LPARAM>(&binding)));
}

bool EndDialog(HWND dialog, int result) { return ::EndDialog(Native(dialog), result) != FALSE; }
HWND GetDlgItem(HWND dialog, int id) { return Ours(::GetDlgItem(Native(dialog), id)); }
int GetDlgCtrlID(HWND control) { return ::GetDlgCtrlID(Native(control)); }

bool CheckDlgButton(HWND dialog, int id, bool checked) {
  return ::CheckDlgButton(Native(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED) != FALSE;
}

bool IsDlgButtonChecked(HWND dialog, int id) { return ::IsDlgButtonChecked(Native(dialog), id) == BST_CHECKED; }

bool SetDlgItemText(HWND dialog, int id, const char* text) {
  return ::SetDlgItemTextA(Native(dialog), id, text) != FALSE;
}

int GetDlgItemText(HWND dialog, int id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(::GetDlgItemTextA(Native(dialog), id, buffer, size));
}

HWND SetFocus(HWND control) { return Ours(::SetFocus(Native(control))); }

bool SetScrollRange(HWND control, int bar, int minimum, int maximum, bool redraw) {
  // An up-down control is no scroll bar: it keeps its own range (100 down to 0),
  // in whose direction the up arrow lowers the position, which is what the
  // settings dialog's spin handler compares against.
  if (IsUpDown(Native(control))) return true;
  return ::SetScrollRange(Native(control), bar, minimum, maximum, redraw) != FALSE;
}

bool IsDialogMessage(HWND dialog, const MSG& message) {
  ::MSG m{};
  m.hwnd = Native(message.hwnd);
  m.message = message.message;
  m.wParam = message.wParam;
  m.lParam = message.lParam;
  m.time = message.time;
  DWORD pos = ::GetMessagePos();
  m.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  return ::IsDialogMessageA(Native(dialog), &m) != FALSE;
}

}  // namespace plat
