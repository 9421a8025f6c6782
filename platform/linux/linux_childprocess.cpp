#include "platform/linux/linux_childprocess.h"

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

namespace plat {
namespace {

int StatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

void Forget(ChildProcess* child) {
  if (child->fd >= 0) close(child->fd);
  *child = ChildProcess{};
}

}  // namespace

std::vector<char*> ExecArgs(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return args;
}

void ExecAsFromShell(const char* path, const std::vector<char*>& args, bool search) {
  signal(SIGPIPE, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (search)
    execvp(path, args.data());
  else
    execv(path, args.data());
  _exit(127);
}

bool StartChild(const char* path, const std::vector<std::string>& argv, ChildProcess* child) {
  std::vector<char*> args = ExecArgs(argv);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) ExecAsFromShell(path, args, false);
  child->pid = pid;
  // The child is ours and not reaped yet, so the pid cannot name another process.
  child->fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  return true;
}

bool ChildEnded(ChildProcess* child, int* status) {
  if (child->pid < 0) return false;
  int raw = 0;
  pid_t done;
  while ((done = waitpid(child->pid, &raw, WNOHANG)) < 0 && errno == EINTR) {
  }
  if (done == 0) return false;
  *status = done > 0 ? StatusOf(raw) : 255;  // reaped by someone else: no status left
  Forget(child);
  return true;
}

int EndChild(ChildProcess* child, int graceMs) {
  int status = 0;
  if (child->pid < 0) return status;
  kill(child->pid, SIGTERM);
  for (int waited = 0; waited < graceMs; waited += 20) {
    if (ChildEnded(child, &status)) return status;
    if (child->fd >= 0) {
      pollfd p{child->fd, POLLIN, 0};
      poll(&p, 1, 20);
    } else {
      struct timespec step = {0, 20000000};
      nanosleep(&step, nullptr);
    }
  }
  kill(child->pid, SIGKILL);
  int raw = 0;
  while (waitpid(child->pid, &raw, 0) < 0 && errno == EINTR) {
  }
  Forget(child);
  return 128 + SIGKILL;
}

}  // namespace plat
