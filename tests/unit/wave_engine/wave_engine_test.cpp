// The Wave engine's streaming against a wave output that plays nothing: every failure and its
// message, what is queued at Play and at each returned buffer, stale notifications, recording.

#include "engine/wave/wave_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/tone/cursor_mapping.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "engine/tone/render_buffer.h"
#include "engine/tone/sounding_note.h"
#include "files/pcm_wave_format.h"
#include "files/wave_file.h"
#include "support/fake_wave_out.h"
#include "support/file_size_limit.h"
#include "support/first_start_settings.h"
#include "support/recording_message_box.h"
#include "support/recording_wave_engine_host.h"
#include "support/scoped_playing_settings.h"
#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"
#include "support/tone_analysis.h"

namespace {

using namespace platform;
using testing_support::FakeWaveOut;
using testing_support::RecordingMessageBox;
using testing_support::RecordingWaveEngineHost;
using testing_support::ScriptedCursor;
using wave_test::Bytes;
using wave_test::renderedBuffer;

using Shown = std::vector<std::pair<std::string, std::string>>;

// A recording whose appends the disk refuses once it has been started.
class RefusingWaveFile final : public files::WaveFile {
  public:
    RefusingWaveFile() : WaveFile(nullptr, nullptr) {}
    // Refused as a full disk refuses: by the system, with its reason.
    int32_t write(const void* bytes, int32_t count) override {
        ++tries;
        if (!refusing) {
            return WaveFile::write(bytes, count);
        }
        const testing_support::FileSizeLimit full(0);
        return WaveFile::write(bytes, count);
    }
    bool refusing = false;
    int tries = 0;
};

class WaveEngineTest : public ::testing::Test {
  protected:
    WaveEngineTest() {
        testing_support::resetToneSettingsToFirstStart();
        // Pitch 1 on a 1000-pixel screen: x + 20 Hz. Volume 100: amplitude 100 - y / 10.
        settings::Pitch = 1;
        settings::Volume = 100;
        engine.setScreen(cursor.screen);
        host.engine = &engine;
    }

    Shown shown() const {
        Shown result;
        for (const auto& box : messages.shown) {
            result.emplace_back(box.text, box.caption);
        }
        return result;
    }

    // The output hands back its oldest buffer and the page handles the notification.
    void finishOne() {
        ASSERT_TRUE(waveOut.finishNext());
        host.dispatchWaiting();
    }

