#include "platform/runonce.h"

namespace plat {
namespace {
bool g_bRunsRunOnce = true;  // Windows runs the machine's RunOnce commands at its next start
}

bool SystemRunsRunOnce() { return g_bRunsRunOnce; }
void SetSystemRunsRunOnceForTesting(bool runs) { g_bRunsRunOnce = runs; }

}  // namespace plat
