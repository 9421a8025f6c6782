#include "platform/msgbox.h"

#include <atomic>
#include <cstdio>

namespace plat {
namespace {
std::atomic<MessageBoxHandler> g_handler{nullptr};
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT style) {
  if (MessageBoxHandler handler = g_handler.load()) return handler(owner, text, caption, style);
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return IDOK;
}

void SetMessageBoxHandler(MessageBoxHandler handler) { g_handler = handler; }

}  // namespace plat
