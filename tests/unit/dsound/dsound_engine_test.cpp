// The DirectSound engine with fakes and a manual timer: each message from the step that fails,
// the step chain, the 5 Hz slew and the stream state across plays, recording, and the order in
// which Stop takes things down.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

#include "engine/dsound/dsound_engine.h"
#include "engine/tone/cursor_mapping.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "engine/tone/sounding_note.h"
#include "files/wave_file.h"
#include "platform/audio_underruns.h"
#include "support/failing_timer.h"
#include "support/fake_direct_sound.h"
#include "support/fake_wave_out.h"
#include "support/file_size_limit.h"
#include "support/recording_dsound_host.h"
#include "support/recording_message_box.h"
#include "support/scoped_playing_settings.h"
#include "support/scoped_settings.h"
#include "support/scripted_cursor.h"
#include "support/temporary_folder.h"
#include "support/tone_analysis.h"

namespace {

using platform::MessageBoxStyle;
using Message = testing_support::RecordingDirectSoundHost::Message;

constexpr platform::ScreenSize kScreen{1000, 1000};

// Everything an engine runs against, as one case needs it.
struct Rig {
    Rig() {
        library.settings.journal = &journal;
        timer.journal = &journal;
        host.journal = &journal;
    }

    engine::DirectSoundEngine& make() {
        engine = std::make_unique<engine::DirectSoundEngine>(waveOut, library, timer, cursor,
                                                             messages, host, state);
        engine->setScreen(kScreen);
        return *engine;
    }

    // Steps at each millisecond up to `ms`, the device reading `framesPerMs` meanwhile.
    void runTo(int64_t ms, uint32_t bytesPerMs = 0) {
        for (int64_t t = timer.clock.nowMs() + 1; t <= ms; ++t) {
            if (bytesPerMs != 0 && !library.devices.empty() && library.device().buffer) {
                auto& buffer = library.buffer();
                buffer.writeCursor = (buffer.writeCursor + bytesPerMs) % buffer.size();
            }
            timer.clock.advanceTo(t);
        }
    }

    std::vector<std::string> shownTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : messages.shown) {
            texts.push_back(box.caption + "|" + box.text);
        }
        return texts;
    }

    ScopedToneSettings restoreSettings;
    testing_support::FakeWaveOut waveOut;
    testing_support::FakeDirectSoundLibrary library;
    testing_support::FailingTimer timer;
    testing_support::ScriptedCursor cursor{{500, 0}, kScreen};
    testing_support::RecordingMessageBox messages;
    testing_support::RecordingDirectSoundHost host;
    engine::StreamState state;
    std::vector<std::string> journal;
    std::unique_ptr<engine::DirectSoundEngine> engine;
};

class DirectSoundEngineTest : public ::testing::Test, public Rig {};

TEST_F(DirectSoundEngineTest, EachFailingOpenStepShowsItsMessageAndLeavesNothingOpen) {
    struct Case {
        std::function<void(Rig&)> fail;
        std::string shown;
        MessageBoxStyle style;
    };
    const std::vector<Case> cases = {
        {[](auto& t) { t.waveOut.mapperCapsFail = t.waveOut.deviceZeroCapsFail = true; },
         "Lirveto initdat|Can't get Wave Output Device capabilities.", MessageBoxStyle::Ok},
        {[](auto& t) { t.library.missing = true; },
         "Lirveto|DirectSound is not installed on this system.\nGo to https://quillhorn.example "
         "for instructions on installing this free Windows enhancement from Microsoft.",
         MessageBoxStyle::OkExclamation},
        {[](auto& t) { t.library.noCreateFunction = true; },
         "Lirveto|Cannot get DirectSoundCreate function address", MessageBoxStyle::OkExclamation},
        {[](auto& t) { t.library.failCreate = true; },
         "Lirveto|The sound output could not be opened.", MessageBoxStyle::OkExclamation},
        {[](auto& t) { t.library.settings.emulated = true; },
         "Lirveto|DirectSound is running in emulated mode, which won't work with Lirveto.\nTry "
         "updating sound card drivers or change sound card.",
         MessageBoxStyle::Ok},
        {[](auto& t) { t.library.settings.failCreateBuffer = true; },
         "Lirveto|The sound output could not be opened.", MessageBoxStyle::OkExclamation},
    };
    for (const Case& failing : cases) {
        Rig t;
        failing.fail(t);
        t.make().startPlaying();
        ASSERT_EQ(t.shownTexts(), std::vector<std::string>{failing.shown});
        EXPECT_EQ(t.messages.shown[0].style, failing.style);
        EXPECT_FALSE(t.engine->isPlaying());
        EXPECT_EQ(t.host.shown, std::vector<std::string>{"showStopped"});
        EXPECT_EQ(t.timer.clock.periodsHeld(), 0);
        EXPECT_FALSE(t.timer.clock.hasEvents());
        if (!t.library.devices.empty()) {
            EXPECT_TRUE(t.library.device().released) << failing.shown;
        }
    }
}

