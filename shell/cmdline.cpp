#include "shell/cmdline.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

bool IsBlank(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x01 && u <= 0x20;
}

std::vector<std::string_view> SplitWords(const char* text) {
  std::vector<std::string_view> words;
  const char* p = text;
  while (*p) {
    while (IsBlank(*p)) ++p;
    const char* start = p;
    while (*p && !IsBlank(*p)) ++p;
    if (p != start) words.emplace_back(start, static_cast<std::size_t>(p - start));
  }
  return words;
}

// "-root" and "--root" name the same flag; anything else is no flag.
std::string_view FlagName(std::string_view word) {
  if (word.size() < 2 || word[0] != '-') return {};
  word.remove_prefix(word[1] == '-' ? 2 : 1);
  return word;
}

// XScreenSaver flags that carry a value of their own, which must not be read as a flag.
bool TakesValue(std::string_view name) {
  return name == "visual" || name == "display" || name == "delay" || name == "window-id";
}

}  // namespace

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  const char* program = argc > 0 && argv[0] ? argv[0] : "";
  if (std::strpbrk(program, " \t")) {
    line += '"';
    line += program;
    line += '"';
  } else {
    line += program;
  }
  for (int i = 1; i < argc; ++i) {
    line += ' ';
    line += argv[i] ? argv[i] : "";
  }
  return line;
}

const char* SkipProgramName(const char* p) {
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (static_cast<unsigned char>(*p) > ' ') ++p;
  }
  while (IsBlank(*p)) ++p;
  return p;
}

std::uint32_t ParseWindowHandle(const char* text) {
  std::uint32_t value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<std::uint32_t>(*p - '0');
  return value;
}

unsigned long ParseNativeId(const char* text) {
  if (!text || !*text) return 0;
  bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = hex ? text + 2 : text;
  // strtoul would accept blanks and signs; an id is digits only.
  if (!*digits) return 0;
  for (const char* p = digits; *p; ++p) {
    bool ok = hex ? std::strchr("0123456789abcdefABCDEF", *p) != nullptr : (*p >= '0' && *p <= '9');
    if (!ok) return 0;
  }
  errno = 0;
  unsigned long value = std::strtoul(digits, nullptr, hex ? 16 : 10);
  if (errno == ERANGE || value > 0xFFFFFFFFul) return 0;
  return value;
}

HackFlags ParseHackFlags(const char* args) {
  HackFlags flags;
  std::vector<std::string_view> words = SplitWords(args);
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string_view name = FlagName(words[i]);
    if (name == "root") {
      flags.host = HackFlags::Host::Root;
    } else if (name == "window") {
      flags.host = HackFlags::Host::Window;
    } else if (name == "window-id") {
      flags.host = HackFlags::Host::WindowId;
      flags.windowId = i + 1 < words.size() ? ParseNativeId(std::string(words[i + 1]).c_str()) : 0;
    } else if (name == "settings") {
      flags.settings = true;
    } else if (name == "fps") {
      flags.fps = true;
    } else if (name == "watch") {
      flags.watch = true;
    }
    if (TakesValue(name)) ++i;
  }
  return flags;
}
