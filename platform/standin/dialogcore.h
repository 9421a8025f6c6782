// The part of the dialog layer that every backend shares: the in-memory state of
// each open dialog and its controls (authoritative; a toolkit mirrors it), the
// dialog window procedure with its default handling, and the modal loop.
// A backend creates the native side and fills in the hooks of its dialogs.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace plat::dlg {

struct Control {
  int id = -1;
  ControlKind kind = ControlKind::StaticLeft;
  HWND hwnd = 0;
  RECT pixels;  // in the dialog's client area
  std::string text;
  bool checked = false;
  int rangeMin = 0, rangeMax = 100;
  int position = 0;   // up-down: the last position reported
  void* native = nullptr;  // the toolkit's widget
  bool nativeWindow = false;  // the backend made a window of its own for it
};

struct Dialog;

// What a backend does to mirror state changes in its widgets; any may be null.
struct NativeOps {
  void (*checkChanged)(Dialog& dialog, Control& control) = nullptr;
  void (*textChanged)(Dialog& dialog, Control& control) = nullptr;
  void (*focusChanged)(Dialog& dialog, Control* control) = nullptr;
  void (*ended)(Dialog& dialog) = nullptr;
  // A key that the default handling hands to the focused edit (the toolkit may
  // have typed it already, then it does nothing).
  void (*editKey)(Dialog& dialog, Control& control, UINT virtualKey) = nullptr;
  // Runs the toolkit's pending events; `wait` lets it block briefly when idle.
  void (*pumpEvents)(Dialog& dialog, bool wait) = nullptr;
};

struct Dialog {
  HWND hwnd = 0;
  HWND owner = 0;
  DLGPROC proc = nullptr;
  LPARAM param = 0;
  DialogTemplate tmpl;
  int pixelWidth = 0, pixelHeight = 0;
  std::vector<Control> controls;
  HWND focus = 0;
  bool ended = false;
  int result = 0;
  NativeOps ops;
  void* native = nullptr;
};

// Lays out the controls of the template in pixels (no windows yet).
std::unique_ptr<Dialog> NewDialog(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc,
                                  LPARAM param);
// Binds a plain control window (no native window behind it) for each control
// that has none yet, registers the dialog under its window (which the backend
// has bound with DialogWindowProc) and returns it.
Dialog* Register(std::unique_ptr<Dialog> dialog);
// Unbinds the control windows and forgets the dialog (the backend destroys the
// dialog window itself).
void Unregister(HWND dialog);
Dialog* Find(HWND dialog);
Dialog* FindByControl(HWND control, Control** control_out);
Control* FindControl(Dialog& dialog, int id);

LRESULT DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sends WM_INITDIALOG; gives the first focusable control the focus when the
// procedure answers TRUE and has not chosen one itself.
void InitDialog(Dialog& dialog);
// Dialog keys of a message the loop took: Esc → IDCANCEL, Enter → the focused
// push button or else the default button. True when the message was used up.
bool IsDialogMessage(Dialog& dialog, const MSG& message);
// Keys that work on the controls themselves, as the backend reads them: Tab and
// Shift+Tab move the focus through the focusable controls in template order,
// Space presses the focused button or toggles the focused check box. True when
// the key was one of them.
bool NavigationKey(Dialog& dialog, UINT virtualKey, bool shift);
// Whether the abandon check (dialog.h) says that nobody is left to answer.
bool Abandoned();
// Dispatches messages and toolkit events until the dialog ends or WM_QUIT comes
// (which is put back for the outer loop). Returns the dialog's result.
int RunModalLoop(HWND dialog);

// What the toolkit reports, turned into the messages Win32 controls send.
void NotifyClicked(Dialog& dialog, Control& control);  // after the toolkit set the new state
void NotifyEdit(Dialog& dialog, Control& control, UINT notification);
void NotifySpin(Dialog& dialog, Control& control, bool up);
void NotifyFocus(Dialog& dialog, HWND control);  // focus moved by the user

// A message box as a small dialog of its own: the text, wrapped at `wrapWidth`
// pixels when it is wider, and an OK button below it, laid out with the base units
// of the desktop's font, which `measure` measures in (as MeasureDialogText does).
using TextMeasure = bool (*)(const char* text, int width, int* textWidth, int* textHeight);
DialogTemplate MessageBoxTemplate(const char* text, const char* caption, TextMeasure measure, int wrapWidth);
// Its procedure: OK, Esc and the close button end it with IDOK.
LRESULT MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plat::dlg