TEST_F(DirectSoundEngineTest, TheDeviceIsAskedForInTheDocumentedWay) {
    waveOut.mapperCapsFail = true;  // device 0 answers instead
    make().startPlaying();
    ASSERT_TRUE(engine->isPlaying());
    EXPECT_EQ(library.loaded, std::vector<std::string>{"dsound.dll"});
    EXPECT_EQ(library.lookedUp, std::vector<std::string>{"DirectSoundCreate"});
    auto& device = library.device();
    EXPECT_EQ(device.window, 0x4711u);
    EXPECT_EQ(device.level, platform::ds::DSSCL_NORMAL);
    EXPECT_EQ(device.desc.size, 20u);
    EXPECT_EQ(device.desc.flags, 0xE2u);
    EXPECT_EQ(device.desc.bufferBytes, 22050u);
    EXPECT_EQ(device.desc.reserved, 0u);
    EXPECT_EQ(device.format.formatTag, 1);
    EXPECT_EQ(device.format.blockAlign, 1);
    EXPECT_TRUE(library.buffer().playing);
    EXPECT_EQ(host.shown, std::vector<std::string>{"showPlaying"});
    EXPECT_EQ(timer.clock.periodsHeld(), 1);

    settings::Stereo = settings::HighRate = settings::SixteenBit = true;
    make();  // a new page: the format is taken at each start
    engine->startPlaying();
    EXPECT_EQ(library.device().desc.bufferBytes, 176400u);
    EXPECT_EQ(engine->layout().blockBytes, 88u);
}

TEST_F(DirectSoundEngineTest, AFailingCooperativeLevelIsReportedAndPlayingGoesOn) {
    library.settings.failCooperativeLevel = true;
    make().startPlaying();
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"Lirveto initdat|Can't set coop level"});
    EXPECT_TRUE(engine->isPlaying());
    runTo(3);
    EXPECT_FALSE(library.buffer().locks.empty());
}

TEST_F(DirectSoundEngineTest, StartFailuresOfTimerAndPlay) {
    // No timer resolution: reported, and the stream still runs.
    timer.failBeginPeriod = true;
    make().startPlaying();
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"bnplay|Can't set timer resolution"});
    runTo(2);
    EXPECT_EQ(library.buffer().locks.size(), 1u);
    engine->stopPlaying();
    EXPECT_EQ(timer.clock.periodsHeld(), 0);  // nothing ended that was not begun

    // No first event: reported; the buffer plays its contents, no step runs.
    messages.shown.clear();
    timer.failBeginPeriod = false;
    timer.failSetEventAfter = timer.eventsSet;
    engine->startPlaying();
    EXPECT_EQ(shownTexts(), std::vector<std::string>{"bnplay|Can't start timer"});
    EXPECT_TRUE(engine->isPlaying());
    EXPECT_TRUE(library.buffer().playing);
    runTo(10);
    EXPECT_TRUE(library.buffer().locks.empty());
    engine->stopPlaying();

    // Play refused: reported, and playing is stopped again.
    messages.shown.clear();
    timer.failSetEventAfter = -1;
    library.settings.bufferPlayResult = platform::ds::DSERR_INVALIDCALL;
    engine->startPlaying();
    EXPECT_EQ(shownTexts(),
              std::vector<std::string>{
                  "Lirveto bnplay|Can't play using DirectSound.\nDirectSound may be running in "
                  "emulated mode, which won't work with Lirveto.\nTry updating sound card "
                  "drivers or change sound card."});
    EXPECT_FALSE(engine->isPlaying());
    EXPECT_TRUE(library.buffer().released);
    EXPECT_FALSE(timer.clock.hasEvents());
    EXPECT_EQ(timer.clock.periodsHeld(), 0);
}

