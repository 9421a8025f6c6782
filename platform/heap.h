// The process heap, tuned for a software GL renderer.
#pragma once
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace plat {

// Mesa's llvmpipe allocates its scene (megabytes of binned triangles) afresh for
// every frame and frees it after. glibc would return the freed top of the heap to
// the system each time and fault it back in, page by page, in the next frame:
// thousands of page faults a frame. Keeping freed memory (and serving blocks up to
// a few megabytes from the heap) avoids them; the peak size is unchanged.
inline void KeepFreedHeap() {
#if defined(__GLIBC__)
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
}

// Gives freed heap back to the system at once, from every arena (the renderer's
// threads have their own): after a large free the kept memory would otherwise stay.
inline void ReturnFreedHeap() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace plat
