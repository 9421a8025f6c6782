#include "settings/registry.h"

#include <cstring>
#include <string>

#include "platform/regstore.h"

namespace {

// The selected sub-key. Hive files carry no class string, so the window's class
// name that the registry would attach to created keys has nowhere to go.
std::string g_szRegKey;

bool ReadString(plat::RegRoot root, const char* name, std::string* text) {
  plat::RegData data;
  return plat::RegStoreGet(root, g_szRegKey, name ? name : "", &data) && data.AsString(text);
}

// Copies as much as fits, always terminated: a default longer than the buffer is cut,
// never written past its end.
void CopyBounded(char* buffer, std::size_t size, const std::string& text) {
  if (!buffer || size == 0) return;
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

char* ReadStringInto(plat::RegRoot root, const char* name, char* buffer, std::size_t size,
                     const char* defaultText) {
  // The default may live in the buffer itself, so it is taken before anything is read.
  std::string fallback = defaultText ? defaultText : "";
  std::string text;
  // A value that does not fit with its terminator is a failed read, as the registry's is.
  if (ReadString(root, name, &text) && text.size() < size) CopyBounded(buffer, size, text);
  else CopyBounded(buffer, size, fallback);
  return buffer;
}

}  // namespace

void SelectRegKey(plat::HWND window, const char* path) {
  (void)window;
  g_szRegKey = path ? path : "";
}

bool RegTryReadDword(const char* name, std::int32_t* value) {
  plat::RegData data;
  return plat::RegStoreGet(plat::RegRoot::CurrentUser, g_szRegKey, name ? name : "", &data) &&
         data.AsDword(value);
}

std::int32_t RegReadDword(const char* name, std::int32_t defaultValue) {
  std::int32_t value;
  return RegTryReadDword(name, &value) ? value : defaultValue;
}

bool RegWriteDword(const char* name, std::int32_t value) {
  return plat::RegStoreSet(plat::RegRoot::CurrentUser, g_szRegKey, name ? name : "",
                           plat::RegData::Dword(value));
}

char* RegReadMachineString(const char* name, char* buffer, std::size_t size, const char* defaultText) {
  return ReadStringInto(plat::RegRoot::LocalMachine, name, buffer, size, defaultText);
}

bool RegWriteMachineString(const char* name, const char* text) {
  return plat::RegStoreSet(plat::RegRoot::LocalMachine, g_szRegKey, name ? name : "",
                           plat::RegData::String(text ? text : ""));
}

char* RegReadUserString(const char* name, char* buffer, std::size_t size, const char* defaultText) {
  return ReadStringInto(plat::RegRoot::CurrentUser, name, buffer, size, defaultText);
}

bool RegWriteUserString(const char* name, const char* text) {
  return plat::RegStoreSet(plat::RegRoot::CurrentUser, g_szRegKey, name ? name : "",
                           plat::RegData::String(text ? text : ""));
}

char* RegReadClassesString(const char* name, char* buffer, std::size_t size, const char* defaultText) {
  return ReadStringInto(plat::RegRoot::ClassesRoot, name, buffer, size, defaultText);
}
