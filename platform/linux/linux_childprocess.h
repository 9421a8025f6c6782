// A program started as this process's child and waited for (the idle watcher's
// saver), where launch.h starts programs nobody waits for.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace plat {

struct ChildProcess {
  pid_t pid = -1;  // -1: none running
  int fd = -1;  // a pidfd, readable once the child ended; -1 where the kernel has none
};

// Runs `path` with argv as a child, with the signal mask and SIGPIPE as a program
// started from a shell has them; false when no process could be made.
bool StartChild(const char* path, const std::vector<std::string>& argv, ChildProcess* child);
// Reaps the child if it ended: its exit status, or 128 + the signal that ended it.
bool ChildEnded(ChildProcess* child, int* status);
// SIGTERM, then waits up to graceMs for the child to end; SIGKILL after that.
int EndChild(ChildProcess* child, int graceMs);

}  // namespace plat
