#include "framework/output_watch.h"

#include <utility>

namespace framework {

platform::BoxRequest outputLostBox() {
    return {outputLostText, outputLostCaption, platform::MessageBoxStyle::OkExclamation,
            outputLostCause, false};
}

OutputWatch::OutputWatch(std::function<bool()> lost, std::function<void()> whenLost,
                         std::function<void()> eachLook, QObject* parent)
    : QObject(parent),
      isLost(std::move(lost)),
      onLost(std::move(whenLost)),
      onEachLook(std::move(eachLook)) {
    timer.setInterval(kIntervalMs);
    connect(&timer, &QTimer::timeout, this, &OutputWatch::check);
}

void OutputWatch::start() {
    if (!timer.isActive()) {
        timer.start();
    }
}

void OutputWatch::stop() {
    timer.stop();
}

void OutputWatch::check() {
    if (onEachLook) {
        onEachLook();
    }
    if (isLost()) {
        // Stopped first: the page's answer stops the output, which may ask nothing more of us.
        timer.stop();
        onLost();
    }
}

}  // namespace framework
