// Types, message numbers and key codes shared by every subsystem and backend.
// The numbers keep their Win32 values so that procedures read like their
// Win32 counterparts and a Win32 backend can pass messages straight through.
#pragma once
#include <cstdint>

namespace plat {

using HWND = std::uintptr_t;  // our own window handle; 0 = none
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using BOOL = int;
using ThreadId = std::uint32_t;  // 0 = none

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
  int x = 0, y = 0;
};
struct RECT {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct MSG {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
};

// Window messages
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_HELP = 0x0053;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;  // screen size or monitor layout changed
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// System commands
constexpr WPARAM SC_NEXTWINDOW = 0xF040;
constexpr WPARAM SC_PREVWINDOW = 0xF050;
constexpr WPARAM SC_SCREENSAVE = 0xF140;

// Control notifications and scroll codes
constexpr UINT BN_CLICKED = 0;
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINEDOWN = 1;
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_THUMBTRACK = 5;
constexpr UINT SB_TOP = 6;
constexpr UINT SB_BOTTOM = 7;
constexpr UINT SB_ENDSCROLL = 8;

// PeekMessage
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
constexpr UINT PM_NOYIELD = 2;

// Message box styles and results
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Virtual keys
constexpr UINT VK_BACK = 8;
constexpr UINT VK_TAB = 9;
constexpr UINT VK_RETURN = 13;
constexpr UINT VK_SHIFT = 16;
constexpr UINT VK_CONTROL = 17;
constexpr UINT VK_MENU = 18;
constexpr UINT VK_ESCAPE = 27;
constexpr UINT VK_SPACE = 32;
constexpr UINT VK_PRIOR = 33;
constexpr UINT VK_NEXT = 34;
constexpr UINT VK_END = 35;
constexpr UINT VK_HOME = 36;
constexpr UINT VK_LEFT = 37;
constexpr UINT VK_UP = 38;
constexpr UINT VK_RIGHT = 39;
constexpr UINT VK_DOWN = 40;
constexpr UINT VK_INSERT = 45;
constexpr UINT VK_DELETE = 46;
constexpr UINT VK_NUMPAD0 = 96;
constexpr UINT VK_NUMPAD2 = 98;
constexpr UINT VK_NUMPAD3 = 99;
constexpr UINT VK_NUMPAD4 = 100;
constexpr UINT VK_NUMPAD6 = 102;
constexpr UINT VK_NUMPAD8 = 104;
constexpr UINT VK_NUMPAD9 = 105;
constexpr UINT VK_F1 = 112;
constexpr UINT VK_F2 = 113;
constexpr UINT VK_F3 = 114;
constexpr UINT VK_F4 = 115;
constexpr UINT VK_F5 = 116;
constexpr UINT VK_F6 = 117;
constexpr UINT VK_F7 = 118;
constexpr UINT VK_F8 = 119;
constexpr UINT VK_F9 = 120;
constexpr UINT VK_F10 = 121;
constexpr UINT VK_F11 = 122;
constexpr UINT VK_F12 = 123;

}  // namespace plat
