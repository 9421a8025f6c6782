#include "platform/runonce.h"

namespace plat {
namespace {
bool g_bRunsRunOnce = false;  // no Linux system reads the machine hive's RunOnce key
}

bool SystemRunsRunOnce() { return g_bRunsRunOnce; }
void SetSystemRunsRunOnceForTesting(bool runs) { g_bRunsRunOnce = runs; }

}  // namespace plat
