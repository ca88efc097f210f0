#pragma once
// What the Wave engine asks of the page that owns it.

#include <cstdint>

#include "platform/waveout/wave_out_api.h"

class WaveEngineHost {
  public:
    // Thread: any thread but audio (the output's notifier). Queues a buffer-done for the page; the
    // page hands it back through WaveEngine::onBufferDone on the GUI thread with the same two
    // values.
    virtual void postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept = 0;
    // Thread: GUI. Queue the restart message, or the toggle message, to the page.
    virtual void postRestart() = 0;
    virtual void postToggle() = 0;
    // Thread: GUI. The main window's status-bar text.
    virtual void showStatus(const char* text) = 0;
    // Thread: GUI. Let the application handle the messages waiting in its queue.
    virtual void pumpWaitingMessages() = 0;

  protected:
    ~WaveEngineHost() = default;
};
