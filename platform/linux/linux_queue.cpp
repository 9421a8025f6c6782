#include "platform/queue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace plat {
namespace {

struct Queue {
  std::mutex lock;
  std::deque<MSG> messages;
  bool quit = false;
  int quitCode = 0;
  int wakeFd = -1;  // eventfd: readable while something new was posted
  struct Source {
    int fd = -1;
    EventPump pump = nullptr;
    void* context = nullptr;
  };
  std::vector<Source> sources;  // one per desktop the thread shows windows on

  Queue() { wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }
  ~Queue() {
    if (wakeFd >= 0) close(wakeFd);
  }
  void Wake() {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd, &one, sizeof one);
  }
  void ClearWake() {
    std::uint64_t value;
    [[maybe_unused]] ssize_t n = read(wakeFd, &value, sizeof value);
  }
  void Pump() {
    for (const Source& source : sources) source.pump(source.context);
  }
};

struct WindowRecord {
  ThreadId owner = 0;
  WNDPROC proc = nullptr;
  int desktop = 0;
};

std::mutex g_registryLock;
std::map<ThreadId, std::shared_ptr<Queue>> g_queues;
std::map<HWND, WindowRecord> g_windows;
std::atomic<ThreadId> g_nextThreadId{1};
std::atomic<HWND> g_nextWindow{0x100};

thread_local ThreadId t_threadId = 0;
thread_local std::shared_ptr<Queue> t_queue;

std::shared_ptr<Queue> FindQueue(ThreadId thread) {
  std::lock_guard<std::mutex> guard(g_registryLock);
  auto it = g_queues.find(thread);
  return it == g_queues.end() ? nullptr : it->second;
}

Queue& OwnQueue() {
  EnsureMessageQueue();
  return *t_queue;
}

bool Matches(const MSG& m, HWND window, UINT first, UINT last) {
  if (window != 0 && m.hwnd != window) return false;
  if (first == 0 && last == 0) return true;
  return m.message >= first && m.message <= last;
}

bool PostTo(const std::shared_ptr<Queue>& q, HWND window, UINT msg, WPARAM w, LPARAM l) {
  if (!q) return false;
  {
    std::lock_guard<std::mutex> guard(q->lock);
    q->messages.push_back(MSG{window, msg, w, l, GetTickCount()});
  }
  q->Wake();
  return true;
}

// Keyboard and mouse messages, which Win32 keeps in an input queue of their own.
bool IsInput(UINT message) {
  return (message >= WM_KEYDOWN && message <= 0x0109) || (message >= WM_MOUSEMOVE && message <= 0x020E);
}

// Takes the first matching message, or the quit message when nothing else matches.
// As in Win32, posted messages come before input: a frame pump that reposts itself
// is taken ahead of the keys that arrived meanwhile, and its drain then sees them.
bool Take(Queue& q, MSG* out, HWND window, UINT first, UINT last, bool remove) {
  std::lock_guard<std::mutex> guard(q.lock);
  for (bool input : {false, true}) {
    for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
      if (IsInput(it->message) == input && Matches(*it, window, first, last)) {
        if (out) *out = *it;
        if (remove) q.messages.erase(it);
        return true;
      }
    }
  }
  bool quitInRange = (first == 0 && last == 0) || (WM_QUIT >= first && WM_QUIT <= last);
  if (q.quit && window == 0 && quitInRange) {
    if (out) *out = MSG{0, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount()};
    if (remove) q.quit = false;
    return true;
  }
  return false;
}

}  // namespace

ThreadId GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
  return t_threadId;
}

void EnsureMessageQueue() {
  if (t_queue) return;
  t_queue = std::make_shared<Queue>();
  std::lock_guard<std::mutex> guard(g_registryLock);
  g_queues[GetCurrentThreadId()] = t_queue;
}

void DestroyMessageQueue() {
  if (!t_queue) return;
  {
    std::lock_guard<std::mutex> guard(g_registryLock);
    g_queues.erase(GetCurrentThreadId());
  }
  t_queue.reset();
}