    ScopedToneSettings savedSettings;
    FakeWaveOut waveOut;
    ScriptedCursor cursor{{480, 500}};  // 500 Hz, amplitude 50
    RecordingMessageBox messages;
    RecordingWaveEngineHost host;
    engine::WaveEngine engine{waveOut, cursor, messages, host};
};

TEST_F(WaveEngineTest, WithoutAnyCapabilitiesItSaysSoAndStaysStopped) {
    waveOut.mapperCapsFail = true;
    waveOut.deviceZeroCapsFail = true;
    engine.startPlaying();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(shown(), (Shown{{"Can't get Wave Output Device capabilities.", "Lirveto initdat"}}));
    EXPECT_EQ(waveOut.calls, (std::vector<std::string>{"caps mapper", "caps 0"}));
}

TEST_F(WaveEngineTest, OpensTheMapperOrDeviceZeroWhenOnlyItAnswers) {
    engine.startPlaying();
    EXPECT_EQ(waveOut.openedDevice, mm::WAVE_MAPPER);
    engine.stopPlaying();

    waveOut.mapperCapsFail = true;
    engine.startPlaying();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(waveOut.openedDevice, 0U);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WaveEngineTest, WithoutVolumeControlItSaysSoAndPlays) {
    waveOut.capsSupport = 0;
    engine.startPlaying();
    EXPECT_EQ(shown(), (Shown{{"volume control not supported", "bnplay"}}));
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(waveOut.written.size(), 2U);
}

TEST_F(WaveEngineTest, ARefusedOutputShowsOneBoxWithTheOutputsReasonAndStaysStopped) {
    settings::Stereo = true;
    settings::HighRate = true;
    settings::SixteenBit = true;
    waveOut.openResult = mm::WAVERR_BADFORMAT;
    engine.startPlaying();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(shown(), (Shown{{"The sound output could not be opened.", "Lirveto"}}));
    EXPECT_TRUE(waveOut.written.empty());

    // The output's own reason is the message: it says what was tried and what to do.
    waveOut.openResult = mm::MMSYSERR_ALLOCATED;
    waveOut.openError = "No sound server or sound device could be opened: ALSA was tried.";
    engine.startPlaying();
    EXPECT_EQ(shown().back().first, waveOut.openError);

    waveOut.openResult = mm::MMSYSERR_NOERROR;
    engine.startPlaying();
    EXPECT_EQ(waveOut.openedFormat.samplesPerSec, 44100U);
    EXPECT_EQ(waveOut.openedFormat.channels, 2);
    EXPECT_EQ(waveOut.openedFormat.bitsPerSample, 16);
    EXPECT_EQ(waveOut.openedFormat.blockAlign, 4);
    EXPECT_EQ(waveOut.openedFormat.avgBytesPerSec, 176400U);
}

TEST_F(WaveEngineTest, AFailedWriteRestartsWithoutAMessageAndThePagePlaysAgain) {
    waveOut.failWriteAfter = 1;
    engine.startPlaying();
    ASSERT_EQ(host.waiting().size(), 1U);
    EXPECT_EQ(host.waiting()[0].kind, RecordingWaveEngineHost::Kind::restart);

    waveOut.failWriteAfter = -1;
    host.dispatchWaiting();  // restart: stop, "****", toggle; then the toggle plays again
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(waveOut.count("reset"), 1);
    EXPECT_EQ(waveOut.count("close"), 1);
    EXPECT_EQ(waveOut.opens, 2);
    EXPECT_TRUE(engine.isPlaying());
    ASSERT_EQ(host.statuses.size(), 3U);
    EXPECT_EQ(host.statuses[1], "****");
    EXPECT_EQ(waveOut.queued.size(), 2U);
}

TEST_F(WaveEngineTest, TwoFailedWritesRestartOnceAndTheToneComesBack) {
    waveOut.failWriteAfter = 0;
    engine.startPlaying();
    ASSERT_EQ(host.waiting().size(), 2U);

    waveOut.failWriteAfter = -1;
    host.dispatchWaiting();
    EXPECT_EQ(waveOut.opens, 2);
    EXPECT_TRUE(engine.isPlaying());
}

TEST_F(WaveEngineTest, AStopBeforeTheRestartArrivesStaysStopped) {
    waveOut.failWriteAfter = 1;
    engine.startPlaying();
    engine.stopPlaying();
    waveOut.failWriteAfter = -1;
    host.dispatchWaiting();
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_EQ(waveOut.opens, 1);
}

TEST_F(WaveEngineTest, AFailedPrepareRestartsToo) {
    waveOut.failPrepareAfter = 0;
    engine.startPlaying();
    EXPECT_EQ(waveOut.count("write"), 0);
    ASSERT_FALSE(host.waiting().empty());
    EXPECT_EQ(host.waiting()[0].kind, RecordingWaveEngineHost::Kind::restart);
}

TEST_F(WaveEngineTest, AFailedResetOrCloseLeavesTheDeviceOpen) {
    engine.startPlaying();
    waveOut.resetResult = mm::MMSYSERR_ERROR;
    engine.stopPlaying();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(waveOut.count("close"), 0);
    EXPECT_EQ(shown(), (Shown{{"Can't reset wav", "bnstop"}}));

    waveOut.resetResult = mm::MMSYSERR_NOERROR;
    waveOut.closeResult = mm::MMSYSERR_ERROR;
    messages.shown.clear();
    engine.stopPlaying();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(shown(), (Shown{{"Can't close wav", "bnstop"}}));

    waveOut.closeResult = mm::MMSYSERR_NOERROR;
    engine.stopPlaying();
    EXPECT_FALSE(engine.isPlaying());
}

TEST_F(WaveEngineTest, PlayWhilePlayingDoesNothing) {
    engine.startPlaying();
    const auto calls = waveOut.calls;
    const int reads = cursor.reads;
    engine.startPlaying();
    EXPECT_EQ(waveOut.calls, calls);
    EXPECT_EQ(cursor.reads, reads);
}

TEST_F(WaveEngineTest, TheFirstTwoBuffersAreOneSteadyToneAtTheCursorRenderedOnce) {
    engine.startPlaying();
    ASSERT_EQ(waveOut.written.size(), 2U);
    const Bytes steady = renderedBuffer(500, 500, 50, 50);
    EXPECT_EQ(waveOut.written[0].bytes, steady);
    EXPECT_EQ(waveOut.written[1].bytes, steady);
    EXPECT_NE(waveOut.written[0].header, waveOut.written[1].header);
    EXPECT_EQ(host.statuses,
              (std::vector<std::string>{engine::readoutFromFrequency(500, 50).c_str()}));
    // Its pitch, measured rather than rendered.
    const double hz =
        wave_test::crossingFrequency(wave_test::leftSamples(steady, engine::OutputFormat{}), 22050);
    EXPECT_NEAR(hz, 500.0, 2.0);
}

TEST_F(WaveEngineTest, TheSemitonesLayoutPlaysTheColumnsPitchBetweenWholeHertzAndNamesIt) {
    ScopedPlayingSettings restorePlaying;
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 45;
    settings::HighNote = 93;
    cursor.position = {500, 500};  // 45 + 48 * 500 / 999 = 69.02: 440.6 Hz
    const double pitch = 45 + 48.0 * 500 / 999;
    const double hz = engine::frequencyFromPitch(pitch);
    engine.startPlaying();
    ASSERT_EQ(waveOut.written.size(), 2U);
    Bytes steady(40050, 0);
    engine::WaveTable table;
    engine::buildWaveTable(table, 0);
    steady.resize(static_cast<size_t>(engine::renderTunedBuffer(steady, table, hz, hz, 50, 50)));
    EXPECT_EQ(waveOut.written[0].bytes, steady);
    EXPECT_EQ(waveOut.written[1].bytes, steady);
    EXPECT_NEAR(
        wave_test::crossingFrequency(wave_test::leftSamples(steady, engine::OutputFormat{}), 22050),
        hz, 0.5);
    EXPECT_EQ(host.statuses,
              (std::vector<std::string>{engine::readoutFromPitch(pitch, 50).c_str()}));
    EXPECT_EQ(engine::soundingNote(), (engine::SoundingNote{engine::SoundingNote::Kind::note,
                                                            static_cast<float>(pitch), 50}));
}

TEST_F(WaveEngineTest, NotificationsThatFollowAStopAreDropped) {
    engine.startPlaying();
    engine.stopPlaying();
    ASSERT_EQ(host.waiting().size(), 2U);  // the reset handed both buffers back
    const int reads = cursor.reads;
    host.dispatchWaiting();
    EXPECT_EQ(waveOut.written.size(), 2U);
    EXPECT_EQ(cursor.reads, reads);
}

TEST_F(WaveEngineTest, OldNotificationsArrivingAfterAQuickReplayRefillNothing) {
    engine.startPlaying();
    engine.stopPlaying();
    engine.startPlaying();  // before the page saw the notifications of the reset
    ASSERT_EQ(waveOut.written.size(), 4U);
    host.dispatchWaiting();
    EXPECT_EQ(waveOut.written.size(), 4U);
    EXPECT_EQ(waveOut.queued.size(), 2U);

    platform::WaveHeader* first = waveOut.queued.front();
    finishOne();
    ASSERT_EQ(waveOut.written.size(), 5U);
    EXPECT_EQ(waveOut.written.back().header, first);
    EXPECT_EQ(host.pumps, 1);
}

TEST_F(WaveEngineTest, TheStatusShowsTheReadoutOfEachRenderedBuffer) {
    engine.startPlaying();         // Play and both refills read (480, 500)
    cursor.position = {980, 100};  // 1000 Hz, amplitude 90
    finishOne();                   // glide
    finishOne();                   // steady after the glide
    finishOne();                   // repeat: nothing rendered
    EXPECT_EQ(host.statuses,
              (std::vector<std::string>{engine::readoutFromFrequency(500, 50).c_str(),
                                        engine::readoutFromFrequency(1000, 90).c_str(),
                                        engine::readoutFromFrequency(1000, 90).c_str()}));
    ASSERT_EQ(waveOut.written.size(), 5U);
    EXPECT_EQ(waveOut.written[2].bytes, renderedBuffer(1000, 500, 90, 50));
    EXPECT_EQ(waveOut.written[3].bytes, renderedBuffer(1000, 1000, 90, 90));
    EXPECT_EQ(waveOut.written[4].bytes, waveOut.written[3].bytes);
}

// The play surface's marker follows these values instead of the status text.
TEST_F(WaveEngineTest, EachReadoutIsPublishedForTheSurfaceAndStopSilencesIt) {
    using engine::SoundingNote;
    engine.startPlaying();
    EXPECT_EQ(engine::soundingNote(), (SoundingNote{SoundingNote::Kind::frequency, 500, 50}));
    cursor.position = {980, 100};
    finishOne();
    EXPECT_EQ(engine::soundingNote(), (SoundingNote{SoundingNote::Kind::frequency, 1000, 90}));
    engine.stopPlaying();
    EXPECT_EQ(engine::soundingNote().kind, SoundingNote::Kind::silent);
}

TEST_F(WaveEngineTest, ThePumpInsideTheHandlerMayRefillTheOtherBufferAtOnce) {
    engine.startPlaying();
    cursor.position = {980, 100};
    host.pumpDispatches = true;
    ASSERT_TRUE(waveOut.finishNext());
    ASSERT_TRUE(waveOut.finishNext());
    EXPECT_EQ(host.dispatchWaiting(), 1);  // the second came through the pump
    ASSERT_EQ(waveOut.written.size(), 4U);
    // The nested rendering went into the other buffer: the glide queued first is intact.
    const Bytes glide = renderedBuffer(1000, 500, 90, 50);
    const WaveHeader* first = waveOut.queued.front();
    EXPECT_EQ(Bytes(first->data, first->data + first->bufferLength), glide);
    const WaveHeader* second = waveOut.queued.back();
    EXPECT_EQ(Bytes(second->data, second->data + second->bufferLength),
              renderedBuffer(1000, 1000, 90, 90));
}

TEST_F(WaveEngineTest, ARecordingHoldsExactlyTheBytesQueuedRepetitionsIncluded) {
    const WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    files::WaveFile file(nullptr, &format);
    ASSERT_TRUE(file.newFile(nullptr));
    engine.setRecordingFile(&file);
    engine.startPlaying();
    cursor.script = {{480, 500}, {480, 500}, {700, 300}, {700, 300}, {700, 300}, {100, 900}};
    for (int i = 0; i < 9; ++i) {
        finishOne();
    }
    engine.stopPlaying();
    ASSERT_TRUE(file.bringUpToDate());

    Bytes queued;
    for (const auto& written : waveOut.written) {
        queued.insert(queued.end(), written.bytes.begin(), written.bytes.end());
    }
    EXPECT_EQ(waveOut.written.size(), 11U);
    EXPECT_LT(host.statuses.size(), waveOut.written.size());  // some buffers were repeats
    EXPECT_EQ(wave_test::waveData(wave_test::fileBytes(file.fileName())), queued);
    EXPECT_TRUE(messages.shown.empty());
    file.discard();
}

// A full disk fails every buffer: one queued box per recording, never one per buffer.
TEST_F(WaveEngineTest, ARefusedAppendIsReportedOnceStopsTheRecordingAndPlayingGoesOn) {
    RefusingWaveFile file;
    ASSERT_TRUE(file.newFile(nullptr));
    file.refusing = true;
    engine.setRecordingFile(&file);
    engine.startPlaying();
    const int triesAtPlay = file.tries;
    finishOne();
    finishOne();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_EQ(waveOut.written.size(), 4U);
    EXPECT_EQ(file.tries, triesAtPlay);  // no more writes once one failed
    EXPECT_TRUE(engine.recordingStopped());
    EXPECT_EQ(shown(),
              (Shown(1, {testing_support::limitedRecordingText(file.fileName()), "Lirveto"})));
    ASSERT_EQ(messages.queued.size(), 1U);
    EXPECT_EQ(messages.queued[0].cause, engine::WaveEngine::recordingWriteCause);
    EXPECT_TRUE(messages.queued[0].oncePerCause);

    // The page sets the file again when the user acts: writing, and reporting, start over.
    file.refusing = false;
    engine.setRecordingFile(&file);
    EXPECT_EQ(messages.resets.back(), engine::WaveEngine::recordingWriteCause);
    finishOne();
    EXPECT_FALSE(engine.recordingStopped());
    EXPECT_GT(file.tries, triesAtPlay);
    EXPECT_GT(file.length(), 0U);
    engine.stopPlaying();
    file.discard();
}

TEST_F(WaveEngineTest, PlayFromAnotherThreadAbortsInADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the check is compiled out of release builds";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(std::thread([this] { engine.startPlaying(); }).join(),
                 "startPlaying called off its owning thread");
#endif
}

}  // namespace
