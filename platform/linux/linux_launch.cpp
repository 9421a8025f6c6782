#include "platform/launch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace plat {

// Double fork: the grandchild runs the program and is adopted by init, the child
// ends at once and is reaped here, so no zombie is left and nothing waits.
bool StartProgram(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) {
      signal(SIGPIPE, SIG_DFL);  // we ignore it (sound outputs, the X connection); exec keeps that
      sigset_t none;  // nor may it inherit the close signals blocked for our GUI thread
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace plat
