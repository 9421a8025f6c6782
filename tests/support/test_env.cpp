// Keeps every test away from the machine's own settings: HOME and the XDG
// folders point into a fresh temporary directory for the whole run (and on
// Windows the registry's roots into a fresh key).
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/support/private_registry.h"
#include "tests/support/temp_dir.h"

namespace {

// Set for child processes a test starts from its own executable, so they share
// the parent's folder instead of leaving one behind when they are killed.
constexpr const char* INHERITED_HOME = "KIRU_TEST_PRIVATE_HOME";

struct PrivateHome {
  PrivateHome() {
    // llvmpipe's worker threads are not instrumented and trip ThreadSanitizer;
    // one rendering thread keeps the frames the same and the reports ours.
    if (!std::getenv("LP_NUM_THREADS")) kiru_test::SetEnv("LP_NUM_THREADS", "0");
    if (std::getenv(INHERITED_HOME)) return;
    dir = std::make_unique<kiru_test::TempDir>("kiru-test");
    if (dir->Path().empty()) return;
    const std::string& base = dir->Path();
    kiru_test::PointConfigAt(base, base + "/config", base + "/etc");
    kiru_test::SetEnv(INHERITED_HOME, base.c_str());
  }
  std::unique_ptr<kiru_test::TempDir> dir;  // removed at exit
  kiru_test::PrivateRegistry registry;      // Windows: the settings of the prefix stay untouched
} g_PrivateHome;

}  // namespace

// OSMesa keeps one buffer record per colour buffer it was ever made current on, and
// Mesa's GLX and Xlib keep per-display and per-driver records for the process, and
// fontconfig (under FLTK's fonts) its cache; those are the libraries', not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa.so\nleak:libGLX_mesa.so\nleak:swrast_dri.so\nleak:libX11.so\nleak:libLLVM\n"
         "leak:libfontconfig.so\n";
}
