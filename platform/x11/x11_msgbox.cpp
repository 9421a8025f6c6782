// Message boxes as small dialogs of their own (the text, an OK button), so that
// they stack, take the keyboard and close like every other dialog: centred over
// the window that owns them (on the screen without one), above the full-screen
// saver, closed by Enter, Space, Esc or their close button.
#include <algorithm>
#include <cstdio>

#include "platform/dialog.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "platform/x11/x11_dialog.h"
#include "platform/x11/x11_display.h"

namespace plat::x11 {
namespace {

constexpr int MARGIN = 10;  // dialog units
constexpr int BUTTON_WIDTH = 50, BUTTON_HEIGHT = 14, BUTTON_GAP = 8;
constexpr int MIN_TEXT_WIDTH = 80;

// Pixels to dialog units, rounded up so that the text keeps its pixels.
int UnitsX(int px) { return (px * 4 + DialogUnitsToPixelsX(4) - 1) / DialogUnitsToPixelsX(4); }
int UnitsY(int px) { return (px * 8 + DialogUnitsToPixelsY(8) - 1) / DialogUnitsToPixelsY(8); }

DialogTemplate BoxTemplate(const char* text, const char* caption) {
  FitDialogFont(DialogTemplate{}, 1, 1);  // measured at the size the box will take
  RECT screen{0, 0, 1024, 768};
  x11::GetWindowRect(GetDesktopWindow(), &screen);
  int width = 0, height = 0;
  MeasureDialogText(text, 0, &width, &height);
  int wrap = (screen.right - screen.left) / 2;  // long lines wrap at half the screen
  if (width > wrap) MeasureDialogText(text, wrap, &width, &height);

  DialogTemplate t;
  t.caption = caption;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  int textWidth = std::max(UnitsX(width), MIN_TEXT_WIDTH), textHeight = UnitsY(height);
  t.width = textWidth + 2 * MARGIN;
  DialogControl label;
  label.kind = ControlKind::StaticLeft;
  label.x = MARGIN, label.y = MARGIN, label.width = textWidth, label.height = textHeight;
  label.text = text;
  DialogControl ok;
  ok.id = IDOK;
  ok.kind = ControlKind::DefPushButton;
  ok.x = (t.width - BUTTON_WIDTH) / 2, ok.y = MARGIN + textHeight + BUTTON_GAP;
  ok.width = BUTTON_WIDTH, ok.height = BUTTON_HEIGHT;
  ok.text = "OK";
  t.height = ok.y + BUTTON_HEIGHT + MARGIN;
  t.controls = {label, ok};
  return t;
}

LRESULT BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return 1;  // OK takes the focus
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(box, IDOK);
    return 1;
  }
  return 0;
}

int MessageBoxFltk(HWND owner, const char* text, const char* caption, UINT) {
  if (!DialogsUsable()) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
  }
  // Through the interface: over a Wayland saver the saver steps aside first.
  plat::DialogBox(BoxTemplate(text ? text : "", caption ? caption : ""), IsWindow(owner) ? owner : 0, BoxProc, 0);
  return IDOK;
}

}  // namespace

void InstallFltkMessageBox() { SetMessageBoxHandler(MessageBoxFltk); }

}  // namespace plat::x11
