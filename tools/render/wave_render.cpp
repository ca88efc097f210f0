#include "wave_render.h"

#include "gesture_cursor.h"

#include <deque>
#include <memory>

#include "engine/tone/render_buffer.h"
#include "engine/wave/wave_engine.h"
#include "files/wave_file.h"
#include "platform/waveout/virtual_audio_device.h"
#include "platform/waveout/wave_out.h"

namespace {

namespace mm = platform::mm;

class FailureMessages final : public platform::MessageBoxQueue {
  public:
    void request(platform::BoxRequest box) override { failures.note(box.text, box.caption); }
    void resetCause(const std::string& /*cause*/) override {}
    RenderFailures failures;
};

// The page's message queue. Everything runs on one thread: the virtual device posts its
// notifications from inside the clock's advance.
class QueueHost final : public engine::WaveEngineHost {
  public:
    struct Message {
        enum Kind { done, restart, toggle } kind;
        platform::WaveHeader* header;
        uint32_t session;
    };

    void postBufferDone(platform::WaveHeader* header, uint32_t session) noexcept override {
        queue.push_back({Message::done, header, session});
    }
    void postRestart() override { queue.push_back({Message::restart, nullptr, 0}); }
    void postToggle() override { queue.push_back({Message::toggle, nullptr, 0}); }
    void showStatus(const char*) override {}
    void pumpWaitingMessages() override { dispatch(); }

    void dispatch() {
        while (!queue.empty()) {
            const Message message = queue.front();
            queue.pop_front();
            if (message.kind == Message::done) {
                engine->onBufferDone(message.header, message.session);
            } else if (message.kind == Message::restart) {
                engine->onRestart();
            } else if (engine->isPlaying()) {
                engine->stopPlaying();
            } else {
                engine->startPlaying();
            }
        }
    }

    engine::WaveEngine* engine = nullptr;

  private:
    std::deque<Message> queue;
};

// The wave output, noting where on its device's clock each written buffer ends, so that the
// clock can be moved from one buffer's end to the next.
class ClockedWaveOut final : public platform::WaveOutApi {
  public:
    ClockedWaveOut()
        : output(platform::WaveOut::postDuringPull, [this] {
              auto made = std::make_unique<platform::VirtualAudioDevice>();
              latest = made.get();
              return made;
          }) {}

    mm::MmResult getDevCaps(uint32_t id, platform::WaveOutCaps* caps) override {
        return output.getDevCaps(id, caps);
    }
    mm::MmResult open(platform::HWAVEOUT* handle, uint32_t id,
                      const platform::WaveFormatPcm* format, platform::WaveOutNotify* notify,
                      uint32_t flags) override {
        const mm::MmResult result = output.open(handle, id, format, notify, flags);
        if (result == mm::MMSYSERR_NOERROR) {
            device = latest;
            frameBytes = format->blockAlign;
            ends.clear();
            queuedFrames = 0;
            opened = true;
        }
        return result;
    }
    mm::MmResult prepareHeader(platform::HWAVEOUT handle, platform::WaveHeader* header) override {
        return output.prepareHeader(handle, header);
    }
    mm::MmResult unprepareHeader(platform::HWAVEOUT handle, platform::WaveHeader* header) override {
        return output.unprepareHeader(handle, header);
    }
    mm::MmResult write(platform::HWAVEOUT handle, platform::WaveHeader* header) override {
        const mm::MmResult result = output.write(handle, header);
        if (result == mm::MMSYSERR_NOERROR) {
            queuedFrames += header->bufferLength / frameBytes;
            ends.push_back(queuedFrames);
        }
        return result;
    }
    mm::MmResult breakLoop(platform::HWAVEOUT handle) override { return output.breakLoop(handle); }
    mm::MmResult reset(platform::HWAVEOUT handle) override {
        const mm::MmResult result = output.reset(handle);
        ends.clear();
        return result;
    }
    mm::MmResult close(platform::HWAVEOUT handle) override {
        const mm::MmResult result = output.close(handle);
        if (result == mm::MMSYSERR_NOERROR) {
            device = nullptr;
        }
        return result;
    }
    mm::MmResult getVolume(platform::HWAVEOUT handle, uint32_t* volume) override {
        return output.getVolume(handle, volume);
    }
    mm::MmResult setVolume(platform::HWAVEOUT handle, uint32_t volume) override {
        return output.setVolume(handle, volume);
    }
    std::string lastDeviceError() const override { return output.lastDeviceError(); }
    bool deviceLost(platform::HWAVEOUT handle) const override { return output.deviceLost(handle); }

    // The open device, and where on its clock the oldest buffer still queued ends.
    platform::VirtualAudioDevice* device = nullptr;
    std::deque<uint64_t> ends;
    // Set by each successful open: the caller notes the time a device started.
    bool opened = false;

  private:
    platform::WaveOut output;
    platform::VirtualAudioDevice* latest = nullptr;
    uint32_t frameBytes = 1;
    uint64_t queuedFrames = 0;
};

}  // namespace

bool renderWave(const Gesture& gesture, platform::ScreenSize screen, int64_t durationMs,
                files::WaveFile& recording, std::string& error) {
    ClockedWaveOut waveOut;
    GestureCursor cursor(gesture, screen);
    FailureMessages messages;
    QueueHost host;
    engine::WaveEngine engine(waveOut, cursor, messages, host);
    host.engine = &engine;
    engine.setScreen(screen);
    engine.setRecordingFile(&recording);

    const auto rate = static_cast<uint64_t>(engine::currentOutputFormat().rate());
    const auto durationTimesRate = static_cast<uint64_t>(durationMs) * rate;  // frames x 1000
    uint64_t now = 0;                                                         // frames since t = 0
    uint64_t deviceStart = 0;  // the frame at which the open device's clock began

    engine.startPlaying();
    host.dispatch();
    while (messages.failures.first.empty()) {
        if (waveOut.opened) {
            waveOut.opened = false;
            deviceStart = now;
        }
        if (!engine.isPlaying() || waveOut.device == nullptr || waveOut.ends.empty() ||
            gesture.readsGiven()) {
            break;
        }
        const uint64_t end = waveOut.ends.front();
        const uint64_t doneAt = deviceStart + end;
        if (doneAt * 1000 >= durationTimesRate) {
            break;
        }
        waveOut.ends.pop_front();
        now = doneAt;
        cursor.nowMs = static_cast<int64_t>(now * 1000 / rate);
        waveOut.device->advanceFrames(end - waveOut.device->clockFrames());
        host.dispatch();
    }
    const bool played = engine.isPlaying();
    if (played) {
        engine.stopPlaying();
        host.dispatch();
    }
    if (!messages.failures.first.empty()) {
        error = messages.failures.first;
        return false;
    }
    if (!played || engine.isPlaying()) {
        error = "the Wave engine did not play";
        return false;
    }
    return true;
}
