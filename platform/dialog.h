// Dialogs built from templates: the template is data (caption, size in dialog
// units, font, style, controls), a backend turns it into widgets. The dialog and
// its controls are windows bound in the message layer, so posted messages reach
// the dialog procedure; widget actions arrive as WM_COMMAND and WM_VSCROLL.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

namespace plat {

using DLGPROC = LRESULT (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

enum class ControlKind {
  PushButton,
  DefPushButton,
  AutoCheckBox,
  AutoRadioPush,  // radio button drawn as a push button
  EditDigits,     // single-line edit that takes digits only
  UpDown,         // spin arrows bound to the control before it (auto-buddy)
  StaticLeft,
  StaticCentre,
  GroupBox,
  EtchedFrame,
  EtchedLine,  // a one-unit-wide frame: vertical or horizontal line
  BlackRect,   // also the host of a GL preview
  Icon,        // resource: ICON <resource>
  Bitmap,      // resource: BITMAP <resource>
};

struct DialogControl {
  int id = -1;  // -1: not addressable
  ControlKind kind = ControlKind::StaticLeft;
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  std::string text;
  int resource = 0;  // Icon and Bitmap
};

// Window styles the templates use.
constexpr unsigned DS_MODALFRAME = 0x0080;
constexpr unsigned WS_CAPTION = 0x00C00000;
constexpr unsigned WS_SYSMENU = 0x00080000;
constexpr unsigned WS_MINIMIZEBOX = 0x00020000;
constexpr unsigned WS_POPUP = 0x80000000;

struct DialogTemplate {
  int id = 0;
  std::string caption;
  int width = 0, height = 0;  // dialog units
  std::string fontName;
  int fontPoints = 8;
  unsigned style = 0;
  int icon = 0;  // the window's own icon, big and small (ICON <icon>); 0: the desktop's default
  std::vector<DialogControl> controls;
};

constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
  return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr unsigned LOWORD(WPARAM w) { return static_cast<unsigned>(w & 0xFFFFu); }
constexpr unsigned HIWORD(WPARAM w) { return static_cast<unsigned>((w >> 16) & 0xFFFFu); }

constexpr int SB_CTL = 2;

// Dialog units to pixels with the dialog font's base units (average character
// width and line height in pixels): x px = du × baseX / 4, y px = du × baseY / 8.
// 6 × 13 is the classic 8-point dialog font; a toolkit sets what its font measures.
constexpr int DIALOG_BASE_X = 6;
constexpr int DIALOG_BASE_Y = 13;
void SetDialogBaseUnits(int baseX, int baseY);
int DialogUnitsToPixelsX(int du);
int DialogUnitsToPixelsY(int du);

// Modal: WM_INITDIALOG (lParam = param) reaches the procedure, then a nested loop
// dispatches queued messages and the toolkit's events until EndDialog. Returns the
// EndDialog result, -1 when the dialog could not be created.
int DialogBox(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc, LPARAM param);

// Asked by every modal loop while it runs, and before a dialog is shown: when it
// answers true nobody is left to answer (the process was asked to close, the
// window it drew in is gone), and each dialog ends as if cancelled, or is never
// shown (DialogBox then returns IDCANCEL). nullptr: dialogs wait for their user.
using DialogAbandonCheck = bool (*)();
void SetDialogAbandonCheck(DialogAbandonCheck check);
bool EndDialog(HWND dialog, int result);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);
bool CheckDlgButton(HWND dialog, int id, bool checked);
bool IsDlgButtonChecked(HWND dialog, int id);
bool SetDlgItemText(HWND dialog, int id, const char* text);
// Copies at most size - 1 characters and a terminator; returns the count copied.
int GetDlgItemText(HWND dialog, int id, char* buffer, int size);
// Gives a control of a dialog the keyboard focus; returns the control that had it.
HWND SetFocus(HWND control);
bool SetScrollRange(HWND control, int bar, int minimum, int maximum, bool redraw);
// A key message taken from a dialog's queue, given to the dialog's own handling as
// its loop would: Tab and Shift+Tab move the focus, Space presses or ticks the
// focused control, Enter presses the focused push button or else the default one,
// Esc cancels. True when the dialog used the message up.
bool IsDialogMessage(HWND dialog, const MSG& message);

}  // namespace plat
