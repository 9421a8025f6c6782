// Reading the command line: the Win32-style text the modes are read from, and the
// XScreenSaver hack flags that stand beside those modes on Linux.
#pragma once
#include <cstdint>
#include <string>

// The command line as Win32 would hand it over: the program name (quoted when it
// holds a blank) and the arguments, joined by single blanks.
std::string JoinCommandLine(int argc, const char* const* argv);
// Past the program name and the blanks (0x01..0x20) after it.
const char* SkipProgramName(const char* line);
// Decimal digits from the start, wrapping in 32 bits; 0 when none.
std::uint32_t ParseWindowHandle(const char* text);
// A whole word in decimal or 0x-hex; 0 when it is not one or does not fit.
unsigned long ParseNativeId(const char* text);

struct HackFlags {
  enum class Host { None, Root, WindowId, Window };
  Host host = Host::None;  // None: no hack flag, the mode letters decide
  unsigned long windowId = 0;  // -window-id's value (0 when missing or malformed)
  bool settings = false;  // -settings: XScreenSaver's settings tool asks for our dialog
  bool fps = false;
  bool watch = false;  // --watch: start the saver when the session is idle (shell/watch.h)
};
// Whole words with one or two leading dashes; the last host flag wins.
HackFlags ParseHackFlags(const char* args);