TEST_F(DirectSoundEngineTest, StepFailuresAreAskedForOncePerCauseAndTheStreamGoesOn) {
    make().startPlaying();
    library.buffer().failLock = true;
    library.buffer().failUnlock = true;
    runTo(50, 22);
    EXPECT_EQ(host.requested, (std::vector<Message>{{"Can't lock data", "Lirveto sounddat"},
                                                    {"Can't unlock buffer", "Lirveto sounddat"}}));
    EXPECT_GT(library.buffer().locks.size(), 10u);  // every step tried again
    EXPECT_TRUE(messages.shown.empty());            // nothing modal from the timer thread

    // A step that cannot arm the next one ends the chain, once.
    library.buffer().failLock = library.buffer().failUnlock = false;
    timer.failSetEventAfter = timer.eventsSet;
    runTo(100, 22);
    EXPECT_EQ(host.requested.back(), (Message{"Can't start timer", "bnplay"}));
    EXPECT_EQ(host.requested.size(), 3u);
    EXPECT_FALSE(timer.clock.hasEvents());
    EXPECT_TRUE(engine->isPlaying());  // the buffer goes on looping until Stop

    // The next play reports afresh.
    engine->stopPlaying();
    timer.failSetEventAfter = -1;
    engine->startPlaying();
    library.buffer().failLock = true;
    runTo(110);
    EXPECT_EQ(host.requested.back(), (Message{"Can't lock data", "Lirveto sounddat"}));
}

TEST_F(DirectSoundEngineTest, StopTakesThingsDownInItsVisibleOrderWhateverStartLeft) {
    make().startPlaying();
    runTo(5, 22);
    journal.clear();
    engine->stopPlaying();
    EXPECT_EQ(journal, (std::vector<std::string>{"showStopped", "buffer Stop", "buffer Release",
                                                 "killEvent", "endPeriod", "device Release"}));
    EXPECT_FALSE(timer.clock.hasEvents());
    const uint32_t keptFromPlay = timer.killed.back();

    // Stopped again, or after a start that failed part-way: harmless, and an identifier kept
    // from the earlier play cancels nothing.
    journal.clear();
    engine->stopPlaying();
    library.settings.emulated = true;
    engine->startPlaying();
    EXPECT_EQ(journal, (std::vector<std::string>{"showStopped", "showStopped", "device Release"}));
    EXPECT_EQ(timer.killed, std::vector<uint32_t>{keptFromPlay});
    EXPECT_EQ(timer.clock.periodsHeld(), 0);
}

TEST_F(DirectSoundEngineTest, PlayWhilePlayingDoesNothing) {
    make().startPlaying();
    engine->startPlaying();
    EXPECT_EQ(library.devices.size(), 1u);
    EXPECT_EQ(timer.clock.periodsHeld(), 1);
    EXPECT_EQ(host.shown, std::vector<std::string>{"showPlaying"});
}

