// A private configuration per test: HOME and both XDG variables point into a fresh
// temporary folder (on Windows the registry's roots into a fresh key), so no test
// reads or writes the machine's real settings.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/private_registry.h"
#include "tests/support/temp_dir.h"

namespace kiru_test {

class PrivateConfig {
 public:
  explicit PrivateConfig(const std::string& prefix = "kiru-config") : dir_(prefix) {
    const std::string& root = dir_.Path();
    std::filesystem::create_directories(root + "/home");
    PointConfigAt(root + "/home", root + "/config", root + "/etc:/unused");
  }

  const std::string& Root() const { return dir_.Path(); }
  std::string UserHive() const { return Root() + "/config/kiru/user.reg"; }
  std::string MachineHive() const { return Root() + "/etc/kiru/machine.reg"; }

 private:
  TempDir dir_;
  PrivateRegistry registry_;
};

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
