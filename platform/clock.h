// Time as the system sees it: a 32-bit millisecond tick count that wraps, and Sleep.
// Tests can put their own clock and sleeper in place.
#pragma once
#include "platform/win.h"

namespace plat {

DWORD GetTickCount();  // monotonic milliseconds, cut to 32 bits
void Sleep(DWORD ms);

using TickSource = DWORD (*)();
using Sleeper = void (*)(DWORD ms);
// nullptr restores the real clock / sleeper.
void SetTickSourceForTesting(TickSource source);
void SetSleeperForTesting(Sleeper sleeper);

}  // namespace plat
