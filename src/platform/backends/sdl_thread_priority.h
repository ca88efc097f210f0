#pragma once
// The multimedia timer's priority hook over SDL, which asks rtkit when the thread may not raise
// its own priority.

namespace platform {

// Any thread, once at start-up: the timer thread asks SDL from then on.
void installSdlTimerPriority();

}  // namespace platform
