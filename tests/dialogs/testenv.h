// Shared set-up of the dialog tests: private hive folders, a message-box recorder
// and a launcher that records instead of starting programs.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/launch.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/private_registry.h"
#include "tests/support/temp_dir.h"

namespace kiru_test {

inline std::vector<std::vector<std::string>> g_launched;

inline bool RecordLaunch(const std::vector<std::string>& argv) {
  g_launched.push_back(argv);
  return true;
}

// Points HOME and the XDG folders (on Windows the registry) at a fresh store for the test's life.
class TempHome {
 public:
  TempHome() : dir_("kiru-dialogs") {
    const std::string& root = dir_.Path();
    std::filesystem::create_directories(root + "/home/.config");
    std::filesystem::create_directories(root + "/etc");
    PointConfigAt(root + "/home", root + "/home/.config", root + "/etc");
    g_launched.clear();
    plat::SetLauncherForTesting(RecordLaunch);
  }
  ~TempHome() {
    plat::SetLauncherForTesting(nullptr);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  // The boxes shown since this set-up began.
  static std::vector<RecordedMessageBox>& Boxes() { return MessageBoxRecorder::Boxes(); }

  const std::string& root() const { return dir_.Path(); }
  std::string UserHive() const { return ReadFile(root() + "/home/.config/kiru/user.reg"); }
  std::string MachineHive() const { return ReadFile(root() + "/etc/kiru/machine.reg"); }

 private:
  TempDir dir_;
  PrivateRegistry registry_;
  MessageBoxRecorder boxes_;
};

}  // namespace kiru_test
