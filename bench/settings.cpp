// Settings load and save times on the real store (a temporary hive on this
// machine's disk, every write synced). Prints figures; asserts nothing.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/regstore.h"
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
  std::printf("%-52s median %7.3f ms   min %7.3f ms   p90 %7.3f ms   (%d runs)\n", what, f.median, f.min,
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

  // A 50 MB store: 1.8 M values Kiru does not know beside its own two, none of the
  // module values, so that the load writes the whole set back into it.
  std::string big = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + std::string(KIRU_KEY) +
                    "]\n\"enable sound\"=dword:00000000\n\"disable_frame_warn\"=dword:00000001\n";
  char line[48];
  for (int i = 0; i < 1800000; ++i) big.append(line, std::snprintf(line, sizeof line, "\"val%07d\"=dword:%08x\n", i, i));
  const std::string hive = plat::RegHiveFile(plat::RegRoot::CurrentUser);
  // Written and synced before each run, so that the disk's write-back of it does not
  // fall into the run.
  auto writeBig = [&] {
    std::FILE* f = std::fopen(hive.c_str(), "wb");
    if (!f) return;
    std::fwrite(big.data(), 1, big.size(), f);
    std::fflush(f);
    fsync(fileno(f));
    std::fclose(f);
  };
  int bigRuns = std::max(1, runs / 40);
  char what[80];
  const double mb = static_cast<double>(big.size()) / 1e6;
  std::snprintf(what, sizeof what, "RegReadDword, %.0f MB store (read, one lookup)", mb);
  Print(what, bigRuns, Measure(bigRuns, writeBig, [] { RegReadDword("enable sound", 0); }));
  std::snprintf(what, sizeof what, "LoadSettings, %.0f MB store (read, write all back)", mb);
  Print(what, bigRuns, Measure(bigRuns, writeBig, LoadSettings));
  std::snprintf(what, sizeof what, "SaveSettings, %.0f MB store, one view changed", mb);
  Print(what, bigRuns, Measure(bigRuns, [] { g_Modules[1].depth += 0.5f; }, SaveSettings));

  std::filesystem::remove_all(root);
  return 0;
}
