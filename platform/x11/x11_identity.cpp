// What a desktop shows of Kiru's windows besides their names: the process that
// owns them (so a window manager can end it, a task list group it) and Kiru's icon.
#include <FL/Fl_PNG_Image.H>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <vector>

#include "platform/resources.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

constexpr std::uint16_t ICON_RESOURCE = 104;

// _NET_WM_ICON: width, height, then ARGB pixels, one per long (Xlib's format 32).
const std::vector<unsigned long>& IconProperty() {
  static const std::vector<unsigned long> s_icon = [] {
    std::vector<unsigned long> out;
    ResourceData data;
    if (!FindResource("ICON", ICON_RESOURCE, &data)) return out;
    Fl_PNG_Image png(nullptr, data.data, static_cast<int>(data.size));
    int w = png.w(), h = png.h(), depth = png.d();
    if (w <= 0 || h <= 0 || depth < 3 || png.count() < 1) return out;
    const auto* pixels = reinterpret_cast<const unsigned char*>(png.data()[0]);
    int stride = png.ld() ? png.ld() : w * depth;
    out.push_back(static_cast<unsigned long>(w));
    out.push_back(static_cast<unsigned long>(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned char* p = pixels + y * stride + x * depth;
        unsigned long alpha = depth == 4 ? p[3] : 255;
        out.push_back(alpha << 24 | static_cast<unsigned long>(p[0]) << 16 |
                      static_cast<unsigned long>(p[1]) << 8 | p[2]);
      }
    return out;
  }();
  return s_icon;
}

}  // namespace

void SetDesktopIdentity(Display* dpy, Window xid) {
  unsigned long pid = static_cast<unsigned long>(getpid());
  XChangeProperty(dpy, xid, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  // A process id means something only together with the machine it runs on.
  char host[256] = "";
  if (gethostname(host, sizeof host - 1) == 0) {
    char* list[] = {host};
    XTextProperty text;
    if (XStringListToTextProperty(list, 1, &text)) {
      XSetWMClientMachine(dpy, xid, &text);
      XFree(text.value);
    }
  }
  const std::vector<unsigned long>& icon = IconProperty();
  if (!icon.empty())
    XChangeProperty(dpy, xid, XInternAtom(dpy, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
}

}  // namespace plat::x11
