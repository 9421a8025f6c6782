// The off-screen backend's display power state, set by tests.
#pragma once

namespace plat::headless {

void SetDisplayAsleepForTesting(bool asleep);
int DisplayPowerQueries();  // IsDisplayAsleep calls since the last reset
void ResetDisplayPowerForTesting();

}  // namespace plat::headless
