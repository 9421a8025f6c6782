// Waiting on work another thread or process finishes in its own time.
#pragma once
#include <chrono>
#include <functional>
#include <thread>

namespace kiru_test {

// Polls `done` every `pollMs` until it holds (true) or `timeoutMs` have passed (false).
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs = 1) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
  return true;
}

}  // namespace kiru_test
