// Shared set-up of the dialog tests: private hive folders, a message-box recorder
// and a launcher that records instead of starting programs.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/launch.h"
#include "platform/msgbox.h"

namespace kiru_test {

struct Box {
  std::string text, caption;
};
inline std::vector<Box> g_boxes;
inline std::vector<std::vector<std::string>> g_launched;

inline int RecordBox(plat::HWND, const char* text, const char* caption, plat::UINT) {
  g_boxes.push_back({text ? text : "", caption ? caption : ""});
  return plat::IDOK;
}
inline bool RecordLaunch(const std::vector<std::string>& argv) {
  g_launched.push_back(argv);
  return true;
}

// Points HOME and the XDG folders at a fresh temporary tree for the test's life.
class TempHome {
 public:
  TempHome() {
    char pattern[] = "/tmp/kiru-dialogs-XXXXXX";
    root_ = mkdtemp(pattern);
    std::filesystem::create_directories(root_ + "/home/.config");
    std::filesystem::create_directories(root_ + "/etc");
    setenv("HOME", (root_ + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ + "/home/.config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root_ + "/etc").c_str(), 1);
    g_boxes.clear();
    g_launched.clear();
    plat::SetMessageBoxHandler(RecordBox);
    plat::SetLauncherForTesting(RecordLaunch);
  }
  ~TempHome() {
    plat::SetMessageBoxHandler(nullptr);
    plat::SetLauncherForTesting(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::string& root() const { return root_; }
  std::string UserHive() const { return ReadFile(root_ + "/home/.config/kiru/user.reg"); }
  std::string MachineHive() const { return ReadFile(root_ + "/etc/kiru/machine.reg"); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  std::string root_;
};

}  // namespace kiru_test
