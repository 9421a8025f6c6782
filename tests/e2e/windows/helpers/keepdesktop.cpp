// Holds Wine's desktop for the length of a test run. Wine ends its desktop
// process (explorer) as soon as no program uses it, and starting it again costs
// about ten seconds here (its start of the RPC service times out), which every
// test program that shows a window would otherwise pay. Shows nothing; ends when
// the run ends the Wine server.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ::GetDesktopWindow();  // attaches this process to the desktop
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
  }
  return 0;
}
