#include "tests/platform/x11/x11_support.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/queue.h"
#include "platform/window.h"
#include "platform/x11/x11_display.h"

extern char** environ;

namespace x11test {

std::vector<plat::MSG> g_messages;

namespace {

constexpr const char* HOST_VARIABLE = "KIRU_X11_TEST_HOST";

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

pid_t Spawn(const std::vector<std::string>& args, int stdoutFd = -1) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  else posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void Reap(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// A server of its own on a free display; several test processes may start at
// once, so a display taken under us is given up for the next one.
class XvfbEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    if (std::getenv(HOST_VARIABLE)) return;  // a host process uses its parent's server
    for (int display = 90; display <= 150 && pid_ < 0; ++display) {
      std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
      std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
      if (Exists(lock)) continue;
      pid_t pid = Spawn({"Xvfb", ":" + std::to_string(display), "-screen", "0", "1024x768x24",
                         "-nolisten", "tcp", "-noreset"});
      if (pid < 0) break;
      bool up = false;
      for (int i = 0; i < 500 && !up; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // lost the display to another
        up = Exists(socket) && OwnsLock(lock, pid);
        if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (!up) {
        Reap(pid);
        continue;
      }
      pid_ = pid;
      setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    }
    ASSERT_GT(pid_, 0) << "no virtual X server could be started";
  }
  void TearDown() override {
    Reap(pid_);
    pid_ = -1;
  }

 private:
  static bool OwnsLock(const std::string& lock, pid_t pid) {
    std::ifstream in(lock);
    long owner = 0;
    return (in >> owner) && owner == pid;
  }
  pid_t pid_ = -1;
};

[[maybe_unused]] testing::Environment* const g_pXvfb =
    testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace

plat::LRESULT RecordingProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                            plat::LPARAM lParam) {
  g_messages.push_back(plat::MSG{window, message, wParam, lParam, 0});
  return 0;
}

int Count(plat::UINT message) {
  int n = 0;
  for (const plat::MSG& m : g_messages) n += m.message == message;
  return n;
}

std::vector<plat::WPARAM> KeysDown() {
  std::vector<plat::WPARAM> keys;
  for (const plat::MSG& m : g_messages)
    if (m.message == plat::WM_KEYDOWN) keys.push_back(m.wParam);
  return keys;
}

bool PumpUntil(const std::function<bool()>& done, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    plat::MSG m;
    while (plat::PeekMessage(&m, 0, 0, 0, plat::PM_REMOVE)) plat::DispatchMessage(&m);
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    plat::WaitMessage(20);
  }
}

int Shell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

bool HostProcess::Start(const char* className, const char* title, bool fullScreen) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  setenv(HOST_VARIABLE, className, 1);
  setenv("KIRU_X11_TEST_HOST_TITLE", title, 1);
  if (fullScreen) setenv("KIRU_X11_TEST_HOST_FULL", "1", 1);
  pid_ = Spawn({"/proc/self/exe", "--gtest_filter=HostProcess.Serve"}, fds[1]);
  unsetenv(HOST_VARIABLE);
  unsetenv("KIRU_X11_TEST_HOST_TITLE");
  unsetenv("KIRU_X11_TEST_HOST_FULL");
  close(fds[1]);
  std::string line;
  char c;
  while (read(fds[0], &c, 1) == 1) {
    if (c == '\n') {
      if (line.rfind("host ", 0) == 0) break;
      line.clear();
    } else {
      line += c;
    }
  }
  close(fds[0]);
  if (line.rfind("host ", 0) != 0) return false;
  xid = std::stoul(line.substr(5));
  return xid != 0;
}

void HostProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  // The server notices the closed connection in its own time.
  for (int i = 0; i < 200 && plat::IsNativeWindow(xid); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace x11test

// Runs only inside a host process: a plain window whose id goes to the parent.
TEST(HostProcess, Serve) {
  const char* className = std::getenv("KIRU_X11_TEST_HOST");
  if (!className) GTEST_SKIP() << "only runs as another test's host window";
  plat::WindowSpec desc;
  desc.kind = std::getenv("KIRU_X11_TEST_HOST_FULL") ? plat::WindowKind::FullScreen
                                                     : plat::WindowKind::TopLevel;
  desc.className = className;
  desc.title = std::getenv("KIRU_X11_TEST_HOST_TITLE");
  desc.width = 320;
  desc.height = 240;
  desc.proc = x11test::RecordingProc;
  plat::HWND window = plat::CreateWindow(desc);
  ASSERT_NE(window, 0u);
  std::printf("host %lu\n", plat::x11::NativeWindowOf(window));
  std::fflush(stdout);
  for (;;) x11test::PumpUntil([] { return false; }, 1000);
}
