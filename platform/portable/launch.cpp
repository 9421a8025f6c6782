#include "platform/launch.h"

#include <atomic>

namespace plat {
namespace {
std::atomic<Launcher> g_launcher{nullptr};
}  // namespace

bool LaunchProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  if (Launcher launcher = g_launcher.load()) return launcher(argv);
  return StartProgram(argv);
}

void SetLauncherForTesting(Launcher launcher) { g_launcher = launcher; }

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;  // "" is an empty word
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace plat
