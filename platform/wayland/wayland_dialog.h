// Dialogs drawn by the saver itself: each is a subsurface of the saver's surface
// on the output with the keyboard focus, painted with cairo and pango into
// shared-memory buffers, its controls laid out and run by the dialog core. While
// one is open it has the keyboard and the pointer, and the saver hears nothing.
#pragma once
#include <cairo.h>

#include "platform/standin/dialogcore.h"
#include "platform/wayland/wayland_records.h"

namespace plat::wayland {

// The frame around a dialog's client area: a raised edge and a caption bar.
struct DialogFrame {
  int width = 0, height = 0;  // logical pixels, the frame included
  POINT client{};             // where the client area starts
  RECT closeBox{};            // the caption's close button; empty without one
};
DialogFrame FrameAround(const dlg::Dialog& dialog);

// How many of the output's pixels a logical pixel of a dialog takes (from the
// output's scale in 120ths), and a dialog's extent in buffer pixels at that scale.
double DialogScale(int scale120);
int BufferExtent(int logical, double scale);
// The top left corner of a dialog centred on an output of the given logical size,
// its caption kept on the output when the dialog is larger.
POINT PlaceOnOutput(int outputWidth, int outputHeight, int width, int height);

// What a click at `point` (client coordinates) works: the index of the control in
// dialog.controls, -1 for none. Only the controls that take clicks count; a check
// box without text is easier to hit than its small square.
int ControlAt(const dlg::Dialog& dialog, POINT point);
// Whether a point of an up-down control is on its upper arrow.
bool UpperArrow(const dlg::Control& control, POINT point);

// Painting (wayland_paint.cpp). The text size from 10 down to 6 pixels at which
// the template fits width x height logical pixels; the dialog core lays out with
// the base units measured from it from then on. Returns the size.
int FitDialogFont(const DialogTemplate& dialogTemplate, int width, int height);
// A text's size in the dialog font, wrapped at word boundaries to `width` (0:
// unwrapped), as a static control draws it.
bool MeasureDialogText(const char* text, int width, int* textWidth, int* textHeight);
// The height of the caption bar at the current text size.
int CaptionHeight();
struct DialogLook {
  const char* caption = "";
  int pressed = -1;           // the control held down by the pointer, with it over it
  bool upperArrow = false;    // of an up-down control: which arrow
  bool closePressed = false;  // the close button, likewise
};
// The whole dialog, frame included, in logical pixels from (0, 0).
void PaintDialog(cairo_t* cr, const dlg::Dialog& dialog, const DialogLook& look);
// The same into XRGB pixels at a scale: width x height is the frame's BufferExtent.
void RenderDialog(unsigned char* pixels, int width, int height, int stride, double scale, const dlg::Dialog& dialog,
                  const DialogLook& look);

// The saver's surface that a dialog opens on: the one on the output with the
// keyboard focus, else the first; nullptr while the saver shows on none.
Surface* DialogHost();

// For the saver's window and input code (wayland_window.cpp, wayland_input.cpp).
bool IsDialogWindow(HWND window);
bool GetDialogRect(HWND window, RECT* rect);  // desktop coordinates
bool SetDialogCaption(HWND window, const char* text);
int GetDialogCaption(HWND window, char* buffer, int size);  // -1: not a dialog
// A key while a dialog is open goes to the innermost one; false when none is.
bool DialogTakesKey(UINT virtualKey, bool down, bool shift, LPARAM keyData);
// Pointer events while a dialog is open: the innermost one takes the clicks on
// it, and the saver none; false when none is open. Enter shows the arrow.
bool DialogPointerEnter(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
bool DialogPointerMotion(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
bool DialogPointerButton(wl_surface* surface, std::uint32_t button, bool down);
// The saver's surface on an output goes: its dialogs move to another output.
void DialogHostGone(Surface& surface);
// Message boxes over the saver are dialogs of its own from now on
// (wayland_msgbox.cpp).
void InstallMessageBox();

}  // namespace plat::wayland
