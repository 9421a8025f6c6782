// Placeholder until the keyboard controls land: Esc quits, nothing else acts.
#include "render/framepump.h"
#include "ui/keys.h"

plat::LRESULT HandleKey(plat::HWND, plat::UINT message, plat::WPARAM key) {
  if (message == plat::WM_KEYDOWN && key == plat::VK_ESCAPE) g_bQuit = true;
  return 0;
}
