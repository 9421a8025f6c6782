// A lock on a file, held until the process ends: the system drops it then, even
// after a crash, so that two processes started in the same instant cannot both win.
// One saver per compositor, one idle watcher per display.
#pragma once
#include <string>

namespace plat {

// False only when another process holds the lock. A file that cannot be made or
// locked keeps nobody out: the caller goes on as the holder rather than not at all.
bool HoldLockFile(const std::string& path);

}  // namespace plat
