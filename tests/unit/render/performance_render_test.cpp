// A play kept while it happened and rendered again through its own page comes out byte for byte
// as it was recorded, the pointer held still and a setting moved mid-play included, on every page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "dsound_render.h"
#include "engine/tone/render_buffer.h"
#include "files/midi_file.h"
#include "files/pcm_wave_format.h"
#include "files/performance_capture.h"
#include "files/performance_replay.h"
#include "files/wave_file.h"
#include "midi_render.h"
#include "performance_gesture.h"
#include "settings/settings_values.h"
#include "support/scripted_cursor.h"
#include "wave_render.h"

namespace {

namespace fs = std::filesystem;

// The pointer a live play reads: held, moved, held; the bend range is changed at the fifth read.
class LivePointer final : public platform::CursorSource {
  public:
    platform::CursorPosition cursorPosition() override {
        if (++reads == 5) {
            settings::PitchBend = 12;
        }
        return pointer.cursorPosition();
    }
    platform::ScreenSize primaryScreenSize() override { return pointer.primaryScreenSize(); }
    testing_support::ScriptedCursor pointer{{100, 500}, {1920, 1080}};
    int reads = 0;
};

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The bytes `gesture` records through `page` in `durationMs`.
std::string rendered(files::PerformancePage page, const Gesture& gesture, int64_t durationMs) {
    const fs::path path =
        fs::temp_directory_path() / ("lirveto-performance-" + std::to_string(::getpid()));
    std::string error;
    if (page == files::PerformancePage::midi) {
        files::MidiFile recording(nullptr);
        EXPECT_TRUE(recording.newFile(nullptr));
        EXPECT_TRUE(renderMidi(gesture, {1920, 1080}, durationMs, recording, error)) << error;
        EXPECT_TRUE(recording.saveAs(path.c_str()));
        EXPECT_TRUE(recording.close());
    } else {
        const engine::OutputFormat output = engine::currentOutputFormat();
        const platform::WaveFormatPcm format = files::pcmWaveFormatAt(
            static_cast<uint32_t>(output.rate()), output.stereo, output.sixteenBit);
        files::WaveFile recording(nullptr, &format);
        EXPECT_TRUE(recording.newFile(nullptr));
        EXPECT_TRUE(page == files::PerformancePage::wave
                        ? renderWave(gesture, {1920, 1080}, durationMs, recording, error)
                        : renderDirectSound(gesture, {1920, 1080}, durationMs, recording, error))
            << error;
        EXPECT_TRUE(recording.saveAs(path.c_str()));
        EXPECT_TRUE(recording.close());
    }
    std::string bytes = fileBytes(path);
    fs::remove(path);
    return bytes;
}

TEST(PerformanceRender, AKeptPlayRendersThroughItsOwnPageAsItWasRecorded) {
    // The Wave and DirectSound plays' length and times are the test's wall time, a few ms: only
    // the count of their reads can say how long they played.
    const struct {
        files::PerformancePage page;
        const char* engine;
        int64_t playedMs;
    } cases[] = {{files::PerformancePage::midi, "midi", 60},
                 {files::PerformancePage::wave, "wave", 900},
                 {files::PerformancePage::dsound, "dsound", 300}};
    const int32_t bend = settings::PitchBend;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.engine);
        auto live = std::make_shared<LivePointer>();
        live->pointer.script = {{100, 500}, {100, 500}, {400, 300}, {400, 300}, {400, 300},
                                {900, 100}, {900, 100}, {900, 100}, {900, 100}, {900, 100}};
        auto capture = std::make_shared<files::PerformanceCapture>(*live);
        capture->begin(c.page, "");
        const Gesture played = Gesture::fromPoints({{0, {0, 0}}}, 0, capture);
        const std::string recorded = rendered(c.page, played, c.playedMs);
        const auto performance = capture->finish();
        ASSERT_TRUE(performance);
        EXPECT_EQ(performance->reads.size(), 3U);  // the held pointer added nothing
        ASSERT_EQ(performance->changes.size(), 1U);

        std::string error;
        const auto kept = files::parsePerformance(files::performanceText(*performance), error);
        ASSERT_TRUE(kept) << error;
        settings::PitchBend = bend;
        files::applyPerformanceSettings(*kept);
        const Gesture replayed = performanceGesture(*kept, c.engine);
        const std::string again = rendered(c.page, replayed, replayed.lastTimeMs());
        EXPECT_TRUE(again == recorded) << again.size() << " bytes against " << recorded.size();
        settings::PitchBend = bend;
    }
}

}  // namespace
