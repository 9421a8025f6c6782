// The registry store on Windows is the system's registry: values land where
// Windows tools find them, typed and sized as the registry keeps them.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/regstore.h"
#include "settings/registry.h"
#include "platform/windows/windows_winapi.h"

namespace {

constexpr const char* TEST_KEY = "Software\\Quillmoor\\KiruRegistryTest";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, TEST_KEY);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, TEST_KEY);
  }
};

TEST_F(RegistryTest, DwordsAndStringsAreTheSystemsOwnValues) {
  ASSERT_TRUE(plat::RegStoreSet(plat::RegRoot::CurrentUser, TEST_KEY, "mod5 xrot", plat::RegData::Dword(-15769)));
  ASSERT_TRUE(plat::RegStoreSet(plat::RegRoot::CurrentUser, TEST_KEY, "", plat::RegData::String("a \"b\"")));

  HKEY key;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, TEST_KEY, 0, KEY_READ, &key), ERROR_SUCCESS);
  ::DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(::RegQueryValueExA(key, "mod5 xrot", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<::DWORD>(REG_DWORD));
  EXPECT_EQ(value, 0xffffc267u);
  char text[16] = "";
  size = sizeof text;
  EXPECT_EQ(::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<::DWORD>(REG_SZ));
  EXPECT_STREQ(text, "a \"b\"");
  ::RegCloseKey(key);

  plat::RegData data;
  ASSERT_TRUE(plat::RegStoreGet(plat::RegRoot::CurrentUser, TEST_KEY, "MOD5 XROT", &data)) << "names ignore case";
  std::int32_t read = 0;
  ASSERT_TRUE(data.AsDword(&read));
  EXPECT_EQ(read, -15769);
}

TEST_F(RegistryTest, ReadingCreatesTheKeyAndMissingValuesFallBack) {
  plat::RegData data;
  EXPECT_FALSE(plat::RegStoreGet(plat::RegRoot::CurrentUser, TEST_KEY, "absent", &data));
  HKEY key;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, TEST_KEY, 0, KEY_READ, &key), ERROR_SUCCESS) << "opening creates";
  ::RegCloseKey(key);

  SelectRegKey(0, TEST_KEY);
  EXPECT_EQ(RegReadDword("cycle time", 15), 15);
  EXPECT_TRUE(RegWriteDword("cycle time", 42));
  EXPECT_EQ(RegReadDword("cycle time", 15), 42);
  // A string where a DWORD is expected is a failed read.
  plat::RegStoreSet(plat::RegRoot::CurrentUser, TEST_KEY, "enable sound", plat::RegData::String("1"));
  EXPECT_EQ(RegReadDword("enable sound", 7), 7);
}

TEST_F(RegistryTest, MachineStringsAreCutToTheBufferOrFallBack) {
  SelectRegKey(0, TEST_KEY);
  ASSERT_TRUE(RegWriteMachineString("install_dir", "C:\\Program Files\\Kiru"));
  char buffer[64];
  EXPECT_STREQ(RegReadMachineString("install_dir", buffer, sizeof buffer, ""), "C:\\Program Files\\Kiru");
  char small[8];
  EXPECT_STREQ(RegReadMachineString("install_dir", small, sizeof small, "dummy"), "dummy")
      << "a value that does not fit is a failed read";
  EXPECT_STREQ(RegReadMachineString("missing", buffer, sizeof buffer, "dummy"), "dummy");
}

}  // namespace
