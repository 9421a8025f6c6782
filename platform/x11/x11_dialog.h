// FLTK pieces of the X11 backend that its start-up wires in, and what its tests
// measure of them.
#pragma once
#include "platform/dialog.h"

namespace plat::x11 {

// Message boxes as small dialogs of their own.
void InstallFltkMessageBox();

// After the monitors changed: every dialog back on a monitor, the primary for one
// left on none, and WM_DISPLAYCHANGE posted to each.
void FollowMonitors();

// The size of a text in the dialog font, wrapped at word boundaries to `width`
// pixels as a static control draws it (0: unwrapped). False without a display.
bool MeasureDialogText(const char* text, int width, int* textWidth, int* textHeight);

// Chooses the largest text size (10 down to 6) at which the template's layout fits
// width x height pixels, and lays out from then on with its base units (the dialogs
// do so before they show). Returns the size; 0 when dialogs cannot be shown.
int FitDialogFont(const DialogTemplate& dialogTemplate, int width, int height);

// Whether dialogs can be shown at all: a display, and a font for FLTK, which ends
// the process when fontconfig offers it none. Without a font it says so on stderr,
// once per process.
bool DialogsUsable();

}  // namespace plat::x11
