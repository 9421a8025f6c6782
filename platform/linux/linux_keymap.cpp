// Keysyms to the virtual keys the key handler dispatches on. X and xkbcommon
// number keysyms alike, so both Linux desktops read this one table.
#include "platform/linux/linux_keymap.h"

#include <X11/keysym.h>

namespace plat {
namespace {

// Virtual keys beyond the ones the system names.
constexpr UINT VK_CLEAR = 0x0C, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_SNAPSHOT = 0x2C, VK_LWIN = 0x5B,
               VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
               VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
               VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
// A key without a virtual key of its own still has to count as a key.

struct KeyPair {
  unsigned long keysym;
  UINT vk;
};

// The keypad's keys are what Num Lock (and Shift) make of them, as on Windows:
// keypad 7 is Home with Num Lock off and VK_NUMPAD7 with it on. The key table
// gives keypad 9 and Page Up the same meaning, so both states of the key act alike.
constexpr KeyPair KEYS[] = {
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
    {XK_Pause, VK_PAUSE},          {XK_Caps_Lock, VK_CAPITAL},
    {XK_Print, VK_SNAPSHOT},       {XK_Super_L, VK_LWIN},
    {XK_Super_R, VK_RWIN},         {XK_Menu, VK_APPS},
    {XK_Num_Lock, VK_NUMLOCK},     {XK_Scroll_Lock, VK_SCROLL},
    {XK_KP_Insert, VK_INSERT},     {XK_KP_End, VK_END},
    {XK_KP_Down, VK_DOWN},         {XK_KP_Next, VK_NEXT},
    {XK_KP_Left, VK_LEFT},         {XK_KP_Begin, VK_CLEAR},
    {XK_KP_Right, VK_RIGHT},       {XK_KP_Home, VK_HOME},
    {XK_KP_Up, VK_UP},             {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Delete, VK_DELETE},     {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Multiply, VK_MULTIPLY}, {XK_KP_Add, VK_ADD},
    {XK_KP_Separator, VK_SEPARATOR}, {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Divide, VK_DIVIDE},     {XK_semicolon, 0xBA},
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
constexpr KeypadPair KEYPAD[] = {
    {XK_KP_Insert, XK_KP_0}, {XK_KP_End, XK_KP_1},  {XK_KP_Down, XK_KP_2},    {XK_KP_Next, XK_KP_3},
    {XK_KP_Left, XK_KP_4},   {XK_KP_Begin, XK_KP_5}, {XK_KP_Right, XK_KP_6},  {XK_KP_Home, XK_KP_7},
    {XK_KP_Up, XK_KP_8},     {XK_KP_Prior, XK_KP_9}, {XK_KP_Delete, XK_KP_Decimal},
};

// A keypad key that Num Lock switches (given by either of its keysyms), as the
// Num Lock and Shift states make it: the digit or the navigation key.
unsigned long KeypadKeysym(unsigned long keysym, bool numLock, bool shift) {
  bool digits = numLock != shift;  // Shift reverses Num Lock on the keypad
  for (const KeypadPair& pair : KEYPAD)
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
  for (const KeyPair& pair : KEYS)
    if (pair.keysym == keysym) return pair.vk;
  return VK_UNKNOWN_KEY;
}

}  // namespace plat
