#include "engine/midi/midi_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "engine/midi/midi_tone.h"
#include "engine/midi/midi_track_event.h"
#include "engine/tone/loudness_curve.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "engine/tone/sounding_note.h"
#include "files/failure_text.h"
#include "files/midi_file.h"
#include "platform/output_failure.h"
#include "settings/playing_values.h"
#include "settings/settings_values.h"

namespace engine {

namespace mm = platform::mm;

namespace {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kMainVolume = 7;
constexpr uint8_t kRpnLsb = 100;
constexpr uint8_t kRpnMsb = 101;
constexpr uint8_t kDataEntryMsb = 6;
constexpr uint8_t kDataEntryLsb = 38;
constexpr uint8_t kStruckVelocity = 127;
constexpr uint8_t kStopVelocity = 64;

uint8_t dataByte(int32_t value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 127));
}

}  // namespace

MidiEngine::MidiEngine(platform::MidiOutApi& output, platform::TimerApi& timerApi,
                       platform::CursorSource& cursorSource, MidiEngineHost& pageHost)
    : midiOut(output), timer(timerApi), cursor(cursorSource), host(pageHost) {}

MidiEngine::~MidiEngine() {
    stopTimer();
    std::lock_guard lock(recordingMutex);
    if (device != nullptr) {
        midiOut.close(device);
        device = nullptr;
    }
}

void MidiEngine::setScreen(platform::ScreenSize screen) {
    screenWidth = screen.width;
    screenHeight = screen.height;
}

void MidiEngine::chooseDevice() {
    const std::string wanted = settings::MidiDriver.get();
    platform::MidiOutCaps caps;
    if (midiOut.getDevCaps(mm::MIDI_MAPPER, &caps) == mm::MMSYSERR_NOERROR &&
        wanted == caps.productName) {
        chosenId = mm::MIDI_MAPPER;
    }
    const uint32_t count = midiOut.getNumDevs();
    for (uint32_t id = 0; id < count; ++id) {
        if (midiOut.getDevCaps(id, &caps) == mm::MMSYSERR_NOERROR && wanted == caps.productName) {
            chosenId = id;
        }
    }
}

void MidiEngine::start() {
    started = true;
    if (device != nullptr) {
        return;
    }
    chooseDevice();
    platform::HMIDIOUT opened = nullptr;
    if (midiOut.open(&opened, chosenId) != mm::MMSYSERR_NOERROR) {
        host.showMessage(platform::outputFailureText(midiOut.lastOpenError()).c_str(), "Lirveto");
        return;
    }
    {
        std::lock_guard lock(recordingMutex);
        device = opened;
        lost.clear();
        // The mapper's capabilities decide, whichever device opened.
        platform::MidiOutCaps caps;
        volumeCapable = midiOut.getDevCaps(mm::MIDI_MAPPER, &caps) == mm::MMSYSERR_NOERROR &&
                        (caps.support & mm::MIDICAPS_VOLUME) != 0;
        if (volumeCapable) {
            if (midiOut.getVolume(device, &savedVolume) != mm::MMSYSERR_NOERROR) {
                savedVolume = 1;
            }
            applyMidiVolume();
        }
        tracking = Tracking{};
        sendPair(kProgramChange, dataByte(settings::Instrument), 0, false);
        sendBendRange(bendRangeInForce());
        sendPair(kController, kRpnMsb, 0, false);
        currentNote = kNoNote;
    }
    stopTimer();
    timer.beginPeriod(1);
    timerId = timer.setEvent(kTickMs, 0, &MidiEngine::onTimer, reinterpret_cast<uintptr_t>(this),
                             mm::TIME_PERIODIC);
}

void MidiEngine::stopTimer() {
    if (timerId != 0) {
        timer.endPeriod(1);
        timer.killEvent(timerId);
        timerId = 0;
    }
}

