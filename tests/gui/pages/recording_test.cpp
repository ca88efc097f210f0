// The shared take reads and changes its file only under the lock the engine writes under: a
// query answered while a step or tick writes would read a length or changed mark half made.

#include <gtest/gtest.h>

#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "pages/recording.h"
#include "support/page_service_doubles.h"
#include "support/recording_message_box.h"
#include "support/scripted_cursor.h"

namespace {

using namespace std::chrono_literals;

// A take over a WAV file, locked by the test as an engine's step would lock it.
class LockedTake final : public pages::Recording {
  public:
    LockedTake(QWidget& owner, framework::PageServices& pageServices)
        : Recording(owner, pageServices,
                    {QStringLiteral("X (*.x)"), QStringLiteral("x"), "changed", false}, [] {}) {}

    mutable std::mutex lock;
    const platform::WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    files::WaveFile wave{nullptr, &format};

  private:
    files::RiffFile& file() override { return wave; }
    const files::RiffFile& file() const override { return wave; }
    std::unique_lock<std::mutex> lockFile() const override { return std::unique_lock(lock); }
    void attach() override {}
    bool startNewFile() override {
        const auto hold = lockFile();
        return wave.newFile(nullptr);
    }
    bool mayOpen(const std::string& /*path*/) override { return true; }
    std::string openFailure(const std::string& /*path*/) const override { return {}; }
    std::string finish() override { return wave.close() ? std::string() : "close failed"; }
};

TEST(RecordingTest, QueriesCloseAndTheSaveCheckWaitForTheEnginesLock) {
    testing_support::RecordingMessageBox messages(platform::MessageBoxResult::IDNO);
    testing_support::ScriptedCursor cursor{{0, 0}, {100, 100}};
    testing_support::RecordingStatus status;
    testing_support::FakeFileDialogs dialogs;
    framework::PageServices services{messages, messages, cursor, status, dialogs, {}};
    QWidget page;
    LockedTake take(page, services);

    const std::pair<const char*, std::function<void()>> operations[] = {
        {"isOpen", [&] { take.isOpen(); }},
        {"holdsSound", [&] { take.holdsSound(); }},
        {"saveCheck", [&] { take.saveCheck(); }},
        {"fileClose", [&] { take.fileClose(); }},
    };
    for (const auto& [name, operation] : operations) {
        take.fileNew();
        const uint8_t sample = 0x80;
        take.wave.write(&sample, 1);
        std::atomic<bool> held{false};
        std::atomic<bool> released{false};
        std::thread engine([&] {
            const std::lock_guard hold(take.lock);
            held = true;
            std::this_thread::sleep_for(50ms);
            released = true;
        });
        while (!held) {
            std::this_thread::yield();
        }
        operation();
        EXPECT_TRUE(released) << name << " did not wait for the lock";
        engine.join();
        take.saveCheck();
    }
}

}  // namespace
