// X keysyms to the virtual keys the key handler dispatches on.
#include <X11/keysym.h>

#include "platform/x11/records.h"

namespace plat::x11 {
namespace {

// Virtual keys beyond the ones the system names.
constexpr UINT kVkClear = 0x0C, kVkPause = 0x13, kVkCapital = 0x14, kVkSnapshot = 0x2C, kVkLWin = 0x5B,
               kVkRWin = 0x5C, kVkApps = 0x5D, kVkMultiply = 0x6A, kVkAdd = 0x6B,
               kVkSeparator = 0x6C, kVkSubtract = 0x6D, kVkDecimal = 0x6E, kVkDivide = 0x6F,
               kVkNumLock = 0x90, kVkScroll = 0x91;
// A key without a virtual key of its own still has to count as a key.

struct KeyPair {
  unsigned long keysym;
  UINT vk;
};

// The keypad's keys are what Num Lock (and Shift) make of them, as on Windows:
// keypad 7 is Home with Num Lock off and VK_NUMPAD7 with it on. The key table
// gives keypad 9 and Page Up the same meaning, so both states of the key act alike.
constexpr KeyPair kKeys[] = {
    {XK_BackSpace, VK_BACK},       {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},     {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},      {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},          {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},            {XK_End, VK_END},
    {XK_Home, VK_HOME},            {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},                {XK_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},            {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},        {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},        {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},    {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},           {XK_Meta_L, VK_MENU},
    {XK_Meta_R, VK_MENU},          {XK_ISO_Level3_Shift, VK_MENU},
    {XK_Pause, kVkPause},          {XK_Caps_Lock, kVkCapital},
    {XK_Print, kVkSnapshot},       {XK_Super_L, kVkLWin},
    {XK_Super_R, kVkRWin},         {XK_Menu, kVkApps},
    {XK_Num_Lock, kVkNumLock},     {XK_Scroll_Lock, kVkScroll},
    {XK_KP_Insert, VK_INSERT},     {XK_KP_End, VK_END},
    {XK_KP_Down, VK_DOWN},         {XK_KP_Next, VK_NEXT},
    {XK_KP_Left, VK_LEFT},         {XK_KP_Begin, kVkClear},
    {XK_KP_Right, VK_RIGHT},       {XK_KP_Home, VK_HOME},
    {XK_KP_Up, VK_UP},             {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Delete, VK_DELETE},     {XK_KP_Decimal, kVkDecimal},
    {XK_KP_Multiply, kVkMultiply}, {XK_KP_Add, kVkAdd},
    {XK_KP_Separator, kVkSeparator}, {XK_KP_Subtract, kVkSubtract},
    {XK_KP_Divide, kVkDivide},     {XK_semicolon, 0xBA},
    {XK_equal, 0xBB},              {XK_comma, 0xBC},
    {XK_minus, 0xBD},              {XK_period, 0xBE},
    {XK_slash, 0xBF},              {XK_grave, 0xC0},
    {XK_bracketleft, 0xDB},        {XK_backslash, 0xDC},
    {XK_bracketright, 0xDD},       {XK_apostrophe, 0xDE},
};

// The keypad keys that Num Lock switches, as (navigation, digit) pairs.
struct KeypadPair {
  unsigned long navigation, digit;
};
constexpr KeypadPair kKeypad[] = {
    {XK_KP_Insert, XK_KP_0}, {XK_KP_End, XK_KP_1},  {XK_KP_Down, XK_KP_2},    {XK_KP_Next, XK_KP_3},
    {XK_KP_Left, XK_KP_4},   {XK_KP_Begin, XK_KP_5}, {XK_KP_Right, XK_KP_6},  {XK_KP_Home, XK_KP_7},
    {XK_KP_Up, XK_KP_8},     {XK_KP_Prior, XK_KP_9}, {XK_KP_Delete, XK_KP_Decimal},
};

// A keypad key that Num Lock switches (given by either of its keysyms), as the
// Num Lock and Shift states make it: the digit or the navigation key.
unsigned long KeypadKeysym(unsigned long keysym, bool numLock, bool shift) {
  bool digits = numLock != shift;  // Shift reverses Num Lock on the keypad
  for (const KeypadPair& pair : kKeypad)
    if (keysym == pair.navigation || keysym == pair.digit) return digits ? pair.digit : pair.navigation;
  return keysym;
}

}  // namespace

UINT VirtualKeyFromKeysym(unsigned long keysym, bool numLock, bool shift) {
  keysym = KeypadKeysym(keysym, numLock, shift);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return VK_NUMPAD0 + static_cast<UINT>(keysym - XK_KP_0);
  if (keysym >= XK_F1 && keysym <= XK_F24) return VK_F1 + static_cast<UINT>(keysym - XK_F1);
  if (keysym >= XK_a && keysym <= XK_z) return 'A' + static_cast<UINT>(keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return 'A' + static_cast<UINT>(keysym - XK_A);
  if (keysym >= XK_0 && keysym <= XK_9) return '0' + static_cast<UINT>(keysym - XK_0);
  for (const KeyPair& pair : kKeys)
    if (pair.keysym == keysym) return pair.vk;
  return VK_UNKNOWN_KEY;
}

}  // namespace plat::x11
