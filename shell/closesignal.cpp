#include "shell/closesignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_bCloseSignal = 0;

void NoteCloseSignal(int) { g_bCloseSignal = 1; }

}  // namespace

void InstallCloseSignals() {
  struct sigaction action {};
  action.sa_handler = NoteCloseSignal;
  sigemptyset(&action.sa_mask);
  // poll() ends early either way; other threads' reads and writes should not.
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool TakeCloseSignal() {
  if (!g_bCloseSignal) return false;
  g_bCloseSignal = 0;
  return true;
}

bool CloseSignalPending() { return g_bCloseSignal != 0; }
