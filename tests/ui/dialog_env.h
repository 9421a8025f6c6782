// Shared set-up of the dialog tests: a private configuration, a message-box recorder
// and a launcher that records instead of starting programs.
#pragma once
#include <string>
#include <vector>

#include "platform/launch.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/private_config.h"

namespace kiru_test {

inline std::vector<std::vector<std::string>> g_launched;

inline bool RecordLaunch(const std::vector<std::string>& argv) {
  g_launched.push_back(argv);
  return true;
}

class TempHome : public PrivateConfig {
 public:
  TempHome() : PrivateConfig("kiru-dialogs") {
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

 private:
  MessageBoxRecorder boxes_;
};

}  // namespace kiru_test
