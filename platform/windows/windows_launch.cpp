// Outside programs through the shell: the program as the file and the rest of the
// vector as its parameter text (ShellExecuteExA); the desktop opener's document, a
// web address or a mail link, goes to the system's handler for it (ShellExecuteA).
#include "platform/launch.h"

#include <cstring>

#include "platform/windows/windows_winapi.h"

#include <shellapi.h>

namespace plat {
namespace {

// Quotes a word that holds a blank, as the program's own command line parser
// splits them again.
std::string Parameters(const std::vector<std::string>& argv) {
  std::string text;
  for (std::size_t i = 1; i < argv.size(); ++i) {
    if (i > 1) text += ' ';
    bool quote = argv[i].empty() || argv[i].find_first_of(" \t") != std::string::npos;
    text += quote ? '"' + argv[i] + '"' : argv[i];
  }
  return text;
}

}  // namespace

bool StartProgram(const std::vector<std::string>& argv) {
  if (argv[0] == DESKTOP_OPENER) {
    if (argv.size() < 2) return false;
    const char* document = argv[1].c_str();
    int show = std::strncmp(document, "mailto:", 7) == 0 ? SW_SHOWMAXIMIZED : SW_RESTORE;
    return reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, nullptr, document, nullptr, nullptr, show)) > 32;
  }
  std::string parameters = Parameters(argv);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = ::GetDesktopWindow();
  info.lpFile = argv[0].c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_RESTORE;
  return ::ShellExecuteExA(&info) != FALSE;
}

}  // namespace plat
