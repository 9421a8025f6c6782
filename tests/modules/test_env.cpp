// One llvmpipe thread, so ThreadSanitizer sees only our threads.
#include <cstdlib>

namespace {
struct OneRenderThread {
  OneRenderThread() { setenv("LP_NUM_THREADS", "0", 0); }
} g_OneRenderThread;
}  // namespace

// OSMesa keeps a buffer record per colour buffer it was made current on.
extern "C" const char* __lsan_default_suppressions() { return "leak:libOSMesa.so\n"; }
