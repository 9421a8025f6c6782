// Tells when one file is written, replaced, created or removed, without polling:
// inotify on its folder (and on the folder of the file a symbolic link names), or,
// while the folder is missing, on the nearest folder above it that exists.
#pragma once
#include <string>

namespace plat {

// Starts watching `path`; the descriptor to poll, -1 when inotify is not there.
int WatchFile(const std::string& path);
// Reads what the descriptor holds; true when the file may have changed.
bool TakeFileChange();

}  // namespace plat
