// What the resource script binds into the executable: the texture and the track
// byte for byte, the bitmap, the icon and the version information. The test
// programs carry the same script as Kiru.scr.
#include <gtest/gtest.h>

#include <string>

#include "platform/resources.h"
#include "tests/support/temp_dir.h"
#include "platform/windows/windows_winapi.h"

#include <winver.h>

namespace {

std::string Bound(const plat::ResourceData& r) {
  return std::string(reinterpret_cast<const char*>(r.data), r.size);
}

TEST(ResourcesTest, TextureAndTrackAreTheFilesOfTheSourceTree) {
  plat::ResourceData texture, track;
  ASSERT_TRUE(plat::FindResource("TGA", 107, &texture));
  EXPECT_EQ(Bound(texture), kiru_test::ReadFile(KIRU_SOURCE_DIR "/resources/TGA/107.tga"));
  ASSERT_TRUE(plat::FindResource("rcdata", "testogg", &track)) << "types and names ignore case";
  EXPECT_EQ(Bound(track), kiru_test::ReadFile(KIRU_SOURCE_DIR "/resources/RCDATA/TESTOGG.ogg"));
  EXPECT_FALSE(plat::FindResource("TGA", 108, nullptr));
  EXPECT_FALSE(plat::FindResource("RCDATA", "OTHER", nullptr));
  // The track is bound for US English, where an English system looks first.
  EXPECT_NE(::FindResourceExA(nullptr, MAKEINTRESOURCEA(10), "TESTOGG", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
            nullptr);
}

TEST(ResourcesTest, BitmapAndIconLoad) {
  HINSTANCE self = ::GetModuleHandleA(nullptr);
  HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageA(self, MAKEINTRESOURCEA(106), IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info;
  ASSERT_TRUE(::GetObjectA(bitmap, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 243);
  EXPECT_EQ(info.bmHeight, 350);
  ::DeleteObject(bitmap);
  EXPECT_NE(::LoadIconA(self, MAKEINTRESOURCEA(104)), nullptr);
  EXPECT_EQ(::LoadIconA(self, MAKEINTRESOURCEA(100)), nullptr) << "the saver's class finds no icon 100";
}

TEST(ResourcesTest, VersionInformation) {
  char path[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  ::DWORD ignored = 0, size = ::GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010003u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010003u);
  auto text = [&](const char* name) {
    char* value = nullptr;
    std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
    return ::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ? std::string(value)
                                                                                                    : std::string();
  };
  EXPECT_EQ(text("FileVersion"), "1, 3, 0, 1");
  EXPECT_EQ(text("ProductVersion"), "1, 3, 0, 1");
  EXPECT_EQ(text("FileDescription"), "Kiru Screensaver");
  EXPECT_EQ(text("InternalName"), "Kiru");
  EXPECT_EQ(text("OriginalFilename"), "Kiru.scr");
  EXPECT_EQ(text("CompanyName"), "Quillmoor Software");
  EXPECT_EQ(text("ProductName"), "Quillmoor Kiru");
}

// The manifest, which the test programs carry as Kiru.scr does, is in force: the
// common controls are version 6 and the process is DPI aware; it runs as its caller
// and names Vista to 10 and 11.
TEST(ResourcesTest, ManifestIsBoundAndInForce) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(nullptr, found))),
                       ::SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find(R"(level="asInvoker")"), std::string::npos);
  std::size_t supported = 0;
  for (std::size_t at = manifest.find("<supportedOS "); at != std::string::npos; at = manifest.find("<supportedOS ", at + 1))
    ++supported;
  EXPECT_EQ(supported, 5u);
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos) << "Windows 10";

  EXPECT_TRUE(::IsProcessDPIAware());
  HMODULE controls = ::LoadLibraryA("comctl32.dll");
  ASSERT_NE(controls, nullptr);
  // Version 6 is the side-by-side assembly's copy, not the system folder's.
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(controls, path, MAX_PATH);
  EXPECT_NE(std::string(path).find("common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
}

}  // namespace
