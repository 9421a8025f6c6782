// Starting outside programs (browser, mail handler): an argument vector handed to
// execvp, never a shell, and nobody waits for the program.
#pragma once
#include <string>
#include <vector>

namespace plat {

// False when the vector is empty or no process could be started; a program that
// is missing is not reported (the child fails on its own).
bool LaunchProgram(const std::vector<std::string>& argv);

// Tests capture what would be started; nullptr restores the real launcher.
using Launcher = bool (*)(const std::vector<std::string>& argv);
void SetLauncherForTesting(Launcher launcher);

// Splits a parameter text into words at blanks and tabs; double quotes group
// blanks into a word and are dropped. No other character is special.
std::vector<std::string> SplitCommandLine(const std::string& text);

}  // namespace plat
