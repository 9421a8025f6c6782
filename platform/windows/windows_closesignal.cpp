#include "platform/closesignal.h"

#include <csignal>

namespace plat {
namespace {

volatile std::sig_atomic_t g_bCloseSignal = 0;

void NoteCloseSignal(int) { g_bCloseSignal = 1; }

}  // namespace

void InstallCloseSignals() {
  std::signal(SIGTERM, NoteCloseSignal);
  std::signal(SIGINT, NoteCloseSignal);
}

bool TakeCloseSignal() {
  if (!g_bCloseSignal) return false;
  g_bCloseSignal = 0;
  return true;
}

bool CloseSignalPending() { return g_bCloseSignal != 0; }

}  // namespace plat