TEST_F(DirectSoundEngineTest, PitchSlewsFiveHertzAStepFromWhereTheLastPlayEnded) {
    const int32_t target = engine::frequencyFromCursor(500, kScreen);  // 5020 Hz
    make().startPlaying();
    runTo(3, 22);
    EXPECT_EQ(state.lastFrequency.load(), 15);  // from 0 at the first play
    runTo(40, 22);
    EXPECT_EQ(state.lastFrequency.load(), 200);
    engine->stopPlaying();

    cursor.position = {0, 0};  // 20 Hz: a fall from 200
    engine->startPlaying();
    const int64_t started = timer.clock.nowMs();
    runTo(started + 2, 22);
    EXPECT_EQ(state.lastFrequency.load(), 190);
    runTo(started + 100, 22);
    EXPECT_EQ(state.lastFrequency.load(), 20);
    EXPECT_LT(20, target);
}

// The readout tells a change of sound or View at once when it has been quiet for a while, and
// while the sound goes on changing (a slew) once in kStepsPerReadout steps, the last change
// always: the text is formatted again only when it could say something new.
TEST_F(DirectSoundEngineTest, TheReadoutIsToldOfChangesOfSoundOrViewAtDisplayPaceOnly) {
    constexpr uint32_t pace = engine::DirectSoundEngine::kStepsPerReadout;
    cursor.position = {0, 0};  // 20 Hz: reached in three steps from 0
    make().startPlaying();
    runTo(50);  // the device reads nothing: the steps write nothing, the readout goes on
    ASSERT_EQ(host.statuses.size(), 2u) << "5 Hz at once, then 20 Hz to stay a pace later";
    EXPECT_EQ(host.statuses.back(),
              engine::readoutFromFrequency(20, engine::amplitudeFromCursor(0, kScreen)).c_str());

    settings::ViewNoteFreq = 0;  // View: no frequency, while the sound stands still
    runTo(52);
    ASSERT_EQ(host.statuses.size(), 3u);
    EXPECT_EQ(host.statuses.back().find("Hz"), std::string::npos);

    cursor.position = {0, 500};  // softer, within a pace of the last text: told a pace after it
    runTo(51 + pace - 1);
    ASSERT_EQ(host.statuses.size(), 3u);
    runTo(51 + pace);
    ASSERT_EQ(host.statuses.size(), 4u);
    runTo(200);
    ASSERT_EQ(host.statuses.size(), 4u);

    engine->stopPlaying();  // a new play tells what it plays at once, though nothing changed
    engine->startPlaying();
    runTo(timer.clock.nowMs() + 1);
    EXPECT_EQ(host.statuses.size(), 5u);
}

TEST_F(DirectSoundEngineTest, TheSemitonesLayoutPlaysTheColumnsPitchBetweenWholeHertzAndNamesIt) {
    ScopedPlayingSettings restorePlaying;
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 45;
    settings::HighNote = 93;
    settings::Glide = 0;
    const double pitch = 45 + 48.0 * 500 / 999;  // x 500 of 1000: 440.6 Hz
    make().startPlaying();
    runTo(1, 22);
    EXPECT_EQ(engine::soundingNote(),
              (engine::SoundingNote{engine::SoundingNote::Kind::note, static_cast<float>(pitch),
                                    engine::amplitudeFromCursor(0, kScreen)}));
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back(),
              engine::readoutFromPitch(pitch, engine::amplitudeFromCursor(0, kScreen)).c_str());
    runTo(300, 22);
    const uint32_t first = library.buffer().locks.at(0).offset;
    const std::vector<uint8_t> bytes(library.buffer().bytes.begin() + first,
                                     library.buffer().bytes.begin() + state.writePosition.load());
    EXPECT_NEAR(
        wave_test::crossingFrequency(wave_test::leftSamples(bytes, engine::OutputFormat{}), 22050),
        engine::frequencyFromPitch(pitch), 0.2);
}

