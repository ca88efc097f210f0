#include "engine/dsound/dsound_engine.h"

#include <algorithm>
#include <cmath>

#include "engine/tone/cursor_mapping.h"
#include "engine/tone/note_readout.h"
#include "engine/tone/pitch_layout.h"
#include "engine/tone/sounding_note.h"
#include "engine/tone/tone_frame.h"
#include "files/failure_text.h"
#include "files/wave_file.h"
#include "platform/audio_underruns.h"
#include "settings/playing_values.h"
#include "settings/settings_values.h"

namespace engine {

namespace ds = platform::ds;
namespace mm = platform::mm;
using platform::MessageBoxStyle;

int32_t slewLimited(int32_t wanted, int32_t last) {
    if (wanted - last > DirectSoundEngine::kSlewHzPerStep) {
        return last + DirectSoundEngine::kSlewHzPerStep;
    }
    if (last - wanted > DirectSoundEngine::kSlewHzPerStep) {
        return last - DirectSoundEngine::kSlewHzPerStep;
    }
    return wanted;
}

double slewLimitedHz(double wanted, double last) {
    constexpr auto slew = static_cast<double>(DirectSoundEngine::kSlewHzPerStep);
    return std::clamp(wanted, last - slew, last + slew);
}

DirectSoundEngine::DirectSoundEngine(platform::WaveOutApi& waveOut,
                                     platform::DirectSoundLibrary& library,
                                     platform::TimerApi& timerApi,
                                     platform::CursorSource& cursorSource,
                                     platform::MessageBox& messageBox,
                                     DirectSoundEngineHost& pageHost, StreamState& streamState)
    : timer(timerApi),
      cursor(cursorSource),
      messages(messageBox),
      host(pageHost),
      state(streamState),
      owner(waveOut, library, messageBox) {
    engine::buildWaveTable(table, settings::Timbre.load(std::memory_order_relaxed));
}

DirectSoundEngine::~DirectSoundEngine() {
    stopPlaying();
}

void DirectSoundEngine::rebuildWaveTable(int32_t timbre) {
    engine::WaveTable rebuilt;
    engine::buildWaveTable(rebuilt, timbre);
    const std::lock_guard guard(bufferGuard);
    table = rebuilt;
}

void DirectSoundEngine::setRecordingFile(files::WaveFile* file) {
    const std::lock_guard guard(recordingMutex);
    recording = file;
    writeFailed = false;
}

void DirectSoundEngine::startPlaying() {
    if (isPlaying()) {
        return;
    }
    const engine::OutputFormat format = engine::currentOutputFormat();
    if (!owner.createSoundBuffer(host.windowHandle(), format)) {
        stopPlaying();
        return;
    }
    if (timer.beginPeriod(1) == mm::TIMERR_NOERROR) {
        periodHeld = true;
    } else {
        messages.show("Can't set timer resolution", "bnplay", MessageBoxStyle::Ok);
    }
    state.stepBusy.store(0);
    state.flowing.store(false);  // the new buffer's first write starts at its cursor: no gap
    lockReported = unlockReported = writeReported = timerReported = backlogReported = false;
    backlog.reserve(static_cast<std::size_t>(format.bytesPerSecond()) * kBacklogSeconds);
    backlogLost = false;
    lost.clear();
    {
        const std::lock_guard guard(bufferGuard);
        toldReadout = {};  // the first step tells what it plays whatever the last play told
        stepsSinceTold = kStepsPerReadout;
        streamBuffer = owner.soundBuffer();
        stream = streamLayoutFor(format);
        // The classic slew goes on from where the last play ended, as the designed one does.
        lastStepFrequency = state.lastFrequency.load(std::memory_order_relaxed);
        steppedThisPlay = false;
        correction = CorrectionState{};
        glide = GlideState{};
    }
    bool armed = false;
    {
        // The first step may run and arm the next before this block ends: read the id here.
        const std::lock_guard chain(chainMutex);
        chainEnded = false;
        timerEvent = timer.setEvent(kStepDelayMs, 0, &DirectSoundEngine::onTimer,
                                    reinterpret_cast<uintptr_t>(this), mm::TIME_ONESHOT);
        armed = timerEvent != 0;
    }
    if (!armed) {
        messages.show("Can't start timer", "bnplay", MessageBoxStyle::Ok);
    }
    if (owner.soundBuffer()->play(0, 0, ds::DSBPLAY_LOOPING) != ds::DS_OK) {
        messages.show(
            "Can't play using DirectSound.\nDirectSound may be running in emulated mode, which "
            "won't work with Lirveto.\nTry updating sound card drivers or change sound card.",
            "Lirveto bnplay", MessageBoxStyle::Ok);
        stopPlaying();
        return;
    }
    host.showPlaying();
}

void DirectSoundEngine::stopPlaying() {
    host.showStopped();
    uint32_t armed = 0;
    {
        const std::lock_guard chain(chainMutex);
        chainEnded = true;
        armed = timerEvent;
        timerEvent = 0;
    }
    {
        const std::lock_guard guard(bufferGuard);
        owner.releaseBuffer();
        streamBuffer = nullptr;
    }
    if (armed != 0) {
        timer.killEvent(armed);
    }
    if (periodHeld) {
        timer.endPeriod(1);
        periodHeld = false;
    }
    owner.releaseDevice();
    engine::publishSilence();  // after the kill: no step publishes again
    if (!backlog.empty()) {
        const std::lock_guard hold(recordingMutex);
        append({}, {});
        backlog.clear();
    }
}

bool DirectSoundEngine::outputLost() const {
    return isPlaying() && lost.raised();
}

void DirectSoundEngine::onTimer(uint32_t /*timerId*/, uintptr_t user) {
    auto& engine = *reinterpret_cast<DirectSoundEngine*>(user);
    if (engine.state.stepBusy.exchange(1, std::memory_order_acq_rel) == 1) {
        return;  // another chain's step is running: this chain ends here
    }
    engine.streamingStep();
    engine.state.stepBusy.exchange(0, std::memory_order_acq_rel);
    engine.armNextStep();
}

void DirectSoundEngine::armNextStep() {
    const std::lock_guard chain(chainMutex);
    if (chainEnded) {
        return;
    }
    timerEvent = timer.setEvent(kStepDelayMs, 0, &DirectSoundEngine::onTimer,
                                reinterpret_cast<uintptr_t>(this), mm::TIME_ONESHOT);
    if (timerEvent == 0) {
        reportOnce(timerReported, "Can't start timer", "bnplay");
    }
}

void DirectSoundEngine::streamingStep() {
    const PlayingAids aids = currentPlayingAids();
    const bool designed = aids.designedPitch() && aids.glide == settings::glideClassic;
    int32_t frequency = 0;
    TunedStep tuned;
    int32_t amplitude = 0;
    {
        const std::lock_guard guard(bufferGuard);
        if (streamBuffer == nullptr) {
            return;
        }
        const platform::CursorPosition position = cursor.cursorPosition();
        amplitude = engine::amplitudeFromCursor(position.y, screen);
        if (designed) {
            frequency = slewLimited(engine::frequencyFromCursor(position.x, screen),
                                    state.lastFrequency.load(std::memory_order_relaxed));
            state.lastFrequency.store(frequency, std::memory_order_relaxed);
            lastStepFrequency = frequency;
            correction = CorrectionState{};
            glide = GlideState{};
            fillAhead(*streamBuffer, stream, table, frequency, amplitude, state, *this);
        } else {
            tuned = tunedStep(position.x, aids);
            // A designed play after this one slews on from here. (A pointer off the screen to the
            // left can map to more hertz than an int holds, as the designed mapping does.)
            const double wholeHertz = std::min(tuned.frequency, 2147483647.0);
            // NOLINTNEXTLINE(bugprone-incorrect-roundings): a frequency is positive
            state.lastFrequency.store(static_cast<int32_t>(wholeHertz + 0.5),
                                      std::memory_order_relaxed);
            fillAheadByStep(*streamBuffer, stream, table,
                            finePhaseIncrement(tuned.frequency, stream.format.rate()), amplitude,
                            state, *this);
        }
        steppedThisPlay = true;
        if (lost.timeToLook() &&
            streamBuffer->getCurrentPosition(nullptr, nullptr) == ds::DSERR_BUFFERLOST) {
            lost.raise();
        }
    }
    if (designed) {
        engine::publishSoundingFrequency(frequency, amplitude);
    } else {
        engine::publishSoundingNote(static_cast<float>(tuned.pitch), amplitude);
    }
    const ToldReadout now{designed, designed ? static_cast<double>(frequency) : tuned.frequency,
                          tuned.pitch, amplitude, engine::currentViewFlags()};
    stepsSinceTold = std::min(stepsSinceTold + 1, kStepsPerReadout);
    if (now == toldReadout || stepsSinceTold < kStepsPerReadout) {
        return;
    }
    toldReadout = now;
    stepsSinceTold = 0;
    if (designed) {
        host.postStatus(engine::readoutFromFrequency(frequency, amplitude, now.view).c_str());
    } else {
        host.postStatus(
            engine::readoutFromPitch(tuned.pitch, tuned.frequency, amplitude, now.view).c_str());
    }
}

DirectSoundEngine::TunedStep DirectSoundEngine::tunedStep(int32_t x, const PlayingAids& aids) {
    constexpr auto stepMs = static_cast<double>(kStepDelayMs);
    TunedStep step;
    if (aids.glide == settings::glideClassic) {
        glide = GlideState{};
        double wanted = 0;
        if (aids.designedPitch()) {
            correction = CorrectionState{};
            wanted = engine::frequencyFromCursor(x, screen);
        } else {
            wanted = frequencyFromPitch(tunedPitch(x, screen, aids, stepMs, correction));
        }
        step.frequency = slewLimitedHz(wanted, lastStepFrequency);
        step.pitch = pitchFromFrequency(step.frequency);
    } else {
        double wanted = 0;
        if (aids.designedPitch()) {
            correction = CorrectionState{};
            wanted = pitchFromFrequency(engine::frequencyFromCursor(x, screen));
        } else {
            wanted = tunedPitch(x, screen, aids, stepMs, correction);
        }
        // A glide switched on while playing goes on from the sounding pitch, not with a leap.
        if (!glide.started && steppedThisPlay && lastStepFrequency > 0.0) {
            glide = GlideState{pitchFromFrequency(lastStepFrequency), true};
        }
        step.pitch = glidedPitch(wanted, aids.glide, stepMs, glide);
        step.frequency = frequencyFromPitch(step.pitch);
    }
    lastStepFrequency = step.frequency;
    return step;
}

void DirectSoundEngine::written(std::span<const uint8_t> first, std::span<const uint8_t> second) {
    std::unique_lock hold(recordingMutex, std::try_to_lock);
    if (hold.owns_lock()) {
        append(first, second);
        backlog.clear();
        return;
    }
    // A file command has the take: the stream goes on, and the take gets these bytes later.
    if (!backlogLost && !backlog.keep(first, second)) {
        backlogLost = true;
        reportOnce(backlogReported, "The recording lost sound while it was being saved", "Lirveto");
    }
}

bool DirectSoundEngine::append(std::span<const uint8_t> first, std::span<const uint8_t> second) {
    if (recording == nullptr || !recording->isOpen() || writeFailed) {
        return false;
    }
    if (backlogLost) {
        writeFailed = true;  // the take would hold a gap: it keeps what it has
        return false;
    }
    for (const auto region : {backlog.bytes(), first, second}) {
        if (!region.empty() &&
            recording->write(region.data(), static_cast<int32_t>(region.size())) == -1) {
            // A later, smaller region might still fit: the file would then hold a gap.
            writeFailed = true;
            if (!writeReported.load()) {  // formatted once per play, not once per step
                reportOnce(writeReported, files::writeFailureText(*recording).c_str(), "Lirveto");
            }
            return false;
        }
    }
    return true;
}

void DirectSoundEngine::lockFailed() {
    reportOnce(lockReported, "Can't lock data", "Lirveto sounddat");
}

void DirectSoundEngine::unlockFailed() {
    reportOnce(unlockReported, "Can't unlock buffer", "Lirveto sounddat");
}

void DirectSoundEngine::fellBehind() {
    platform::noteUnderrun();
}

void DirectSoundEngine::reportOnce(std::atomic<bool>& reported, const char* text,
                                   const char* caption) {
    if (!reported.exchange(true)) {
        host.requestMessage(text, caption);
    }
}

}  // namespace engine
