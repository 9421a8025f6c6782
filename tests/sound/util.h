// Helpers shared by the sound tests: temporary files, Ogg files made with oggenc,
// and waiting for a condition with a deadline.
#pragma once
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace soundtest {

using kiru_test::WaitUntil;

inline double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

using kiru_test::TempDir;

inline bool HaveTool(const char* tool) {
  std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// Encodes `samples` samples of a quiet mono 44100 Hz tone with oggenc; false without oggenc.
inline bool MakeOgg(const std::string& path, int samples) {
  if (!HaveTool("oggenc")) return false;
  std::string raw = path + ".raw";
  {
    std::ofstream out(raw, std::ios::binary);
    for (int i = 0; i < samples; ++i) {
      auto v = static_cast<short>(3000 * std::sin(2 * std::numbers::pi * 220.0 * i / 44100.0));
      out.write(reinterpret_cast<const char*>(&v), sizeof v);
    }
  }
  std::string cmd = "oggenc -Q -r -B 16 -C 1 -R 44100 --raw-endianness 0 -o '" + path + "' '" + raw + "'";
  bool ok = std::system(cmd.c_str()) == 0;
  std::remove(raw.c_str());
  return ok;
}

using kiru_test::ReadFile;
using kiru_test::WriteFile;

}  // namespace soundtest
