// Extension lists as GLX and EGL give them: names separated by blanks.
#pragma once

namespace plat {

// Whether the list names `name` as a whole word (GLX_ARB_foo is not GLX_ARB_foo_bar).
bool ListsExtension(const char* list, const char* name);

}  // namespace plat
