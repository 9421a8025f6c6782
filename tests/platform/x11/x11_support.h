// Shared pieces of the X11 backend tests: the virtual X server they run on, a
// recording window procedure, a pump, and a host window in another process.
#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win.h"

namespace x11test {

// Every message that reached RecordingProc, in order.
extern std::vector<plat::MSG> g_messages;
plat::LRESULT RecordingProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam,
                            plat::LPARAM lParam);
int Count(plat::UINT message);
std::vector<plat::WPARAM> KeysDown();

// Dispatches posted messages until `done` holds or `ms` have passed; true if done.
bool PumpUntil(const std::function<bool()>& done, int ms = 5000);

// Runs a shell command line against the test server; its exit status.
int Shell(const std::string& command);
std::string Capture(const std::string& command);

// A window of class `className` titled `title` owned by another process.
class HostProcess {
 public:
  bool Start(const char* className, const char* title, bool fullScreen = false);
  void Kill();  // the X server then destroys its windows
  ~HostProcess() { Kill(); }
  unsigned long xid = 0;

 private:
  pid_t pid_ = -1;
};

}  // namespace x11test