void MidiEngine::stop() {
    if (!started) {
        return;
    }
    // After the kill no tick runs, so none can reach the device once it is closed.
    stopTimer();
    publishSilence();  // after the kill: no tick publishes again
    std::lock_guard lock(recordingMutex);
    if (currentNote != kNoNote) {
        // Timed: the note ends at Stop, not at the last change before it.
        sendPair(kNoteOff, dataByte(currentNote), kStopVelocity, true);
        currentNote = kNoNote;
    }
    if (volumeCapable && savedVolume != 1) {
        midiOut.setVolume(device, savedVolume);
    }
    if (device != nullptr) {
        midiOut.close(device);
        device = nullptr;
    }
}

void MidiEngine::setInstrument(int32_t instrument) {
    settings::Instrument = instrument;
    std::lock_guard lock(recordingMutex);
    sendPair(kProgramChange, dataByte(instrument), 0, false);
}

int32_t MidiEngine::bendRangeInForce() {
    return std::clamp(settings::PitchBend.load(), 0, 127);
}

int32_t MidiEngine::setBendRange(int32_t semitones) {
    if (semitones >= 0) {
        settings::PitchBend = std::min(semitones, 127);
    }
    const int32_t range = bendRangeInForce();
    std::lock_guard lock(recordingMutex);
    sendBendRange(range);
    return range;
}

void MidiEngine::setMidiVolume(int32_t volume) {
    settings::MidiVolume = std::clamp(volume, 0, 100);
    std::lock_guard lock(recordingMutex);
    if (device != nullptr && volumeCapable) {
        applyMidiVolume();
    }
}

void MidiEngine::applyMidiVolume() {
    const auto level = static_cast<uint32_t>(settings::MidiVolume * 255 / 100);
    const uint32_t side = level | level << 8;
    midiOut.setVolume(device, side | side << 16);
}

void MidiEngine::sendBendRange(int32_t range) {
    // Registered parameter 0 (bend sensitivity): select, write semitones and cents, deselect.
    const uint8_t controls[6][2] = {
        {kRpnLsb, 0},       {kRpnMsb, 0},   {kDataEntryMsb, dataByte(range)},
        {kDataEntryLsb, 0}, {kRpnLsb, 127}, {kRpnMsb, 127}};
    for (const uint8_t channel : {kFirstChannel, kSecondChannel}) {
        for (const auto& control : controls) {
            sendEvent(kController, channel, control[0], control[1], 0);
        }
    }
}

void MidiEngine::sendPair(uint8_t status, uint8_t data1, uint8_t data2, bool timed) {
    sendEvent(status, kFirstChannel, data1, data2, timed ? tracking.tickCount : 0);
    if (timed) {
        tracking.tickCount = 0;
    }
    sendEvent(status, kSecondChannel, data1, data2, 0);
}

void MidiEngine::sendEvent(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2,
                           uint32_t ticks) {
    const auto full = static_cast<uint8_t>(status + channel);
    // Without an open device the call fails and changes nothing, as intended.
    midiOut.shortMsg(device, full | uint32_t{data1} << 8 | uint32_t{data2} << 16);
    if (recording != nullptr && recording->isOpen() && !recordingFailed) {
        const uint32_t delta = std::min(ticks, kLongestDelta / kDeltaPerTick) * kDeltaPerTick;
        const TrackEvent event = trackEvent(delta, full, data1, data2);
        if (recording->write(event.bytes.data(), event.length) != event.length) {
            recordingFailed = true;
            host.requestMessage(files::writeFailureText(*recording).c_str(), "Lirveto");
        }
    }
}

void MidiEngine::onTimer(uint32_t /*timerId*/, uintptr_t user) {
    reinterpret_cast<MidiEngine*>(user)->tick();
}

