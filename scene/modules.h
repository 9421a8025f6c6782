// The ten module draw routines: each draws one frame into the current GL context
// and returns 1 when glGetError reports no error at the end, else 0.
#pragma once

int DrawModule1();
int DrawModule2();
int DrawModule3();
int DrawModule4();
int DrawModule5();
int DrawModule6();
int DrawModule7();
int DrawModule8();
int DrawModule9();
int DrawModule10();

// The routine of module n; 0 (or anything outside 1..10) only clears.
int DrawModule(int n);
