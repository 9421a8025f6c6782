// One view of the module per monitor: where each monitor lies in the host
// window, and the frame's drawing into each of them.
#pragma once
#include <vector>

#include "platform/monitors.h"
#include "platform/win.h"

struct View {
  int x = 0, y = 0, width = 0, height = 0;  // GL viewport: window pixels, origin bottom left
  bool operator==(const View&) const = default;
};

// Views for a window at `window` (desktop coordinates): one per monitor it overlaps,
// on the part of the monitor it shows, the primary's first, the same rectangle once,
// none for a monitor inside a larger one; one over the whole window when it overlaps
// none. Only full-screen saving is laid out this way: other windows are one view.
std::vector<View> LayOutViews(const std::vector<plat::MonitorInfo>& monitors, const plat::RECT& window);

// The host's views, laid out again at the next frame after a resize or a
// change of the monitors (and for every new context window).
void InvalidateViews();
// The whole window's view at its new size; the monitors' views follow at the next frame.
void ResizeView(int width, int height);
// Draws module n once per view, its animation advanced once; the viewport is left
// on the first view. A single view over the whole window draws as without views.
int DrawModuleInViews(int n);
// The picture as it stands, drawn and shown again without moving module n on: a
// window resized or exposed while a dialog holds the frames is not left black.
void RedrawStill(int n);
