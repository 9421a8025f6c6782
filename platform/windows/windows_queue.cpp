// Message queues are the system's own: every thread has one once it asks for a
// message, posted messages come before input, and WM_QUIT comes last.
#include "platform/queue.h"

#include <map>
#include <mutex>

#include "platform/windows/windows_winapi.h"

namespace plat {
namespace win32 {
namespace {

constexpr const char* RECORD_CLASS = "KiruMessageWindow";

// The procedures of ours behind the system's windows. Windows are created and
// destroyed on their own thread; others only look procedures up.
std::mutex g_lock;
std::map<::HWND, WNDPROC> g_procs;

thread_local WNDPROC t_pCreating = nullptr;  // handed to the window being created

bool Lookup(::HWND window, WNDPROC* proc) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_procs.find(window);
  if (it == g_procs.end()) return false;
  *proc = it->second;
  return true;
}

MSG FromNative(const ::MSG& m) {
  return MSG{Ours(m.hwnd), m.message, m.wParam, m.lParam, m.time};
}

}  // namespace

void BindCreating(WNDPROC proc) { t_pCreating = proc; }

::LRESULT CALLBACK ForwardWindowProc(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  WNDPROC proc = nullptr;
  if (!Lookup(window, &proc) && t_pCreating) {
    // The first message of a window being created: it is ours from now on.
    proc = t_pCreating;
    t_pCreating = nullptr;
    std::lock_guard<std::mutex> guard(g_lock);
    g_procs[window] = proc;
  }
  LRESULT result = proc ? proc(Ours(window), message, wParam, lParam)
                        : ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::RemovePropA(window, "KiruFullScreen");  // window.cpp's mark, whose name holds an atom
    std::lock_guard<std::mutex> guard(g_lock);
    g_procs.erase(window);
  }
  return result;
}

bool EnsureWindowClass(const char* className, UINT style, HBRUSH background) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (::GetClassInfoA(instance, className, &existing)) return true;
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = ForwardWindowProc;
  wc.hInstance = instance;
  // The executable holds no icon 100, so the class gets none, as the saver's class asks.
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(100));
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return ::RegisterClassA(&wc) != 0;
}

}  // namespace win32

using namespace win32;

ThreadId GetCurrentThreadId() { return ::GetCurrentThreadId(); }

void EnsureMessageQueue() {
  ::MSG m;
  ::PeekMessageA(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the thread's queue
}

void DestroyMessageQueue() {
  // A thread's queue lives as long as the thread; what it holds is dropped here.
  ::MSG m;
  while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
}

bool PostThreadMessage(ThreadId thread, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::PostThreadMessageA(thread, msg, wParam, lParam) != 0;
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return window != 0 && ::PostMessageA(Native(window), msg, wParam, lParam) != 0;
}

void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

bool PeekMessage(MSG* out, HWND window, UINT first, UINT last, UINT flags) {
  ::MSG m;
  if (!::PeekMessageA(&m, Native(window), first, last, flags)) return false;
  if (m.message == WM_QUIT && window != 0) {
    // The quit belongs to the thread's loop, never to a drain of one window's messages.
    if (flags & PM_REMOVE) ::PostQuitMessage(static_cast<int>(m.wParam));
    return false;
  }
  if (out) *out = FromNative(m);
  return true;
}

int GetMessage(MSG* out, HWND window, UINT first, UINT last) {
  ::MSG m;
  BOOL got = ::GetMessageA(&m, Native(window), first, last);
  if (got == -1) return 0;  // an invalid window filter: nothing will ever come
  if (out) *out = FromNative(m);
  return got != 0 ? 1 : 0;
}

void WaitMessage(DWORD ms) {
  ::MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// Windows of our own that only take messages: the message layer's records.
HWND AllocWindowHandle() {
  if (!EnsureWindowClass(RECORD_CLASS, 0, nullptr)) return 0;
  return Ours(::CreateWindowExA(0, RECORD_CLASS, "", 0, 0, 0, 0, 0, Native(HWND_MESSAGE), nullptr,
                                ::GetModuleHandleA(nullptr), nullptr));
}

// One desktop: the system's.
int WindowDesktop(HWND) { return 0; }

void BindWindow(HWND window, ThreadId, WNDPROC proc, int) {
  // The owner is the thread that created the window; the system keeps that.
  std::lock_guard<std::mutex> guard(g_lock);
  g_procs[Native(window)] = proc;
}

void UnbindWindow(HWND window) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_procs.erase(Native(window));
  }
  ::DestroyWindow(Native(window));
}

bool IsWindowBound(HWND window) {
  WNDPROC proc;
  return Lookup(Native(window), &proc) && ::IsWindow(Native(window));
}

WNDPROC GetWindowProc(HWND window) {
  WNDPROC proc = nullptr;
  Lookup(Native(window), &proc);
  return proc;
}

void SetWindowProc(HWND window, WNDPROC proc) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_procs.find(Native(window));
  if (it != g_procs.end()) it->second = proc;
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(Native(window), msg, wParam, lParam);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  ::MSG m{Native(msg->hwnd), msg->message, msg->wParam, msg->lParam, msg->time, {}};
  // Keys taken by a frame pump still type characters into an edit field.
  ::TranslateMessage(&m);
  return ::DispatchMessageA(&m);
}

void SetThreadEventSource(int, EventPump, void*) {}  // the system's queue sees every event

}  // namespace plat
