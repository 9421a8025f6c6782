// The registry itself. Each operation opens (creating) its key, does one read or
// write and closes it; the system makes every value change whole, so a batch needs
// nothing of its own here.
#include "platform/regstore.h"

#include <string>

#include "platform/windows/windows_winapi.h"

namespace plat {
namespace {

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
  }
  return nullptr;
}

HKEY OpenKey(RegRoot root, std::string_view subkey, REGSAM access) {
  HKEY key = nullptr;
  std::string path(subkey);
  if (::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

std::string RegHiveFile(RegRoot) { return {}; }  // the system keeps its hives itself

bool RegStoreGet(RegRoot root, std::string_view subkey, std::string_view name, RegData* data) {
  HKEY key = OpenKey(root, subkey, KEY_QUERY_VALUE);
  if (!key) return false;
  std::string valueName(name);
  ::DWORD type = 0, size = 0;
  bool ok = ::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  std::vector<std::uint8_t> bytes(size);
  // The value may change between the two calls; a read that no longer fits fails.
  ok = ok && ::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  if (!ok) return false;
  bytes.resize(size);
  if (data) {
    data->type = type;
    data->bytes = std::move(bytes);
  }
  return true;
}

std::vector<std::optional<RegData>> RegStorePeek(RegRoot root, std::string_view subkey,
                                                 const std::vector<std::string_view>& names) {
  std::vector<std::optional<RegData>> values(names.size());
  HKEY key = nullptr;
  std::string path(subkey);
  if (::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string valueName(names[i]);
    ::DWORD type = 0, size = 0;
    if (::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) continue;
    std::vector<std::uint8_t> bytes(size);
    if (::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) continue;
    bytes.resize(size);
    values[i] = RegData{type, std::move(bytes)};
  }
  ::RegCloseKey(key);
  return values;
}

bool RegStoreSet(RegRoot root, std::string_view subkey, std::string_view name, const RegData& data) {
  HKEY key = OpenKey(root, subkey, KEY_SET_VALUE);
  if (!key) return false;
  std::string valueName(name);
  bool ok = ::RegSetValueExA(key, valueName.c_str(), 0, data.type, data.bytes.data(),
                             static_cast<::DWORD>(data.bytes.size())) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return ok;
}

RegBatch::RegBatch(RegLoss) {}
RegBatch::~RegBatch() {}

}  // namespace plat
