// Thread priorities.
#pragma once

namespace plat {

// Gives the calling thread a little more CPU than normal threads (one nice step, the
// Linux counterpart of THREAD_PRIORITY_ABOVE_NORMAL). False where the system doesn't
// allow it; the thread then simply runs at normal priority.
bool RaiseThreadPriority();

}  // namespace plat