void MidiEngine::tick() {
    // Read before taking the lock: on X11 this asks the server.
    const platform::CursorPosition at = cursor.cursorPosition();
    const int32_t width = screenWidth;
    const int32_t height = screenHeight;
    const PlayingAids aids = currentPlayingAids();
    std::lock_guard lock(recordingMutex);
    if (device == nullptr) {
        return;
    }
    if (lost.timeToLook() && midiOut.deviceLost(device)) {
        lost.raise();
    }
    ++tracking.tickCount;
    if (width <= 0 || height <= 0) {
        return;
    }
    // Other monitors lie outside the primary screen: they play its edges.
    const int32_t x = std::clamp(at.x, 0, width);
    const int32_t y = std::clamp(at.y, 0, height);
    bool sent = false;
    // The Midi page maps in semitones over its own range already: only the correction applies.
    if (aids.correction.on) {
        followTuned(x, width, aids, sent);
    } else if (x != tracking.lastX || tracking.tuned) {
        followX(x, width, sent);
    }
    if (y != tracking.lastY) {
        followY(y, height);
        sent = true;
    }
    if (sent) {
        publishSoundingNote(tracking.exactPitch, tracking.level);
    }
    const ViewFlags view = currentViewFlags();
    if (sent || (tracking.toldView && view != *tracking.toldView)) {
        tracking.toldView = view;
        host.showStatus(
            tracking.tuned
                ? engine::readoutFromPitch(tracking.tunedPitch, tracking.level, view).c_str()
                : engine::readoutFromNote(tracking.exactPitch, tracking.level, view).c_str());
    }
}

void MidiEngine::followX(int32_t x, int32_t width, bool& sent) {
    const PitchRange range{settings::MidiPitch, settings::MidiPitch2};
    playPitch(exactPitch(x, width, range), integerNote(x, width, range), sent);
    tracking.lastX = x;
    tracking.tuned = false;
}

void MidiEngine::followTuned(int32_t x, int32_t width, const PlayingAids& aids, bool& sent) {
    const auto exact =
        static_cast<double>(exactPitch(x, width, {settings::MidiPitch, settings::MidiPitch2}));
    const double pitch = correctedPitch(exact, aids.correction, kTickMs, tracking.correction);
    // The nearest note rather than the one below: a corrected pitch strikes its own note and
    // bends only by what the correction has still to take away.
    const auto nearest = static_cast<int32_t>(std::clamp(std::round(pitch), 0.0, 127.0));
    playPitch(static_cast<float>(pitch), nearest, sent);
    tracking.lastX = x;
    tracking.tuned = true;
    tracking.tunedPitch = pitch;
}

void MidiEngine::playPitch(float pitch, int32_t integer, bool& sent) {
    const int32_t bendRange = bendRangeInForce();
    const int32_t sounding = currentNote;
    // A synth plays its notes at A4 = 440 Hz: another concert pitch is that much more bend (none
    // at 440 Hz, nor with a bend range of 0), and the note to strike moves with it.
    const auto offset = bendRange == 0 ? 0.0F : static_cast<float>(concertOffset());
    const float heard = pitch + offset;
    const int32_t heardInteger =
        std::clamp(integer + static_cast<int32_t>(std::lround(offset)), 0, 127);
    const int32_t note = chooseNote(heard, sounding, bendRange, heardInteger);
    const int32_t bend = bendFor(heard, note, bendRange);
    const bool bendChanged = bendRange != 0 && bend != tracking.lastBend;
    const uint8_t bendLow = dataByte(bend & 0x7F);
    const uint8_t bendHigh = dataByte((bend >> 7) & 0x7F);
    if (note != sounding) {
        // The first message of the change carries the time: after a start that is the bend or
        // the note on, so the first note is recorded when it sounded, not at the start.
        bool timed = true;
        if (sounding != kNoNote) {
            sendPair(kNoteOff, dataByte(sounding), kStruckVelocity, std::exchange(timed, false));
        }
        // The bend goes first, so the new note starts at its final pitch.
        if (bendChanged) {
            sendPair(kPitchBend, bendLow, bendHigh, std::exchange(timed, false));
        }
        sendPair(kNoteOn, dataByte(note), kStruckVelocity, timed);
        sent = true;
    } else if (bendChanged) {
        sendPair(kPitchBend, bendLow, bendHigh, true);
        sent = true;
    }
    tracking.lastBend = bend;
    tracking.note = note;
    tracking.bend = bend;
    tracking.exactPitch = pitch;
    currentNote = note;
}

void MidiEngine::followY(int32_t y, int32_t height) {
    const int32_t level = levelFor(y, height, settings::MidiVolume, currentLoudness());
    midiOut.setVolume(device, static_cast<uint32_t>(level) * 0x02000200U);
    sendPair(kController, kMainVolume, dataByte(level), true);
    tracking.lastY = y;
    tracking.level = level;
}

}  // namespace engine