bool PostThreadMessage(ThreadId thread, UINT msg, WPARAM wParam, LPARAM lParam) {
  return PostTo(FindQueue(thread), 0, msg, wParam, lParam);
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  ThreadId owner = 0;
  {
    std::lock_guard<std::mutex> guard(g_registryLock);
    auto it = g_windows.find(window);
    if (it == g_windows.end()) return false;
    owner = it->second.owner;
  }
  return PostTo(FindQueue(owner), window, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  Queue& q = OwnQueue();
  {
    std::lock_guard<std::mutex> guard(q.lock);
    q.quit = true;
    q.quitCode = exitCode;
  }
  q.Wake();
}

bool PeekMessage(MSG* out, HWND window, UINT first, UINT last, UINT flags) {
  Queue& q = OwnQueue();
  q.Pump();
  return Take(q, out, window, first, last, (flags & PM_REMOVE) != 0);
}

void WaitMessage(DWORD ms) {
  Queue& q = OwnQueue();
  std::vector<pollfd> fds{{q.wakeFd, POLLIN, 0}};
  for (const Queue::Source& source : q.sources)
    if (source.fd >= 0) fds.push_back(pollfd{source.fd, POLLIN, 0});
  // An interrupted wait simply ends early: every caller looks at the queue again.
  poll(fds.data(), fds.size(), static_cast<int>(ms));
  q.ClearWake();
}

int GetMessage(MSG* out, HWND window, UINT first, UINT last) {
  Queue& q = OwnQueue();
  for (;;) {
    q.Pump();
    MSG m;
    if (Take(q, &m, window, first, last, true)) {
      if (out) *out = m;
      return m.message == WM_QUIT ? 0 : 1;
    }
    // Bounded wait: a pump may have left events buffered in its own queue.
    WaitMessage(q.sources.empty() ? 1000 : 50);
  }
}

HWND AllocWindowHandle() { return g_nextWindow.fetch_add(1); }

void BindWindow(HWND window, ThreadId owner, WNDPROC proc, int desktop) {
  // As making a window does in Win32, binding one gives its thread a queue: a post
  // to it would otherwise be dropped until the thread first looks at its messages.
  if (owner == GetCurrentThreadId()) EnsureMessageQueue();
  std::lock_guard<std::mutex> guard(g_registryLock);
  g_windows[window] = WindowRecord{owner, proc, desktop};
}

int WindowDesktop(HWND window) {
  std::lock_guard<std::mutex> guard(g_registryLock);
  auto it = g_windows.find(window);
  return it == g_windows.end() ? 0 : it->second.desktop;
}

void UnbindWindow(HWND window) {
  ThreadId owner = 0;
  {
    std::lock_guard<std::mutex> guard(g_registryLock);
    auto it = g_windows.find(window);
    if (it == g_windows.end()) return;
    owner = it->second.owner;
    g_windows.erase(it);
  }
  if (auto q = FindQueue(owner)) {
    std::lock_guard<std::mutex> guard(q->lock);
    std::erase_if(q->messages, [window](const MSG& m) { return m.hwnd == window; });
  }
}

bool IsWindowBound(HWND window) {
  std::lock_guard<std::mutex> guard(g_registryLock);
  return g_windows.count(window) != 0;
}

WNDPROC GetWindowProc(HWND window) {
  std::lock_guard<std::mutex> guard(g_registryLock);
  auto it = g_windows.find(window);
  return it == g_windows.end() ? nullptr : it->second.proc;
}

void SetWindowProc(HWND window, WNDPROC proc) {
  std::lock_guard<std::mutex> guard(g_registryLock);
  auto it = g_windows.find(window);
  if (it != g_windows.end()) it->second.proc = proc;
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = GetWindowProc(window);
  return proc ? proc(window, msg, wParam, lParam) : 0;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || msg->hwnd == 0) return 0;
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void SetThreadEventSource(int fd, EventPump pump, void* context) {
  Queue& q = OwnQueue();
  for (Queue::Source& source : q.sources)
    if (source.pump == pump) {
      source = Queue::Source{fd, pump, context};
      return;
    }
  q.sources.push_back(Queue::Source{fd, pump, context});
}

}  // namespace plat
