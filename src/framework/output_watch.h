#pragma once
// Keeps an eye on a playing page's sound output. An output that goes away (unplugged, its sound
// server gone) is not always noticed by the engine: a device that stops pulling sends no more
// notifications, so nothing fails and the page would sit with Play held, silent. The watch asks
// a few times a second and, once it sees the output gone, stops itself and tells the page, which
// then stops and queues one box with outputLostText. Whatever else a playing page does at that
// pace (showing the newest readout) rides on the same clock, so a playing page wakes the GUI
// thread once per look, not once per clock.
//
// Thread: GUI.

#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/message_box.h"

namespace framework {

// What a page says when its output went away; the cause keeps repeats from piling up.
inline constexpr const char* outputLostText =
    "The sound output has gone away, so playing has stopped.\n"
    "Check the sound device and press Play to try again.";
inline constexpr const char* outputLostCaption = "Lirveto";
inline constexpr const char* outputLostCause = "sound output lost";

// The box a page queues for a lost output.
platform::BoxRequest outputLostBox();

class OutputWatch final : public QObject {
  public:
    static constexpr int kIntervalMs = 200;

    // `lost` answers whether the output is gone; `whenLost` runs once per watch started;
    // `eachLook`, if given, runs at every look before it.
    OutputWatch(std::function<bool()> lost, std::function<void()> whenLost,
                std::function<void()> eachLook = {}, QObject* parent = nullptr);

    // Watches from now on (again), or stops watching; follow(playing) does whichever fits.
    void start();
    void stop();
    void follow(bool playing) { playing ? start() : stop(); }
    bool isWatching() const { return timer.isActive(); }

  private:
    void check();

    std::function<bool()> isLost;
    std::function<void()> onLost;
    std::function<void()> onEachLook;
    QTimer timer;
};

}  // namespace framework
