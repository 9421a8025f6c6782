#include "shell/entry.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/fault.h"
#include "platform/startuptrace.h"
#include "render/runstate.h"
#include "shell/cmdline.h"
#include "shell/saverpassword.h"
#include "shell/runmode.h"
#include "sound/sound.h"

namespace {

// An exception that escapes everything (a voice thread's, or one thrown while
// unwinding) ends the process as a fault does, without a core dump. It may run on
// any thread, so the window is left to the X server, which drops its grabs when
// the connection closes.
[[noreturn]] void EndOnUnhandledException() {
  SetSaverRunning(false);
  std::_Exit(255);
}

void RestoreSystemAfterFault() { SetSaverRunning(false); }

}  // namespace

int KiruMain(int argc, char** argv) {
  plat::TraceStartup("main entered");
  std::set_terminate(EndOnUnhandledException);
  plat::EndProcessOnFault(RestoreSystemAfterFault);
  // End-to-end tests reach the hardware warning without a slow renderer.
  if (const char* rate = std::getenv("KIRU_TEST_FRAME_RATE")) g_fForcedFrameRate = std::strtof(rate, nullptr);
  std::string line = JoinCommandLine(argc, argv);
  int exitCode = RunSaverMode(SkipProgramName(line.c_str()));
  // A voice left behind at shutdown may still be inside the sound output: end
  // without the static destructors it could run into.
  if (SoundVoicesAbandoned()) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
  }
  return exitCode;
}
