#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "tests/support/private_config.h"

using namespace plat;

namespace {

constexpr const char* KIRU = "HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru";

RegHive LoadHive(const std::string& path) { return RegHive::Parse(kiru_test::ReadFile(path)); }

std::int32_t HiveDword(const RegHive& hive, const char* name) {
  RegData d;
  std::int32_t v;
  return hive.Get(KIRU, name, &d) && d.AsDword(&v) ? v : -9999;
}

class RegStore : public ::testing::Test {
 protected:
  void SetUp() override { SelectRegKey(0, KIRU_KEY); }
  kiru_test::PrivateConfig config_;
};

}  // namespace

TEST_F(RegStore, HivesLiveWhereTheBaseDirectoryRulesSay) {
  EXPECT_EQ(RegHiveFile(RegRoot::CurrentUser), config_.UserHive());
  EXPECT_EQ(RegHiveFile(RegRoot::LocalMachine), config_.MachineHive());
  EXPECT_EQ(RegHiveFile(RegRoot::ClassesRoot), config_.MachineHive());
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_CONFIG_DIRS");
  EXPECT_EQ(RegHiveFile(RegRoot::CurrentUser), config_.Root() + "/home/.config/kiru/user.reg");
  EXPECT_EQ(RegHiveFile(RegRoot::LocalMachine), "/etc/xdg/kiru/machine.reg");
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // ignored: only absolute paths count
  EXPECT_EQ(RegHiveFile(RegRoot::CurrentUser), config_.Root() + "/home/.config/kiru/user.reg");
}

