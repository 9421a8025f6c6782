// The display's power state: whether the monitor has been blanked by its power
// management (DPMS standby, suspend or off), so that drawing would be wasted.
#pragma once

namespace plat {

// False when the display is on, or when the system cannot tell.
bool IsDisplayAsleep();

}  // namespace plat
