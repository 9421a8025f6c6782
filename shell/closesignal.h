// SIGTERM, SIGINT and SIGHUP as polite close requests: XScreenSaver ends a hack
// this way, a closing terminal hangs up, and the saver should store its view and
// settings before it goes.
#pragma once

void InstallCloseSignals();
// True once for each batch of signals received since the last call.
bool TakeCloseSignal();
// Whether a signal has come that TakeCloseSignal has not taken yet.
bool CloseSignalPending();
