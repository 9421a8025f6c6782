// Faults the program cannot recover from (an access violation, a stack overflow:
// Windows' structured exceptions, on any thread).
#pragma once

namespace plat {

// From now on such a fault runs `cleanup` (it must not wait on anything) and ends
// the process at once with status -1 (255): no crash dialog over the desktop, no
// static destructors, no settings written from a broken state. On Linux a fault
// keeps the system's own handling.
using FaultCleanup = void (*)();
void EndProcessOnFault(FaultCleanup cleanup);

}  // namespace plat
