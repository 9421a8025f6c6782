// The display's power state through the DPMS extension: a monitor that DPMS has
// put into standby, suspend or off shows nothing, so the saver need not draw.
#include "platform/power.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include "platform/x11/x11_display.h"

namespace plat::x11 {

bool IsDisplayAsleep() {
  Display* dpy = x11::GetDisplay();
  if (!dpy) return false;
  // Whether the server can do DPMS at all doesn't change while we run: ask once.
  static const bool capable = [dpy] {
    int eventBase = 0, errorBase = 0;
    return DPMSQueryExtension(dpy, &eventBase, &errorBase) && DPMSCapable(dpy);
  }();
  if (!capable) return false;
  CARD16 level = DPMSModeOn;
  ::BOOL enabled = False;
  if (!DPMSInfo(dpy, &level, &enabled)) return false;
  // A disabled DPMS still reports the level it was forced to last; only an
  // enabled one blanks the monitor.
  return enabled && level != DPMSModeOn;
}

}  // namespace plat::x11
