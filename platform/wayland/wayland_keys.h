// Keys of an xkbcommon keymap to the virtual keys of the key table.
#pragma once
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

#include "platform/win.h"

namespace plat::wayland {

// The virtual key of a wl_keyboard key (an evdev code) in that keyboard's state:
// as on X, its keysym of the first layout unshifted, so that Shift+A is still A;
// the keypad as Num Lock and Shift make it. VK_UNKNOWN_KEY for no known meaning.
UINT VirtualKeyOfKey(xkb_state* state, std::uint32_t key);

}  // namespace plat::wayland
