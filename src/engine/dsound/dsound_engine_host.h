#pragma once
// What the DirectSound engine asks of the page that owns it.

#include <cstdint>

namespace engine {

class DirectSoundEngineHost {
  public:
    // GUI thread. Play held and the focus on Stop; Stop held and the focus on Play.
    virtual void showPlaying() = 0;
    virtual void showStopped() = 0;
    // GUI thread. The page's window, for the device's cooperative level; never 0.
    virtual uintptr_t windowHandle() = 0;
    // Timer thread. The status-bar text of a step; the page hands it to the GUI thread.
    virtual void postStatus(const char* text) = 0;
    // Timer thread. A step's failure, shown later on the GUI thread; returns at once.
    virtual void requestMessage(const char* text, const char* caption) = 0;

  protected:
    ~DirectSoundEngineHost() = default;
};

}  // namespace engine
