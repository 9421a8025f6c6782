// Without a display there is no root window and no other program's window.
#include "platform/nativehost.h"

namespace plat {

unsigned long GetNativeRootWindow() { return 0; }
bool GetNativeClientRect(unsigned long, RECT*) { return false; }

}  // namespace plat
