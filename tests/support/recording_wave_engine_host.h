#pragma once
// A Wave page stand-in: it keeps the messages the engine posts in a queue that any thread may
// post to, and hands them to the engine on the thread that calls dispatchWaiting, as the page's
// message loop would. Status texts are kept in order.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/wave/wave_engine.h"
#include "engine/wave/wave_engine_host.h"

namespace testing_support {

class RecordingWaveEngineHost final : public engine::WaveEngineHost {
  public:
    enum class Kind { bufferDone, restart, toggle };
    struct Message {
        Kind kind;
        platform::WaveHeader* header;
        uint32_t session;
    };

    void postBufferDone(platform::WaveHeader* header, uint32_t playSession) noexcept override {
        push({Kind::bufferDone, header, playSession});
    }
    void postRestart() override { push({Kind::restart, nullptr, 0}); }
    void postToggle() override { push({Kind::toggle, nullptr, 0}); }
    void showStatus(const char* text) override { statuses.emplace_back(text); }
    void pumpWaitingMessages() override {
        ++pumps;
        if (pumpDispatches) {
            dispatchWaiting();
        }
    }

    // Hands every waiting message to `engine` (the toggle as the page answers it); returns how
    // many there were.
    int dispatchWaiting() {
        int handled = 0;
        while (auto message = take()) {
            ++handled;
            switch (message->kind) {
                case Kind::bufferDone:
                    engine->onBufferDone(message->header, message->session);
                    break;
                case Kind::restart:
                    engine->onRestart();
                    break;
                case Kind::toggle:
                    if (engine->isPlaying()) {
                        engine->stopPlaying();
                    } else {
                        engine->startPlaying();
                    }
                    break;
            }
        }
        return handled;
    }

    // Waits up to `limit` for a message to arrive.
    bool waitForMessage(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, limit, [this] { return !queue.empty(); });
    }

    std::vector<Message> waiting() const {
        std::lock_guard lock(mutex);
        return {queue.begin(), queue.end()};
    }

    engine::WaveEngine* engine = nullptr;
    bool pumpDispatches = false;
    int pumps = 0;
    std::vector<std::string> statuses;

  private:
    void push(Message message) noexcept {
        std::lock_guard lock(mutex);
        queue.push_back(message);
        arrived.notify_all();
    }
    std::optional<Message> take() {
        std::lock_guard lock(mutex);
        if (queue.empty()) {
            return std::nullopt;
        }
        Message message = queue.front();
        queue.pop_front();
        return message;
    }

    mutable std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Message> queue;
};

}  // namespace testing_support
