// Programs started as children: the exec every one goes through (launch.h's, which
// nobody waits for, too), and a child that is waited for (the idle watcher's saver).
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace plat {

// An argument vector as exec takes it, pointing into argv's strings: made before
// the fork, so that the child allocates nothing.
std::vector<char*> ExecArgs(const std::vector<std::string>& argv);
// In a child just forked: the signal mask and SIGPIPE as a program started from a
// shell has them (this process blocks its close signals and ignores SIGPIPE, and
// exec keeps both), then `path` run with args, searched for on PATH when `search`.
// Never returns: a program that cannot be run ends the child with 127.
[[noreturn]] void ExecAsFromShell(const char* path, const std::vector<char*>& args, bool search);

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
