// The message box's template, which the desktops that have no message box of
// their own show as a dialog.
#include <algorithm>

#include "platform/standin/dialogcore.h"

namespace plat::dlg {
namespace {

constexpr int MARGIN = 10;  // dialog units
constexpr int BUTTON_WIDTH = 50, BUTTON_HEIGHT = 14, BUTTON_GAP = 8;
constexpr int MIN_TEXT_WIDTH = 80;

// Pixels to dialog units, rounded up so that the text keeps its pixels.
int UnitsX(int px) { return (px * 4 + DialogUnitsToPixelsX(4) - 1) / DialogUnitsToPixelsX(4); }
int UnitsY(int px) { return (px * 8 + DialogUnitsToPixelsY(8) - 1) / DialogUnitsToPixelsY(8); }

}  // namespace

DialogTemplate MessageBoxTemplate(const char* text, const char* caption, TextMeasure measure, int wrapWidth) {
  int width = 0, height = 0;
  measure(text, 0, &width, &height);
  if (width > wrapWidth) measure(text, wrapWidth, &width, &height);

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

LRESULT MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return 1;  // OK takes the focus
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(box, IDOK);
    return 1;
  }
  return 0;
}

}  // namespace plat::dlg
