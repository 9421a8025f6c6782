#include "shell/closesignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_bCloseSignal = 0;

void NoteCloseSignal(int) { g_bCloseSignal = 1; }

}  // namespace

void InstallCloseSignals() {
  // The C library's signal() keeps the handler and restarts interrupted reads and
  // writes of other threads (glibc's BSD semantics); a wait ends early either way.
  std::signal(SIGTERM, NoteCloseSignal);
  std::signal(SIGINT, NoteCloseSignal);
  // The terminal that started the saver closed. Under nohup it stays ignored.
  if (std::signal(SIGHUP, NoteCloseSignal) == SIG_IGN) std::signal(SIGHUP, SIG_IGN);
}

bool TakeCloseSignal() {
  if (!g_bCloseSignal) return false;
  g_bCloseSignal = 0;
  return true;
}

bool CloseSignalPending() { return g_bCloseSignal != 0; }