TEST_F(RegStore, ReadingCreatesTheKeyAndItsFolders) {
  EXPECT_EQ(RegReadDword("absent", 42), 42);
  EXPECT_EQ(kiru_test::ReadFile(config_.UserHive()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n");
  EXPECT_EQ(RegReadDword("absent", 43), 43);  // an existing key is not written again
  EXPECT_EQ(kiru_test::ReadFile(config_.UserHive()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n");
}

TEST_F(RegStore, DwordsAndStringsRoundTrip) {
  for (std::int32_t v : {0, 1, -1, 1214, -15769, INT32_MAX, INT32_MIN}) {
    EXPECT_TRUE(RegWriteDword("value", v));
    EXPECT_EQ(RegReadDword("value", 7), v);
  }
  EXPECT_NE(kiru_test::ReadFile(config_.UserHive()).find("\"value\"=dword:80000000\n"), std::string::npos);

  SelectRegKey(0, "Software\\Quillmoor\\Kiru");
  const char* tricky = "C:\\Program Files\\\"Kiru\"\\ \\\\ end\\";
  EXPECT_TRUE(RegWriteMachineString("install_dir", tricky));
  char buf[64];
  EXPECT_STREQ(RegReadMachineString("install_dir", buf, sizeof buf, "none"), tricky);
  EXPECT_STREQ(RegReadMachineString("other", buf, sizeof buf, "none"), "none");
  // The registry fails a read that does not fit, and the default is then cut to size.
  char small[8];
  EXPECT_STREQ(RegReadMachineString("install_dir", small, sizeof small, "fallback-long"), "fallbac");
  // Exactly filling the buffer with its terminator is a whole read; one byte more is none.
  EXPECT_TRUE(RegWriteMachineString("seven", "1234567"));
  EXPECT_TRUE(RegWriteMachineString("eight", "12345678"));
  EXPECT_STREQ(RegReadMachineString("seven", small, sizeof small, "d"), "1234567");
  EXPECT_STREQ(RegReadMachineString("eight", small, sizeof small, "d"), "d");

  // A DWORD read of a string, and a string read of a DWORD, both find nothing.
  EXPECT_TRUE(RegWriteMachineString("s", "1"));
  SelectRegKey(0, KIRU_KEY);
  RegWriteDword("d", 5);
  EXPECT_STREQ(RegReadMachineString("d", buf, sizeof buf, "x"), "x");
}

TEST_F(RegStore, ClassesRootSharesTheMachineHiveAndReadsDefaultValues) {
  kiru_test::WriteFile(config_.MachineHive(),
            "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\HTTP\\shell\\open\\command]\n@=\"\\\"/usr/bin/browser\\\" %1\"\n");
  SelectRegKey(0, "HTTP\\shell\\open\\command");
  char buf[64];
  EXPECT_STREQ(RegReadClassesString("", buf, sizeof buf, "none"), "\"/usr/bin/browser\" %1");
  EXPECT_STREQ(RegReadMachineString("", buf, sizeof buf, "none"), "none");  // other root, same file
}

TEST_F(RegStore, WithoutWriteRightsWritesFailAndReadsFallBack) {
  // A hive whose folder cannot exist (root may write anywhere else).
  kiru_test::WriteFile(config_.Root() + "/blocker", "file");
  setenv("XDG_CONFIG_HOME", (config_.Root() + "/blocker/sub").c_str(), 1);
  // Each failed save says once, on stderr, which file and why; a read says nothing.
  const std::string lost = "kiru: settings not saved to " + config_.Root() + "/blocker/sub/kiru/user.reg: ";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(RegWriteDword("x", 1));
  EXPECT_EQ(RegReadDword("x", 9), 9);
  {
    RegBatch batch;
    EXPECT_FALSE(RegWriteDword("x", 1));
    EXPECT_FALSE(RegWriteDword("y", 1));
    EXPECT_EQ(RegReadDword("x", 9), 9);
  }
  {
    RegBatch quiet(RegLoss::Quiet);  // a write-back of what was read: nothing is lost
    RegBatch inner;
    EXPECT_FALSE(RegWriteDword("x", 1));
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), lost + "Not a directory\n" + lost + "Not a directory\n");
  // A hive that cannot be read is never replaced by one that has lost its contents.
  setenv("XDG_CONFIG_HOME", (config_.Root() + "/config").c_str(), 1);
  std::filesystem::create_directories(config_.UserHive());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(RegWriteDword("x", 1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kiru: settings not saved to " + config_.UserHive() + ": Is a directory\n");
  EXPECT_TRUE(std::filesystem::is_directory(config_.UserHive()));
  // Nor is a FIFO, which is not even waited for: opening it for reading would block.
  std::filesystem::remove(config_.UserHive());
  ASSERT_EQ(mkfifo(config_.UserHive().c_str(), 0600), 0);
  alarm(20);
  LoadSettings();
  EXPECT_EQ(RegReadDword("cycle time", 9), 9);
  EXPECT_FALSE(RegWriteDword("x", 1));
  alarm(0);
  EXPECT_FLOAT_EQ(g_Modules[1].depth, 50.0f);
  EXPECT_TRUE(std::filesystem::is_fifo(config_.UserHive()));
}

TEST_F(RegStore, AHiveItsUserCannotReadIsNeverReplaced) {
  const std::string before = std::string("REGEDIT4\n\n[") + KIRU + "]\n\"mod1 depth\"=dword:00001770\n";
  kiru_test::WriteFile(config_.UserHive(), before);
  ASSERT_EQ(chmod(config_.UserHive().c_str(), 0200), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Root reads every file: the refusal only shows for a user the permissions bind.
    if (geteuid() == 0) {
      struct passwd* nobody = getpwnam("nobody");
      if (!nobody) _exit(77);
      for (const auto& entry : std::filesystem::recursive_directory_iterator(config_.Root()))
        if (lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0) _exit(77);
      if (chown(config_.Root().c_str(), nobody->pw_uid, nobody->pw_gid) != 0 ||
          setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
        _exit(77);
    }
    bool wrote = RegWriteDword("x", 1);
    _exit(wrote ? 1 : RegReadDword("mod1 depth", 9) == 9 ? 0 : 2);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot run as an unprivileged user";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  chmod(config_.UserHive().c_str(), 0600);
  EXPECT_EQ(kiru_test::ReadFile(config_.UserHive()), before);
}

TEST_F(RegStore, ALockHeldForEverFailsTheWriteInsteadOfHanging) {
  const std::string before = std::string("REGEDIT4\n\n[") + KIRU + "]\n\"mod1 depth\"=dword:00001770\n";
  kiru_test::WriteFile(config_.UserHive(), before);
  kiru_test::WriteFile(config_.UserHive() + ".lock", "");
  // Read access is all that flock asks for.
  int holder = open((config_.UserHive() + ".lock").c_str(), O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  alarm(20);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(RegWriteDword("mod1 depth", 1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kiru: settings not saved to " + config_.UserHive() + ": another process holds its lock\n");
  LoadSettings();
  alarm(0);
  EXPECT_FLOAT_EQ(g_Modules[1].depth, 60.0f);
  EXPECT_EQ(kiru_test::ReadFile(config_.UserHive()), before);
  close(holder);
  EXPECT_TRUE(RegWriteDword("mod1 depth", 1));
}

TEST_F(RegStore, UnknownKeysValuesAndLinesSurviveSaveSettings) {
  const std::string before =
      "REGEDIT4\n\n"
      "; kept comment\n"
      "[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n"
      "\"mod1 depth\"=dword:00001388\n"
      "\"mystery\"=hex(b):01,02,03,04,05,06,07,08\n"
      "\"disable_frame_warn\"=dword:00000001\n"
      "odd line\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Elsewhere]\n"
      "\"keep\"=\"me\"\n";
  kiru_test::WriteFile(config_.UserHive(), before);
  LoadSettings();
  g_Modules[2].depth = 12.5f;
  SaveSettings();
  std::string after = kiru_test::ReadFile(config_.UserHive());
  for (const char* line : {"; kept comment\n", "\"mystery\"=hex(b):01,02,03,04,05,06,07,08\n",
                           "\"disable_frame_warn\"=dword:00000001\n", "odd line\n",
                           "[HKEY_CURRENT_USER\\Software\\Elsewhere]\n\"keep\"=\"me\"\n",
                           "\"mod2 depth\"=dword:000004e2\n"})
    EXPECT_NE(after.find(line), std::string::npos) << line;
  // The Kiru key gained its values in place, ahead of the other key.
  EXPECT_LT(after.find("\"enable sound\""), after.find("[HKEY_CURRENT_USER\\Software\\Elsewhere]"));
  EXPECT_EQ(RegHive::Parse(after).Values().size(), 82u + 3u);
}

TEST_F(RegStore, WritingBackTheSameValuesLeavesTheFileAlone) {
  LoadSettings();
  struct stat before, after;
  ASSERT_EQ(stat(config_.UserHive().c_str(), &before), 0);
  LoadSettings();
  RegWriteDword("cycle time", 15);
  ASSERT_EQ(stat(config_.UserHive().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  RegWriteDword("cycle time", 16);
  ASSERT_EQ(stat(config_.UserHive().c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
}

TEST_F(RegStore, AHiveThatIsALinkStaysALink) {
  std::string real = config_.Root() + "/dotfiles/kiru.reg";
  kiru_test::WriteFile(real, "REGEDIT4\n");
  std::filesystem::create_directories(config_.Root() + "/config/kiru");
  std::filesystem::create_symlink(real, config_.UserHive());
  EXPECT_TRUE(RegWriteDword("x", 3));
  EXPECT_TRUE(std::filesystem::is_symlink(config_.UserHive()));
  EXPECT_NE(kiru_test::ReadFile(real).find("\"x\"=dword:00000003\n"), std::string::npos);
  EXPECT_EQ(RegReadDword("x", 0), 3);

  // A link whose file is not there yet gets that file, through a relative target too.
  std::filesystem::remove(real);
  std::filesystem::remove(config_.UserHive());
  std::filesystem::create_symlink("../../dotfiles/kiru.reg", config_.UserHive());
  EXPECT_TRUE(RegWriteDword("y", 4));
  EXPECT_TRUE(std::filesystem::is_symlink(config_.UserHive()));
  EXPECT_EQ(kiru_test::ReadFile(real), std::string("REGEDIT4\n\n[") + KIRU + "]\n\"y\"=dword:00000004\n");
}

TEST_F(RegStore, AUnicodeHiveStaysUnicode) {
  const std::string text = std::string("Windows Registry Editor Version 5.00\r\n\r\n[") + KIRU +
                           "]\r\n\"mod1 depth\"=dword:00001770\r\n";
  kiru_test::WriteFile(config_.UserHive(), kiru_test::Utf16(text));
  LoadSettings();
  EXPECT_FLOAT_EQ(g_Modules[1].depth, 60.0f);
  std::string file = kiru_test::ReadFile(config_.UserHive());
  ASSERT_EQ(file.rfind("\xff\xfe", 0), 0u);
  ASSERT_EQ(file.size() % 2, 0u);
  // Every character in its 16-bit unit, the old text first: nothing added in 8 bits.
  std::string narrow;
  for (std::size_t i = 2; i < file.size(); i += 2) {
    ASSERT_EQ(file[i + 1], '\0') << i;
    narrow.push_back(file[i]);
  }
  EXPECT_EQ(narrow.rfind(text, 0), 0u) << narrow;
  EXPECT_EQ(RegHive::Parse(file).Values().size(), 82u);
}

TEST_F(RegStore, MalformedHiveLoadsWhatIsReadable) {
  kiru_test::WriteFile(config_.UserHive(),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n"
            "\"mod1 depth\"=dword:00001770\n"
            "#$%^ garbage\n"
            "\"mod2 depth\"=\"3000\"\n"        // wrong type
            "\"mod3 depth\"=hex(4):b8,0b,00,00,00\n"  // five bytes
            "\"mod4 depth\"=hex(4):b8,0b,00,00\n"
            "\"cycle time\"=dword:0000001e\n"
            "\"mod5 depth\"=dword:000007");    // cut short, still a number
  LoadSettings();
  EXPECT_FLOAT_EQ(g_Modules[1].depth, 60.0f);
  EXPECT_FLOAT_EQ(g_Modules[2].depth, 40.0f);
  EXPECT_FLOAT_EQ(g_Modules[3].depth, 68.0f);
  EXPECT_FLOAT_EQ(g_Modules[4].depth, 30.0f);
  EXPECT_FLOAT_EQ(g_Modules[5].depth, 0.07f);
  EXPECT_EQ(g_nCycleSeconds, 30);
  EXPECT_NE(kiru_test::ReadFile(config_.UserHive()).find("#$%^ garbage\n"), std::string::npos);
}

// Checks one snapshot of a hive that a writer keeps changing.
static void ExpectWhole(const std::string& text, std::int32_t* lastSeen) {
  ASSERT_EQ(text.rfind("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru]\n", 0), 0u) << text;
  ASSERT_EQ(text.back(), '\n') << text;
  RegHive hive = RegHive::Parse(text);
  std::int32_t a = HiveDword(hive, "pair a");
  ASSERT_EQ(a, HiveDword(hive, "pair b")) << text;
  if (a != -9999) {
    ASSERT_EQ(HiveDword(hive, "padding"), a * 7) << text;
    ASSERT_GE(a, *lastSeen);
    *lastSeen = a;
  }
  ASSERT_EQ(hive.Values().size(), text.find("single") == std::string::npos ? 3u : 4u) << text;
}

TEST_F(RegStore, WriterKilledAtAnyMomentLeavesOldOrNewNeverTorn) {
  std::mt19937 rng(12345);
  std::int32_t lastSeen = -1;
  int snapshots = 0;
  for (int round = 0; round < 25; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Values written together, then a single write, over and over.
      for (std::int32_t i = round * 100000;; ++i) {
        {
          RegBatch batch;
          RegWriteDword("pair a", i);
          RegWriteDword("pair b", i);
          RegWriteDword("padding", i * 7);
        }
        RegWriteDword("single", i);
      }
    }
    // Readers take no lock, so every snapshot taken meanwhile must be whole too.
    auto until = std::chrono::steady_clock::now() +
                 std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(rng));
    while (std::chrono::steady_clock::now() < until && !HasFatalFailure()) {
      std::ifstream in(config_.UserHive(), std::ios::binary);
      if (!in) continue;  // not written yet: the hive only ever appears whole
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ExpectWhole(text, &lastSeen);
      ++snapshots;
    }
    kill(child, SIGKILL);
    int status;
    waitpid(child, &status, 0);
    ASSERT_FALSE(HasFatalFailure());
    if (std::filesystem::exists(config_.UserHive())) ExpectWhole(kiru_test::ReadFile(config_.UserHive()), &lastSeen);
    ASSERT_FALSE(HasFatalFailure());
  }
  EXPECT_GT(snapshots, 0);
  // A writer that died mid-write leaves nothing in the way of the next one.
  EXPECT_TRUE(RegWriteDword("after", 1));
  EXPECT_EQ(RegReadDword("after", 0), 1);
}

TEST_F(RegStore, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int COUNT = 500;
  pid_t children[2];
  for (int p = 0; p < 2; ++p) {
    children[p] = fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      char name[32];
      for (int i = 0; i < COUNT; ++i) {
        std::snprintf(name, sizeof name, "p%d v%d", p, i);
        if (!RegWriteDword(name, p * 10000 + i)) _exit(1);
      }
      _exit(0);
    }
  }
  for (pid_t c : children) {
    int status;
    waitpid(c, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegHive hive = LoadHive(config_.UserHive());
  int found = 0;
  char name[32];
  for (int p = 0; p < 2; ++p)
    for (int i = 0; i < COUNT; ++i) {
      std::snprintf(name, sizeof name, "p%d v%d", p, i);
      found += HiveDword(hive, name) == p * 10000 + i;
    }
  EXPECT_EQ(found, 2 * COUNT);
}
