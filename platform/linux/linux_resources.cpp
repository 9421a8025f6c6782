#include "platform/resources.h"

#include <strings.h>

namespace plat {

bool FindResource(const char* type, const char* name, ResourceData* out) {
  if (!type || !name) return false;
  for (const EmbeddedResource* r = g_EmbeddedResources; r->type; ++r) {
    if (r->name && strcasecmp(r->type, type) == 0 && strcasecmp(r->name, name) == 0) {
      if (out) *out = ResourceData{r->data, r->size};
      return true;
    }
  }
  return false;
}

bool FindResource(const char* type, std::uint16_t id, ResourceData* out) {
  if (!type) return false;
  for (const EmbeddedResource* r = g_EmbeddedResources; r->type; ++r) {
    if (!r->name && r->id == id && strcasecmp(r->type, type) == 0) {
      if (out) *out = ResourceData{r->data, r->size};
      return true;
    }
  }
  return false;
}

}  // namespace plat
