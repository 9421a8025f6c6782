// The executable's own resources, bound by the resource script at build time.
#include "platform/resources.h"

#include <cstring>

#include "platform/windows/windows_winapi.h"

namespace plat {
namespace {

// The standard types by the names the resource script gives them; any other type
// is a name of its own ("TGA").
LPCSTR TypeOf(const char* type) {
  if (_stricmp(type, "RCDATA") == 0) return MAKEINTRESOURCEA(10);  // RT_RCDATA
  if (_stricmp(type, "BITMAP") == 0) return MAKEINTRESOURCEA(2);   // RT_BITMAP
  return type;
}

bool Find(const char* type, LPCSTR name, ResourceData* out) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC info = ::FindResourceA(module, name, TypeOf(type));
  if (!info) return false;
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return false;
  if (out) *out = ResourceData{static_cast<const unsigned char*>(data), ::SizeofResource(module, info)};
  return true;
}

}  // namespace

bool FindResource(const char* type, const char* name, ResourceData* out) {
  return type && name && Find(type, name, out);
}

bool FindResource(const char* type, std::uint16_t id, ResourceData* out) {
  return type && Find(type, MAKEINTRESOURCEA(id), out);
}

}  // namespace plat
