// Keysyms (X's, which xkbcommon's equal) to virtual keys, for both Linux desktops.
#pragma once
#include "platform/win.h"

namespace plat {

// Keysym (unshifted, group 0) to virtual key; never 0. Keys of no known meaning
// get VK_UNKNOWN_KEY, which the saver takes as "any other key". Keypad keys that
// Num Lock switches follow the Num Lock and Shift states, whichever keysym names them.
constexpr UINT VK_UNKNOWN_KEY = 0xFF;
UINT VirtualKeyFromKeysym(unsigned long keysym, bool numLock, bool shift);

}  // namespace plat
