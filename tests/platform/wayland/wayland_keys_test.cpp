// wl_keyboard keys through an xkbcommon keymap (the default US layout, as a
// compositor would send it) to the key table's virtual keys.
#include "platform/wayland/wayland_keys.h"

#include <gtest/gtest.h>

#include "platform/linux/linux_keymap.h"

namespace {

// evdev codes (linux/input-event-codes.h)
constexpr std::uint32_t KEY_ESC = 1, KEY_BACKSPACE = 14, KEY_ENTER = 28, KEY_A = 30, KEY_F1 = 59, KEY_F10 = 68,
                        KEY_KP9 = 73, KEY_KP7 = 71, KEY_F11 = 87, KEY_HOME = 102, KEY_UP = 103, KEY_PAGEUP = 104,
                        KEY_LEFT = 105, KEY_PAGEDOWN = 109, KEY_MUTE = 113;

class KeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ASSERT_NE(keymap_, nullptr) << "no XKB data (xkb-data)";
    state_ = xkb_state_new(keymap_);
  }
  void TearDown() override {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
  }
  // Modifiers as wl_keyboard.modifiers sets them: Shift held, Num Lock locked.
  plat::UINT Key(std::uint32_t key, bool shift = false, bool numLock = false) {
    xkb_mod_mask_t shiftMask = 1u << xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_SHIFT);
    xkb_mod_mask_t numMask = 1u << xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_NUM);
    xkb_state_update_mask(state_, shift ? shiftMask : 0, 0, numLock ? numMask : 0, 0, 0, 0);
    return plat::wayland::VirtualKeyOfKey(state_, key);
  }
  xkb_context* context_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
};

TEST_F(KeysTest, SteeringKeysArriveAsTheKeyTablesVirtualKeys) {
  EXPECT_EQ(Key(KEY_PAGEUP), plat::VK_PRIOR);
  EXPECT_EQ(Key(KEY_PAGEDOWN), plat::VK_NEXT);
  EXPECT_EQ(Key(KEY_UP), plat::VK_UP);
  EXPECT_EQ(Key(KEY_LEFT), plat::VK_LEFT);
  EXPECT_EQ(Key(KEY_HOME), plat::VK_HOME);
  EXPECT_EQ(Key(KEY_ENTER), plat::VK_RETURN);
  EXPECT_EQ(Key(KEY_BACKSPACE), plat::VK_BACK);
  EXPECT_EQ(Key(KEY_ESC), plat::VK_ESCAPE);
  EXPECT_EQ(Key(KEY_F1), plat::VK_F1);
  EXPECT_EQ(Key(KEY_F10), plat::VK_F1 + 9);
  EXPECT_EQ(Key(KEY_F11), plat::VK_F1 + 10);  // not next to F10 among evdev codes
}

TEST_F(KeysTest, ShiftedLettersStayTheirKeyAndUnknownKeysStillCount) {
  EXPECT_EQ(Key(KEY_A, true), static_cast<plat::UINT>('A'));
  EXPECT_EQ(Key(KEY_MUTE), plat::VK_UNKNOWN_KEY);
}

TEST_F(KeysTest, KeypadFollowsNumLockAndShift) {
  EXPECT_EQ(Key(KEY_KP9), plat::VK_PRIOR);
  EXPECT_EQ(Key(KEY_KP9, false, true), plat::VK_NUMPAD0 + 9);
  EXPECT_EQ(Key(KEY_KP9, true, true), plat::VK_PRIOR);  // Shift undoes Num Lock
  EXPECT_EQ(Key(KEY_KP7, true, false), plat::VK_NUMPAD0 + 7);
}

}  // namespace
