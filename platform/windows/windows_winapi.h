// The Win32 headers, for the files of this backend. Include this after every
// platform/ header: windows.h makes macros of many names the platform interface
// declares as its own (message numbers, key codes, CreateWindow, PostMessage...).
// The A-suffixed functions are called by their real names; the macros that would
// rename our own functions are undone here.
#pragma once
#include <cstdint>

#include "platform/win.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateWindow
#undef DefWindowProc
#undef DialogBox
#undef DispatchMessage
#undef FindResource
#undef GetDlgItemText
#undef GetMessage
#undef GetWindowText
#undef IsDialogMessage
#undef MessageBox
#undef PeekMessage
#undef PostMessage
#undef PostThreadMessage
#undef SendMessage
#undef SetDlgItemText
#undef SetWindowText

namespace plat::win32 {

inline ::HWND Native(plat::HWND window) { return reinterpret_cast<::HWND>(window); }
inline plat::HWND Ours(::HWND window) { return reinterpret_cast<plat::HWND>(window); }
// Windows of other processes as the platform interface names them (native ids).
inline ::HWND FromNativeId(unsigned long id) { return reinterpret_cast<::HWND>(static_cast<std::uintptr_t>(id)); }
inline unsigned long ToNativeId(::HWND window) {
  return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window));
}

// The procedure of every window this backend creates or binds: it forwards each
// message to the procedure of ours bound to the window (DefWindowProcA without one).
::LRESULT CALLBACK ForwardWindowProc(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam);
// The next window this thread creates is bound to `proc` at its first message.
void BindCreating(WNDPROC proc);
// Registers a window class whose procedure is ForwardWindowProc (once per name).
bool EnsureWindowClass(const char* className, UINT style, HBRUSH background);

}  // namespace plat::win32
