#include "platform/wayland/wayland_keys.h"

#include "platform/linux/linux_keymap.h"

namespace plat::wayland {

UINT VirtualKeyOfKey(xkb_state* state, std::uint32_t key) {
  const xkb_keycode_t code = key + 8;  // evdev codes start 8 below X's
  const xkb_keysym_t* syms = nullptr;
  int count = xkb_keymap_key_get_syms_by_level(xkb_state_get_keymap(state), code, 0, 0, &syms);
  bool numLock = xkb_state_mod_name_is_active(state, XKB_MOD_NAME_NUM, XKB_STATE_MODS_EFFECTIVE) > 0;
  bool shift = xkb_state_mod_name_is_active(state, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0;
  return VirtualKeyFromKeysym(count > 0 ? syms[0] : XKB_KEY_NoSymbol, numLock, shift);
}

}  // namespace plat::wayland
