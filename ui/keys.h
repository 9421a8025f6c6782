// Keyboard controls: the key handler both frame pumps call for every key message.
#pragma once
#include "platform/win.h"

plat::LRESULT HandleKey(plat::HWND window, plat::UINT message, plat::WPARAM virtualKey);
