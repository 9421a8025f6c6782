// Temporary folders and whole-file helpers shared by every test program.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace kiru_test {

inline void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

inline void UnsetEnv(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");  // an empty value removes the variable
#else
  unsetenv(name);
#endif
}

// Folder for scratch files: $TMPDIR when set, else the system's (/tmp on Linux).
inline std::string TempRoot() {
  const char* dir = std::getenv("TMPDIR");
  if (dir && *dir) return dir;
#ifdef _WIN32
  std::error_code ignored;
  return std::filesystem::temp_directory_path(ignored).generic_string();
#else
  return "/tmp";
#endif
}

// mkdtemp: a new folder named after the pattern, whose XXXXXX become random letters.
inline bool MakeUniqueDir(std::string* pattern) {
#ifdef _WIN32
  static std::mt19937 random{std::random_device{}()};
  const std::size_t at = pattern->rfind("XXXXXX");
  if (at == std::string::npos) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (std::size_t i = 0; i < 6; ++i) (*pattern)[at + i] = static_cast<char>('a' + random() % 26);
    std::error_code error;
    if (std::filesystem::create_directory(*pattern, error)) return true;
  }
  return false;
#else
  return mkdtemp(pattern->data()) != nullptr;
#endif
}

// A fresh `<TempRoot>/<prefix>-XXXXXX` folder, removed with everything in it on destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "kiru-test") {
    std::string pattern = TempRoot() + "/" + prefix + "-XXXXXX";
    if (MakeUniqueDir(&pattern)) path_ = pattern;
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
  SetEnv("HOME", home.c_str());
  SetEnv("XDG_CONFIG_HOME", configHome.c_str());
  SetEnv("XDG_CONFIG_DIRS", configDirs.c_str());
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
