// Close requests from outside the program: SIGTERM (XScreenSaver ends a hack this
// way), SIGINT and SIGHUP (a closing terminal hangs up; under nohup it stays
// ignored); on Windows SIGTERM and SIGINT. The saver stores its view and settings
// before it goes.
#pragma once

namespace plat {

// From now on the signals are close requests, held for the GUI thread to take;
// call it on that thread before any other thread is made. Its waits for messages
// (queue.h) end when one comes.
void InstallCloseSignals();
// True once for each batch of signals received since the last call.
bool TakeCloseSignal();
// Whether a signal has come that TakeCloseSignal has not taken yet.
bool CloseSignalPending();

}  // namespace plat
