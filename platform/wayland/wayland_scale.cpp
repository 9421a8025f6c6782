// Scale arithmetic: outputs are laid out in the compositor's logical units, the
// saver draws in pixels. Scales are in 120ths, wp_fractional_scale_v1's unit.
#include <algorithm>
#include <cmath>

#include "platform/wayland/wayland_records.h"

namespace plat::wayland {

// Rounded half away from zero, as that protocol asks for a surface's buffer.
int ScaledLength(int logical, int scale120) {
  return static_cast<int>(std::lround(static_cast<double>(logical) * scale120 / 120.0));
}

// An output of a smaller scale than the desktop's leaves a strip unused beside
// it, where no view is drawn.
RECT PixelRect(const RECT& logical, int desktopScale, int ownScale) {
  int left = ScaledLength(logical.left, desktopScale), top = ScaledLength(logical.top, desktopScale);
  return RECT{left, top, left + ScaledLength(logical.right - logical.left, ownScale),
              top + ScaledLength(logical.bottom - logical.top, ownScale)};
}

int DesktopScale(const std::vector<int>& outputScales) {
  int scale = 120;
  for (int s : outputScales) scale = std::max(scale, s);
  return scale;
}

// The aspect is kept with integer arithmetic: the side that would overflow is cut.
RECT FitCentred(int width, int height, int intoWidth, int intoHeight) {
  if (width <= 0 || height <= 0 || intoWidth <= 0 || intoHeight <= 0) return RECT{0, 0, intoWidth, intoHeight};
  int w = intoWidth, h = intoHeight;
  if (static_cast<long long>(intoWidth) * height > static_cast<long long>(intoHeight) * width)
    w = static_cast<int>((static_cast<long long>(intoHeight) * width + height / 2) / height);
  else
    h = static_cast<int>((static_cast<long long>(intoWidth) * height + width / 2) / width);
  int left = (intoWidth - w) / 2, top = (intoHeight - h) / 2;
  return RECT{left, top, left + w, top + h};
}

}  // namespace plat::wayland
