// What becomes of the commands stored under the machine's RunOnce key.
#pragma once

namespace plat {

// Whether the system runs each of them once at its next start. Windows does;
// nothing on Linux reads them, so scheduling one there would promise what never
// happens.
bool SystemRunsRunOnce();
void SetSystemRunsRunOnceForTesting(bool runs);

}  // namespace plat
