#include "platform/launch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/linux_childprocess.h"

namespace plat {

// Double fork: the grandchild runs the program and is adopted by init, the child
// ends at once and is reaped here, so no zombie is left and nothing waits.
bool StartProgram(const std::vector<std::string>& argv) {
  std::vector<char*> args = ExecArgs(argv);
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) ExecAsFromShell(args[0], args, true);
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace plat
