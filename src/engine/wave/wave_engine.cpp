#include "engine/wave/wave_engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/tone/note_readout.h"
#include "engine/tone/output_wave_format.h"
#include "engine/tone/pitch_layout.h"
#include "engine/tone/render_buffer.h"
#include "engine/tone/sounding_note.h"
#include "files/failure_text.h"
#include "files/wave_file.h"
#include "platform/output_failure.h"
#include "settings/settings_values.h"

namespace engine {

namespace mm = platform::mm;
using platform::MessageBoxStyle;

WaveEngine::WaveEngine(platform::WaveOutApi& output, platform::CursorSource& cursorSource,
                       platform::MessageBoxQueue& messageBox, WaveEngineHost& pageHost)
    : waveOut(output), cursor(cursorSource), messages(messageBox), host(pageHost) {
    for (auto& buffer : buffers) {
        buffer.assign(std::max(kBufferBytes, render::kLargestBufferBytes), 0);
    }
    buildWaveTable(table, settings::Timbre);
}

WaveEngine::~WaveEngine() {
    owner.check("WaveEngine::~WaveEngine");
    // The page stops first; this only makes sure no output outlives the buffers it plays.
    if (device != nullptr) {
        waveOut.reset(device);
        waveOut.close(device);
    }
}

void WaveEngine::setRecordingFile(files::WaveFile* file) {
    recording = file;
    writeFailed = false;
    messages.resetCause(recordingWriteCause);
}

void WaveEngine::startPlaying() {
    owner.check("WaveEngine::startPlaying");
    if (isPlaying()) {
        return;
    }
    readoutShown = false;
    decision.startHistory(cursor.cursorPosition());
    if (!openDevice()) {
        stopPlaying();
        return;
    }
    refill(&headers[0]);
    refill(&headers[1]);
}

bool WaveEngine::openDevice() {
    playSession.fetch_add(1);
    for (int index = 0; index < 2; ++index) {
        headers[index] = platform::WaveHeader{};
        headers[index].user = static_cast<uintptr_t>(index);
        headers[index].bufferLength = kBufferBytes;
        std::fill(buffers[index].begin(), buffers[index].end(), uint8_t{0});
        lengths[index] = renderBuffer(buffers[index], table, 1000, 1000, 0, 0);
    }
    current = 0;

    platform::WaveOutCaps caps;
    uint32_t deviceId = mm::WAVE_MAPPER;
    if (waveOut.getDevCaps(mm::WAVE_MAPPER, &caps) != mm::MMSYSERR_NOERROR) {
        deviceId = 0;
        if (waveOut.getDevCaps(0, &caps) != mm::MMSYSERR_NOERROR) {
            messages.request({"Can't get Wave Output Device capabilities.", "Lirveto initdat",
                              MessageBoxStyle::OkExclamation});
            return false;
        }
    }
    if ((caps.support & mm::WAVECAPS_VOLUME) == 0) {
        messages.request({"volume control not supported", "bnplay", MessageBoxStyle::OkExclamation,
                          "wave volume control"});
    }

    const OutputFormat output = currentOutputFormat();
    bytesPerSecond = output.bytesPerSecond();
    const platform::WaveFormatPcm format = pcmWaveFormatOf(output);
    platform::HWAVEOUT opened = nullptr;
    const mm::MmResult result = waveOut.open(&opened, deviceId, &format, this, mm::CALLBACK_WINDOW);
    if (result != mm::MMSYSERR_NOERROR) {
        messages.request({platform::outputFailureText(waveOut.lastDeviceError()), "Lirveto",
                          MessageBoxStyle::OkExclamation});
        return false;
    }
    device = opened;
    return true;
}

void WaveEngine::stopPlaying() {
    owner.check("WaveEngine::stopPlaying");
    if (device == nullptr) {
        return;
    }
    waveOut.breakLoop(device);
    if (waveOut.reset(device) != mm::MMSYSERR_NOERROR) {
        messages.request({"Can't reset wav", "bnstop", MessageBoxStyle::OkExclamation});
        return;
    }
    if (waveOut.close(device) != mm::MMSYSERR_NOERROR) {
        messages.request({"Can't close wav", "bnstop", MessageBoxStyle::OkExclamation});
        return;
    }
    device = nullptr;
    publishSilence();
    // The headers that reset handed back are already on their way: make them stale.
    playSession.fetch_add(1);
}

void WaveEngine::refill(platform::WaveHeader* header) {
    if (device != nullptr) {
        waveOut.unprepareHeader(device, header);
    }
    if (device == nullptr || header == nullptr) {
        return;
    }
    // The buffer queued last plays before the one decided now: its length is the time between.
    const double queuedMs = lengths[current] * 1000.0 / bytesPerSecond;
    decision.decide(cursor.cursorPosition(), *this, queuedMs);

    header->data = buffers[current].data();
    header->bufferLength =
        static_cast<uint32_t>(std::min(lengths[current], maxBufferBytes(currentOutputFormat())));
    if (waveOut.prepareHeader(device, header) != mm::MMSYSERR_NOERROR ||
        waveOut.write(device, header) != mm::MMSYSERR_NOERROR) {
        host.postRestart();
        return;
    }
    // After a failed write the file keeps what it holds, readable and saveable elsewhere, rather
    // than a stretch with a gap; the user decides what happens to it.
    if (recording != nullptr && recording->isOpen() && !writeFailed &&
        recording->write(header->data, static_cast<int32_t>(header->bufferLength)) == -1) {
        writeFailed = true;
        messages.request({files::writeFailureText(*recording), "Lirveto",
                          MessageBoxStyle::OkExclamation, recordingWriteCause, true});
    }
}

void WaveEngine::renderNextBuffer(int32_t newFrequency, int32_t oldFrequency, int32_t newAmplitude,
                                  int32_t oldAmplitude) {
    owner.check("WaveEngine::renderNextBuffer");
    if (!isPlaying()) {
        return;
    }
    const int32_t next = (current + 1) % 2;
    lengths[next] =
        renderBuffer(buffers[next], table, newFrequency, oldFrequency, newAmplitude, oldAmplitude);
    current = next;
    readoutShown = true;
    readoutFrequency = newFrequency;
    readoutPitch = std::numeric_limits<double>::quiet_NaN();
    readoutAmplitude = newAmplitude;
    publishSoundingFrequency(newFrequency, newAmplitude);
    host.showStatus(readoutFromFrequency(newFrequency, newAmplitude).c_str());
}

void WaveEngine::renderTunedBuffer(double newFrequency, double oldFrequency, int32_t newAmplitude,
                                   int32_t oldAmplitude) {
    owner.check("WaveEngine::renderTunedBuffer");
    if (!isPlaying()) {
        return;
    }
    const int32_t next = (current + 1) % 2;
    lengths[next] = engine::renderTunedBuffer(buffers[next], table, newFrequency, oldFrequency,
                                              newAmplitude, oldAmplitude);
    current = next;
    readoutShown = true;
    readoutPitch = pitchFromFrequency(newFrequency);
    readoutAmplitude = newAmplitude;
    publishSoundingNote(static_cast<float>(readoutPitch), newAmplitude);
    host.showStatus(readoutFromPitch(readoutPitch, newAmplitude).c_str());
}

void WaveEngine::refreshReadout() {
    if (!isPlaying() || !readoutShown) {
        return;
    }
    host.showStatus(std::isnan(readoutPitch)
                        ? readoutFromFrequency(readoutFrequency, readoutAmplitude).c_str()
                        : readoutFromPitch(readoutPitch, readoutAmplitude).c_str());
}

void WaveEngine::onBufferDone(platform::WaveHeader* header, uint32_t session) {
    owner.check("WaveEngine::onBufferDone");
    const bool ours = header == &headers[0] || header == &headers[1];
    if (!isPlaying() || session != playSession.load() || !ours) {
        return;
    }
    refill(header);
    host.pumpWaitingMessages();
}

void WaveEngine::onRestart() {
    owner.check("WaveEngine::onRestart");
    // A restart is only owed to a page still playing: when the user stopped since the failed
    // write, or an earlier restart already stopped it (both buffers failed), toggling again
    // would start a tone nobody asked for, or stop the one the first restart brought back.
    if (!isPlaying()) {
        return;
    }
    stopPlaying();
    host.showStatus("****");
    host.postToggle();
}

void WaveEngine::post(uint32_t message, platform::WaveHeader* header) noexcept {
    if (message == mm::MM_WOM_DONE) {
        host.postBufferDone(header, playSession.load());
    }
}

}  // namespace engine