TEST_F(DirectSoundEngineTest, TheTimedGlideReachesAJumpInOneStepAtZeroAnd63PercentInItsTime) {
    ScopedPlayingSettings restorePlaying;
    settings::CursorLayout = settings::PitchLayout::Semitones;
    settings::LowNote = 60;
    settings::HighNote = 72;
    const auto soundingPitch = [] { return static_cast<double>(engine::soundingNote().value); };
    for (const int32_t glide : {0, 100}) {
        settings::Glide = glide;
        cursor.position = {0, 0};
        if (engine == nullptr) {
            make();
        }
        engine->startPlaying();
        runTo(timer.clock.nowMs() + 5, 22);
        ASSERT_NEAR(soundingPitch(), 60, 1e-4) << "a play starts at the cursor";
        cursor.position = {kScreen.width - 1, 0};
        runTo(timer.clock.nowMs() + 1, 22);
        if (glide == 0) {
            EXPECT_NEAR(soundingPitch(), 72, 1e-4) << "the first step after the jump";
        } else {
            runTo(timer.clock.nowMs() + 99, 22);  // 100 steps after the jump
            EXPECT_NEAR((soundingPitch() - 60) / 12, 1 - std::exp(-1.0), 1e-4);
        }
        engine->stopPlaying();
    }
}

// The soak and LIRVETO_REPORT_UNDERRUNS read the process-wide count.
TEST_F(DirectSoundEngineTest, EachTimeTheReaderPassesTheWrittenSoundIsCountedAsAnUnderrun) {
    const uint64_t before = platform::underrunCount();
    make().startPlaying();
    runTo(100, 22);  // the steps keep up with the device
    EXPECT_EQ(platform::underrunCount(), before);
    for (uint64_t heldUp = 1; heldUp <= 2; ++heldUp) {
        auto& buffer = library.buffer();
        buffer.writeCursor = (buffer.writeCursor + 600) % buffer.size();  // steps held up
        runTo(timer.clock.nowMs() + 1);
        EXPECT_EQ(platform::underrunCount(), before + heldUp);
    }
    engine->stopPlaying();
    engine->startPlaying();  // a new buffer, written first at its cursor
    runTo(timer.clock.nowMs() + 20, 22);
    EXPECT_EQ(platform::underrunCount(), before + 2);
}

// The play surface's marker shows the slewed frequency the stream plays, not the cursor's.
TEST_F(DirectSoundEngineTest, EachStepPublishesWhatItPlaysAndStopSilencesIt) {
    using engine::SoundingNote;
    make().startPlaying();
    runTo(3, 22);
    const SoundingNote playing = engine::soundingNote();
    EXPECT_EQ(playing.kind, SoundingNote::Kind::frequency);
    EXPECT_EQ(playing.value, static_cast<float>(state.lastFrequency.load()));
    EXPECT_EQ(playing.loudness, engine::amplitudeFromCursor(0, kScreen));
    engine->stopPlaying();
    EXPECT_EQ(engine::soundingNote().kind, SoundingNote::Kind::silent);
}

TEST_F(DirectSoundEngineTest, TheStreamStateOutlivesStopAndStart) {
    make().startPlaying();
    runTo(10, 22);
    const uint32_t position = state.writePosition.load();
    const uint16_t phase = state.streamPhase.load();
    engine->stopPlaying();
    EXPECT_EQ(state.writePosition.load(), position);
    EXPECT_EQ(state.streamPhase.load(), phase);

    // A new buffer's write cursor starts at 0, well behind: the first write goes there, and the
    // phase goes on from where the last play left it.
    engine->startPlaying();
    library.buffer().writeCursor = position - 100;
    runTo(timer.clock.nowMs() + 1);
    EXPECT_EQ(library.buffer().locks.at(0).offset, position);
    EXPECT_NE(state.streamPhase.load(), phase);
}

// A new 8-bit mono take in a folder of its own.
struct TakeOnDisk {
    bool made() {
        if (!folder.create("dsound-take")) {
            return false;
        }
        path = (folder.path() / "take.wav").string();
        return file.newFile(path.c_str());
    }

    testing_support::TemporaryFolder folder;
    std::string path;
    platform::WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    files::WaveFile file{nullptr, &format};
};

