// The frame-rate readout that --fps asks for: frames per second and the share of
// one CPU the process used, measured over about a second and drawn in the
// bottom-left corner of the picture on top of the module, as other hacks do.
#pragma once
#include <string>

extern bool g_bShowFps;  // set from the command line

// Counts the frame about to be shown, renews the figures once a second, and draws
// them. Leaves every piece of GL state the modules rely on as it found it.
void DrawFpsReadout();
// The text as it stands, e.g. "FPS: 31.2  Load: 12%" ("--" before the first second).
std::string FpsReadoutText();
// The readout's rectangle in window pixels for a viewport of this size (x, y from
// the bottom-left), so tests know where to look.
void FpsReadoutBox(int viewportWidth, int viewportHeight, int* x, int* y, int* width, int* height);
void ResetFpsReadoutForTesting();
