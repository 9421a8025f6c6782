#include "platform/fault.h"

namespace plat {

void EndProcessOnFault(FaultCleanup) {}

}  // namespace plat
