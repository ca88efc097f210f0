#pragma once
// A notification target that keeps every post, safe to post to from any thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/waveout/wave_out_api.h"

struct Posted {
    uint32_t message;
    platform::WaveHeader* header;
    uint32_t flags;  // the header's flags as the post found them
};

class RecordingNotify final : public platform::WaveOutNotify {
  public:
    void post(uint32_t message, platform::WaveHeader* header) noexcept override {
        std::lock_guard lock(mutex);
        posts.push_back({message, header, header != nullptr ? header->flags : 0});
        arrived.notify_all();
    }

    std::vector<Posted> all() const {
        std::lock_guard lock(mutex);
        return posts;
    }

    std::vector<platform::WaveHeader*> dones() const {
        std::lock_guard lock(mutex);
        std::vector<platform::WaveHeader*> headers;
        for (const Posted& posted : posts) {
            if (posted.message == platform::mm::MM_WOM_DONE) {
                headers.push_back(posted.header);
            }
        }
        return headers;
    }

    // Waits up to `limit` for `count` done posts in all.
    bool waitForDones(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, limit, [&] {
            std::size_t seen = 0;
            for (const Posted& posted : posts) {
                seen += posted.message == platform::mm::MM_WOM_DONE ? 1 : 0;
            }
            return seen >= count;
        });
    }

  private:
    mutable std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Posted> posts;
};
