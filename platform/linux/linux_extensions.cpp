#include "platform/linux/linux_extensions.h"

#include <cstring>

namespace plat {

bool ListsExtension(const char* list, const char* name) {
  std::size_t length = std::strlen(name);
  for (const char* at = list; at && (at = std::strstr(at, name)); at += length)
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}

}  // namespace plat
