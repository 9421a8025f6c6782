// A private configuration tree per test: HOME and both XDG variables point into a
// fresh temporary folder, so no test reads or writes the machine's real settings.
#pragma once
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

class TempConfig {
 public:
  TempConfig() : dir_("kiru-settings") {
    const std::string& root = dir_.Path();
    kiru_test::PointConfigAt(root + "/home", root + "/config", root + "/etc:/unused");
  }

  const std::string& Root() const { return dir_.Path(); }
  std::string UserHive() const { return Root() + "/config/kiru/user.reg"; }
  std::string MachineHive() const { return Root() + "/etc/kiru/machine.reg"; }

 private:
  kiru_test::TempDir dir_;
};

namespace kiru_test {
// regedit's Unicode form of an ASCII text: a byte-order mark, then each character
// as one little-endian 16-bit unit.
inline std::string Utf16(std::string_view ascii) {
  std::string out = "\xff\xfe";
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}
}  // namespace kiru_test
