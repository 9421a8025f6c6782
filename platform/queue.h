// Per-thread message queues with Win32 semantics: post to a thread or to a window
// (the window's thread), peek with or without removal, blocking get, quit message.
// Thread-safe; the voices of the sound player use thread queues, the UI thread its
// window queue. A thread may attach event sources (the X connection, the Wayland
// one) whose pumps are run before the queue is looked at and whose descriptors
// wake blocking waits.
// On Windows the queues are the system's own and no event source is needed.
#pragma once
#include "platform/win.h"

namespace plat {

ThreadId GetCurrentThreadId();  // small, stable, never 0

// Creates the calling thread's queue if it has none; Peek/Get do this too.
void EnsureMessageQueue();
// Drops the calling thread's queue and what is in it; later posts to the thread fail.
void DestroyMessageQueue();

// False when the thread has no queue (not created yet, or already destroyed).
bool PostThreadMessage(ThreadId thread, UINT msg, WPARAM wParam, LPARAM lParam);
// False when the window is unknown (never bound, or destroyed).
bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Window filter 0 takes messages of every window and thread message of the thread;
// a range of 0..0 takes every message. WM_QUIT comes only when nothing else matches
// and the window filter is 0.
bool PeekMessage(MSG* out, HWND window, UINT first, UINT last, UINT flags);
// Blocks until a message in the filter arrives; returns 0 for WM_QUIT, else 1.
int GetMessage(MSG* out, HWND window, UINT first, UINT last);
// Waits at most `ms` for anything new in the calling thread's queue.
void WaitMessage(DWORD ms);

// Window records: the window layer binds each window it creates to the thread
// that owns it, to its procedure and to the desktop that made it (a program may
// hold two: the Linux program's switch forwards by this; 0 for the first).
HWND AllocWindowHandle();
void BindWindow(HWND window, ThreadId owner, WNDPROC proc, int desktop = 0);
int WindowDesktop(HWND window);  // 0 also for a window without a record
void UnbindWindow(HWND window);  // also drops the window's queued messages
bool IsWindowBound(HWND window);
WNDPROC GetWindowProc(HWND window);
void SetWindowProc(HWND window, WNDPROC proc);
// Calls the window's procedure directly (Win32 SendMessage on the same thread); 0 if unknown.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DispatchMessage(const MSG* msg);

// An event source of the calling thread: `pump` turns pending outside events into
// posted messages; `fd` (or -1) is polled while the thread waits for messages.
// Attaching the same pump again replaces its descriptor and context.
using EventPump = void (*)(void* context);
void SetThreadEventSource(int fd, EventPump pump, void* context);

}  // namespace plat
