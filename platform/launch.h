// Starting outside programs (browser, mail handler) from an argument vector, and
// nobody waits for the program. On Linux the vector goes to execvp, never a shell;
// on Windows the shell starts the program with the rest as its parameter text.
#pragma once
#include <string>
#include <vector>

namespace plat {

// argv[0] that hands its one argument, a web address or a mail link, to the
// desktop's handler for it: xdg-open on Linux, the shell's open verb on Windows.
constexpr const char* DESKTOP_OPENER = "xdg-open";

// False when the vector is empty or no process could be started; a program that
// is missing is not reported (the child fails on its own).
bool LaunchProgram(const std::vector<std::string>& argv);

// Tests capture what would be started; nullptr restores the real launcher.
using Launcher = bool (*)(const std::vector<std::string>& argv);
void SetLauncherForTesting(Launcher launcher);
// The system's own way of starting a program, behind LaunchProgram's checks and
// test hook (linux/: fork and execvp; windows/: the shell).
bool StartProgram(const std::vector<std::string>& argv);

// Splits a parameter text into words at blanks and tabs; double quotes group
// blanks into a word and are dropped. No other character is special.
std::vector<std::string> SplitCommandLine(const std::string& text);

}  // namespace plat
