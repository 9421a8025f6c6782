// libFuzzer target: the command-line readers over arbitrary bytes, as one line and
// as an argument vector split at NUL bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/cmdline.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\0') {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  std::vector<const char*> argv;
  for (const std::string& part : parts) argv.push_back(part.c_str());
  std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());

  const char* args = SkipProgramName(line.c_str());
  HackFlags flags = ParseHackFlags(args);
  volatile unsigned long sink = flags.windowId + ParseWindowHandle(args) + ParseNativeId(args);
  (void)sink;
  return 0;
}
