// A play kept while it happened and rendered again through its own page comes out byte for byte
// as it was recorded, the pointer held still and a setting moved mid-play included.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "files/midi_file.h"
#include "files/performance_capture.h"
#include "files/performance_replay.h"
#include "midi_render.h"
#include "performance_gesture.h"
#include "settings/settings_values.h"
#include "support/scripted_cursor.h"

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

std::string renderedMidi(const Gesture& gesture, int64_t durationMs) {
    const fs::path path =
        fs::temp_directory_path() / ("lirveto-performance-" + std::to_string(::getpid()) + ".mid");
    files::MidiFile recording(nullptr);
    EXPECT_TRUE(recording.newFile(nullptr));
    std::string error;
    EXPECT_TRUE(renderMidi(gesture, {1920, 1080}, durationMs, recording, error)) << error;
    EXPECT_TRUE(recording.saveAs(path.c_str()));
    EXPECT_TRUE(recording.close());
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    fs::remove(path);
    return bytes;
}

TEST(PerformanceRender, AKeptMidiPlayRendersThroughItsOwnPageAsItWasRecorded) {
    const int32_t bend = settings::PitchBend;
    auto live = std::make_shared<LivePointer>();
    live->pointer.script = {{100, 500}, {100, 500}, {400, 300}, {400, 300}, {400, 300},
                            {900, 100}, {900, 100}, {900, 100}, {900, 100}, {900, 100}};
    auto capture = std::make_shared<files::PerformanceCapture>(*live);
    capture->begin(files::PerformancePage::midi, "");
    const Gesture played = Gesture::fromPoints({{0, {0, 0}}}, 0, capture);
    const std::string recorded = renderedMidi(played, 60);
    const auto performance = capture->finish();
    ASSERT_TRUE(performance);
    EXPECT_EQ(performance->reads.size(), 3U);  // the held pointer added nothing
    ASSERT_EQ(performance->changes.size(), 1U);

    std::string error;
    const auto kept = files::parsePerformance(files::performanceText(*performance), error);
    ASSERT_TRUE(kept) << error;
    settings::PitchBend = bend;
    files::applyPerformanceSettings(*kept);
    // The play's end is in the file: the pointer held still after its last move, and the
    // replay lasts as long all the same.
    EXPECT_EQ(kept->readCount, 12);
    const Gesture replayed = performanceGesture(*kept, "midi");
    EXPECT_EQ(renderedMidi(replayed, replayed.lastTimeMs()), recorded);
    settings::PitchBend = bend;
}

}  // namespace
