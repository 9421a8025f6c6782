// The bounce oscillator shared by the grid modules 4 and 7: whichever of them is
// drawn advances it, and the other continues the same swing.
#pragma once

extern float g_fBounce;   // push along the model's z axis, -5 .. 5
extern bool g_bBounceUp;  // rising
