#pragma once
// What the MIDI engine asks of the page that owns it.

namespace engine {

class MidiEngineHost {
  public:
    // Timer or GUI thread. The main window's status-bar text; the page posts it to the GUI
    // thread and returns at once, and must not call back into the engine.
    virtual void showStatus(const char* text) = 0;
    // GUI thread. A message box with an OK button.
    virtual void showMessage(const char* text, const char* caption) = 0;
    // Timer or GUI thread. A box with an OK button, queued for the GUI thread; returns at once.
    virtual void requestMessage(const char* text, const char* caption) = 0;

  protected:
    ~MidiEngineHost() = default;
};

}  // namespace engine
