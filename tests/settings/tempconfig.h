// A private configuration tree per test: HOME and both XDG variables point into a
// fresh temporary folder, so no test reads or writes the machine's real settings.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempConfig {
 public:
  TempConfig() {
    char tmpl[] = "/tmp/kiru-settings-XXXXXX";
    root_ = mkdtemp(tmpl);
    setenv("HOME", (root_ + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root_ + "/etc:/unused").c_str(), 1);
  }
  ~TempConfig() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempConfig(const TempConfig&) = delete;
  TempConfig& operator=(const TempConfig&) = delete;

  const std::string& Root() const { return root_; }
  std::string UserHive() const { return root_ + "/config/kiru/user.reg"; }
  std::string MachineHive() const { return root_ + "/etc/kiru/machine.reg"; }

 private:
  std::string root_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}
