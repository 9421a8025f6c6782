// The program's embedded data: byte blocks built into the executable from
// resources/<TYPE>/<NAME>.<ext>, found by type and by name or 16-bit number.
// Types and names compare without regard to case; the data stays valid and
// unchanged for the life of the process.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat {

struct EmbeddedResource {
  const char* type;
  const char* name;  // nullptr for a numbered resource
  std::uint16_t id;
  const unsigned char* data;
  std::size_t size;
};
extern const EmbeddedResource g_EmbeddedResources[];  // ends with a row whose type is nullptr

struct ResourceData {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

// False when there is no such resource.
bool FindResource(const char* type, const char* name, ResourceData* out);
bool FindResource(const char* type, std::uint16_t id, ResourceData* out);

}  // namespace plat
