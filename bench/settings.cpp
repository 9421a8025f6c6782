// Settings load and save times on the real store (a temporary hive on this
// machine's disk, every write synced). Prints figures; asserts nothing.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/registry.h"
#include "settings/settings.h"

namespace {

struct Figures {
  double median, min, p90;
};

Figures Measure(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    prepare();
    auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.front(), ms[ms.size() * 9 / 10]};
}

void Print(const char* what, int runs, Figures f) {
  std::printf("%-44s median %7.3f ms   min %7.3f ms   p90 %7.3f ms   (%d runs)\n", what, f.median, f.min,
              f.p90, runs);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  char tmpl[] = "/tmp/kiru-bench-XXXXXX";
  std::string root = mkdtemp(tmpl);
  std::string config = root + "/config";
  setenv("HOME", (root + "/home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (root + "/etc").c_str(), 1);
  SelectRegKey(0, KIRU_KEY);

  auto nothing = [] {};
  Print("LoadSettings, first run (no hive)", runs,
        Measure(runs, [&] { std::filesystem::remove_all(config); }, LoadSettings));
  LoadSettings();
  Print("LoadSettings, normal run (hive present)", runs, Measure(runs, nothing, LoadSettings));
  // A changed view, so that each save really replaces the hive.
  Print("SaveSettings, one view changed", runs,
        Measure(runs, [] { g_Modules[1].depth += 0.5f; }, SaveSettings));
  Print("SaveSettings, nothing changed", runs, Measure(runs, nothing, SaveSettings));
  int value = 0;
  Print("RegWriteDword outside a batch (one replace)", runs,
        Measure(runs, nothing, [&] { RegWriteDword("bench", ++value); }));
  Print("RegReadDword outside a batch", runs, Measure(runs, nothing, [] { RegReadDword("mod5 xrot", 0); }));

  std::filesystem::remove_all(root);
  return 0;
}
