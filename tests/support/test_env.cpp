// Keeps every test away from the machine's own settings: HOME and the XDG
// folders point into a fresh temporary directory for the whole run.
#include <cstdlib>
#include <string>

namespace {
struct PrivateHome {
  PrivateHome() {
    // llvmpipe's worker threads are not instrumented and trip ThreadSanitizer;
    // one rendering thread keeps the frames the same and the reports ours.
    setenv("LP_NUM_THREADS", "0", 0);
    char pattern[] = "/tmp/kiru-test-XXXXXX";
    if (const char* dir = mkdtemp(pattern)) {
      std::string base = dir;
      setenv("HOME", base.c_str(), 1);
      setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
      setenv("XDG_CONFIG_DIRS", (base + "/etc").c_str(), 1);
    }
  }
} g_PrivateHome;
}  // namespace

// OSMesa keeps one buffer record per colour buffer it was ever made current on, and
// Mesa's GLX and Xlib keep per-display and per-driver records for the process; those
// are the libraries', not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa.so\nleak:libGLX_mesa.so\nleak:swrast_dri.so\nleak:libX11.so\nleak:libLLVM\n";
}
