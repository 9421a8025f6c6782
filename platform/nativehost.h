// Native windows of other programs that the saver draws inside: the screen's root
// window (XScreenSaver's -root without a window of its own) and a host's client size.
#pragma once
#include "platform/win.h"

namespace plat {

unsigned long GetNativeRootWindow();  // 0 when there is no display
// Client rectangle of a native window (left = top = 0); false when it does not exist.
bool GetNativeClientRect(unsigned long nativeId, RECT* rect);
// Whether the desktop's screen-saver host is XScreenSaver, whose flags (-root,
// -window, -window-id, -settings, -fps) name modes beside the letters. Windows
// starts savers with the letters only; there the first letter decides, as for any
// other word (-root and -window are unknown modes, -settings reads as -s).
bool TakesHackFlags();

}  // namespace plat
