// Temporary folders and whole-file helpers shared by every test program.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace kiru_test {

// Folder for scratch files: $TMPDIR when set, else /tmp.
inline std::string TempRoot() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

// A fresh `<TempRoot>/<prefix>-XXXXXX` folder, removed with everything in it on destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "kiru-test") {
    std::string pattern = TempRoot() + "/" + prefix + "-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// HOME and the XDG configuration folders the code under test reads its settings from.
inline void PointConfigAt(const std::string& home, const std::string& configHome,
                          const std::string& configDirs) {
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  setenv("XDG_CONFIG_DIRS", configDirs.c_str(), 1);
}

// The whole file, byte for byte; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Replaces the file with `data`, making its folder first.
inline void WriteFile(const std::string& path, const std::string& data) {
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!parent.empty()) std::filesystem::create_directories(parent, ignored);
  std::ofstream(path, std::ios::binary) << data;
}

}  // namespace kiru_test