TEST_F(DirectSoundEngineTest, TheRecordingGetsEveryWrittenByteInOrderAndNothingWhenClosed) {
    TakeOnDisk take;
    ASSERT_TRUE(take.made());
    files::WaveFile& file = take.file;
    const std::string& path = take.path;

    make().setRecordingFile(&file);
    engine->startPlaying();
    runTo(300, 22);  // 6600 bytes consumed: no wrap yet
    engine->stopPlaying();
    ASSERT_TRUE(file.close());

    // The first write went to the write cursor of the first step.
    const uint32_t first = library.buffer().locks.at(0).offset;
    const uint32_t end = state.writePosition.load();
    const std::vector<uint8_t> bytes = library.buffer().bytes;
    EXPECT_EQ(first, 22u);
    EXPECT_EQ(wave_test::waveData(wave_test::fileBytes(path)),
              std::vector<uint8_t>(bytes.begin() + first, bytes.begin() + end));

    // Without an open file nothing is recorded, and the stream is not held up.
    engine->setRecordingFile(&file);
    engine->startPlaying();
    runTo(timer.clock.nowMs() + 20, 22);
    EXPECT_FALSE(library.buffer().locks.empty());
}

// A Save As copying the take to another disk holds its lock for as long as the copy takes: the
// steps go on meanwhile, and the take gets what they played once it is free.
TEST_F(DirectSoundEngineTest, StepsNeverWaitForAFileCommandAndTheTakeStillGetsEveryByte) {
    TakeOnDisk take;
    ASSERT_TRUE(take.made());
    files::WaveFile& file = take.file;
    const std::string& path = take.path;
    make().setRecordingFile(&file);
    engine->startPlaying();
    runTo(100, 22);

    std::atomic<bool> held{false};
    std::atomic<bool> stepsDone{false};
    std::atomic<bool> gaveUp{false};
    std::thread saving([&] {
        const std::lock_guard hold(engine->recordingLock());
        held = true;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!stepsDone && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        gaveUp = !stepsDone;
    });
    while (!held) {
        std::this_thread::yield();
    }
    runTo(200, 22);
    stepsDone = true;
    saving.join();
    EXPECT_FALSE(gaveUp) << "the steps waited for the file command";

    runTo(250, 22);
    engine->stopPlaying();
    ASSERT_TRUE(file.close());
    const uint32_t first = library.buffer().locks.at(0).offset;
    const uint32_t end = state.writePosition.load();
    const std::vector<uint8_t> bytes = library.buffer().bytes;
    EXPECT_EQ(wave_test::waveData(wave_test::fileBytes(path)),
              std::vector<uint8_t>(bytes.begin() + first, bytes.begin() + end));
    EXPECT_TRUE(host.requested.empty());
}

// A recording whose disk is full: every append fails, with the system's reason.
class FullDiskWaveFile final : public files::WaveFile {
  public:
    using files::WaveFile::WaveFile;
    int32_t write(const void* bytes, int32_t count) override {
        if (!full) {
            return WaveFile::write(bytes, count);
        }
        ++writes;
        const testing_support::FileSizeLimit limit(0);
        return WaveFile::write(bytes, count);
    }
    bool full = false;
    int writes = 0;
};

TEST_F(DirectSoundEngineTest, AFullDiskIsReportedOnceStopsTheAppendsAndTheStreamGoesOn) {
    const platform::WaveFormatPcm format = files::pcmWaveFormat(false, false, false);
    FullDiskWaveFile file(nullptr, &format);
    ASSERT_TRUE(file.newFile(nullptr));
    file.full = true;
    make().setRecordingFile(&file);
    engine->startPlaying();
    runTo(200, 22);
    EXPECT_EQ(host.requested,
              (std::vector<Message>{
                  {testing_support::limitedRecordingText(file.fileName()), "Lirveto"}}));
    EXPECT_EQ(file.writes, 1) << "no later append may leave a gap in the recording";
    EXPECT_GT(library.buffer().locks.size(), 50u);
    engine->stopPlaying();
    file.discard();
}

}  // namespace
