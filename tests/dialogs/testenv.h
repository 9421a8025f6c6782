// Shared set-up of the dialog tests: private hive folders, a message-box recorder
// and a launcher that records instead of starting programs.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/launch.h"
#include "platform/msgbox.h"
#include "tests/support/temp_dir.h"

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
  TempHome() : dir_("kiru-dialogs") {
    const std::string& root = dir_.Path();
    std::filesystem::create_directories(root + "/home/.config");
    std::filesystem::create_directories(root + "/etc");
    PointConfigAt(root + "/home", root + "/home/.config", root + "/etc");
    g_boxes.clear();
    g_launched.clear();
    plat::SetMessageBoxHandler(RecordBox);
    plat::SetLauncherForTesting(RecordLaunch);
  }
  ~TempHome() {
    plat::SetMessageBoxHandler(nullptr);
    plat::SetLauncherForTesting(nullptr);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& root() const { return dir_.Path(); }
  std::string UserHive() const { return ReadFile(root() + "/home/.config/kiru/user.reg"); }
  std::string MachineHive() const { return ReadFile(root() + "/etc/kiru/machine.reg"); }

 private:
  TempDir dir_;
};

}  // namespace kiru_test
