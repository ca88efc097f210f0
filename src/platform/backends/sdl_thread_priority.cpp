#include "platform/backends/sdl_thread_priority.h"

#include <SDL.h>

#include "platform/mmtimer.h"

namespace platform {

namespace {

bool setTimerThreadPriority(bool realtime) {
    return SDL_SetThreadPriority(realtime ? SDL_THREAD_PRIORITY_TIME_CRITICAL
                                          : SDL_THREAD_PRIORITY_NORMAL) == 0;
}

}  // namespace

void installSdlTimerPriority() {
    MultimediaTimer::setPriorityHook(setTimerThreadPriority);
}

}  // namespace platform
