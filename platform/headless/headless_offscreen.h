// A current GL context without any display (OSMesa on Linux, an off-screen WGL
// context on Windows), for tests, snapshots and benchmarks that draw frames and
// read them back.
#pragma once
#include <vector>

namespace plat::headless {

// Creates (or re-creates at a new size) an RGBA context with a depth buffer and
// makes it current on the calling thread.
bool MakeOffscreenContext(int width, int height);
void DestroyOffscreenContext();
// Leaves the context alive but current nowhere.
void ReleaseOffscreenContext();
int OffscreenWidth();
int OffscreenHeight();
// The colour buffer, RGBA, rows bottom first (as GL reads them); empty without a context.
const unsigned char* OffscreenPixels();

}  // namespace plat::headless
