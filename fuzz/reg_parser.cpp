// Fuzzes the .reg hive parser in memory, 8-bit and UTF-16 alike: it must never crash,
// must hand back the bytes it was given unchanged, and a value set must read back
// with every other value as it was. No file is touched.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/reghive.h"

namespace {

bool SameData(const plat::RegData& a, const plat::RegData& b) { return a.type == b.type && a.bytes == b.bytes; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A Unicode hive holds text: bytes that are not UTF-8 come back as other characters.
bool KeptInUtf16(std::string_view s) { return plat::Utf16LeToUtf8(plat::Utf8ToUtf16Le(s)) == s; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  plat::RegHive hive = plat::RegHive::Parse(text);
  if (hive.Text() != text) std::abort();

  const plat::RegHive original = hive;
  const char* key = "HKEY_CURRENT_USER\\Software\\Quillmoor\\Kiru";
  std::string name = size > 0 ? std::string(text.substr(0, size % 13)) : std::string("v");
  std::string str(text.substr(size / 2, 40));
  plat::RegData value = size % 2 ? plat::RegData::Dword(static_cast<std::int32_t>(size * 2654435761u))
                                 : plat::RegData::String(str);
  hive.Set(key, name, value);
  if (hive.Utf16() && !(KeptInUtf16(name) && (size % 2 || KeptInUtf16(str)))) return 0;

  plat::RegHive again = plat::RegHive::Parse(hive.Text());
  plat::RegData got;
  if (!again.Get(key, name, &got) || !SameData(got, value)) std::abort();
  // Every other value reads as it did.
  for (const auto& e : original.Values()) {
    if (SameText(e.keyPath, key) && SameText(e.name, name)) continue;
    plat::RegData was;
    plat::RegData now;
    // A later line of the same name decides, even an unreadable one.
    bool had = original.Get(e.keyPath, e.name, &was);
    bool has = again.Get(e.keyPath, e.name, &now);
    if (had != has || (had && !SameData(now, was))) std::abort();
  }
  return 0;
}
