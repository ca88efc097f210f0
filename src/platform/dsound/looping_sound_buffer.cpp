#include "platform/dsound/looping_sound_buffer.h"

#include <algorithm>
#include <chrono>

namespace platform {

LoopingSoundBuffer* LoopingSoundBuffer::create(std::unique_ptr<AudioDevice> device,
                                               const PcmWaveFormat& format, uint32_t bytes,
                                               std::string& error, Clock now) {
    AudioFormat wanted;
    wanted.rate = static_cast<int32_t>(format.samplesPerSec);
    wanted.channels = format.channels;
    wanted.bits = format.bitsPerSample;
    wanted.periodFrames = kPeriodFramesAsked;
    auto* buffer = new LoopingSoundBuffer(std::move(device), bytes, wanted.silence(), now);
    if (!buffer->device->open(wanted, *buffer)) {
        error = buffer->device->lastError();
        delete buffer;
        return nullptr;
    }
    error.clear();
    const AudioFormat opened = buffer->device->format();
    buffer->frameBytes = static_cast<uint32_t>(opened.frameBytes());
    buffer->bytesPerSecond = int64_t{opened.rate} * opened.frameBytes();
    buffer->longestStepBytes = kLongestSteppedPeriodFrames * buffer->frameBytes;
    return buffer;
}

int64_t LoopingSoundBuffer::steadyNanoseconds() noexcept {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

LoopingSoundBuffer::LoopingSoundBuffer(std::unique_ptr<AudioDevice> audio, uint32_t bytes,
                                       uint8_t silence, Clock clock)
    : device(std::move(audio)),
      size(bytes),
      ring(new std::atomic<uint8_t>[bytes]),
      staging(bytes, silence),
      now(clock) {
    for (uint32_t i = 0; i < size; ++i) {
        ring[i].store(silence, std::memory_order_relaxed);
    }
}

LoopingSoundBuffer::~LoopingSoundBuffer() {
    device->close();
}

ds::HResult LoopingSoundBuffer::play(uint32_t reserved, uint32_t /*priority*/, uint32_t flags) {
    if (reserved != 0 || (flags & ds::DSBPLAY_LOOPING) == 0) {
        return ds::DSERR_INVALIDPARAM;
    }
    if (!playing) {
        playing = true;
        lastReadTime.store(now(), std::memory_order_relaxed);
        device->start();
    }
    return ds::DS_OK;
}

ds::HResult LoopingSoundBuffer::stop() {
    if (playing) {
        device->stop();
        playing = false;
    }
    return ds::DS_OK;
}

uint32_t LoopingSoundBuffer::release() {
    stop();
    delete this;
    return 0;
}

ds::HResult LoopingSoundBuffer::getCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) {
    uint32_t play = 0;
    uint32_t write = 0;
    cursors(play, write);
    if (playCursor != nullptr) {
        *playCursor = play;
    }
    if (writeCursor != nullptr) {
        *writeCursor = write;
    }
    return deviceLost() ? ds::DSERR_BUFFERLOST : ds::DS_OK;
}

bool LoopingSoundBuffer::deviceLost() {
    const int64_t at = now();
    if (!lostAsked.load(std::memory_order_acquire) ||
        at - lostAskedAt.load(std::memory_order_relaxed) >= kLostLookNs) {
        lostSaid.store(device->lost(), std::memory_order_relaxed);
        lostAskedAt.store(at, std::memory_order_relaxed);
        lostAsked.store(true, std::memory_order_release);
    }
    return lostSaid.load(std::memory_order_relaxed);
}

void LoopingSoundBuffer::cursors(uint32_t& play, uint32_t& write) const {
    uint32_t start = 0;
    uint32_t length = 0;
    int64_t time = 0;
    for (;;) {
        // Acquire loads keep the second look at the count after them; one that sees a newer read
        // sees its odd count too.
        const uint32_t before = readSequence.load(std::memory_order_acquire);
        start = lastReadStart.load(std::memory_order_acquire);
        length = lastReadBytes.load(std::memory_order_acquire);
        time = lastReadTime.load(std::memory_order_acquire);
        if ((before & 1U) == 0 && readSequence.load(std::memory_order_relaxed) == before) {
            break;
        }
    }
    if (length <= longestStepBytes) {
        play = start;
        write = (start + length) % size;
        return;
    }
    // Since the last read the play cursor has moved through it, up to its end at most: a late
    // read holds the cursors still rather than let the stream write where it has not yet read.
    const int64_t elapsed = std::max<int64_t>(now() - time, 0);
    const auto passed = static_cast<uint32_t>(
        std::min<int64_t>(elapsed * bytesPerSecond / 1'000'000'000, int64_t{length}));
    const uint32_t moved = passed - passed % frameBytes;
    play = (start + moved) % size;
    write = (start + length + moved) % size;
}

ds::HResult LoopingSoundBuffer::lock(uint32_t offset, uint32_t bytes, void** region1,
                                     uint32_t* length1, void** region2, uint32_t* length2,
                                     uint32_t flags) {
    if (region1 == nullptr || length1 == nullptr) {
        return ds::DSERR_INVALIDPARAM;
    }
    if (lockedLength1 != 0) {
        return ds::DSERR_INVALIDCALL;  // one lock at a time is all the stream needs
    }
    if ((flags & ds::DSBLOCK_FROMWRITECURSOR) != 0) {
        uint32_t play = 0;
        cursors(play, offset);
    }
    if ((flags & ds::DSBLOCK_ENTIREBUFFER) != 0) {
        bytes = size;
    }
    if (offset >= size || bytes == 0 || bytes > size) {
        return ds::DSERR_INVALIDPARAM;
    }
    uint32_t first = std::min(bytes, size - offset);
    uint32_t second = bytes - first;
    if (region2 == nullptr || length2 == nullptr) {
        second = 0;  // the caller takes only the part up to the end
    }
    lockedOffset = offset;
    lockedLength1 = first;
    lockedLength2 = second;
    copyOut(offset, first);
    copyOut(0, second);
    *region1 = staging.data() + offset;
    *length1 = first;
    if (region2 != nullptr && length2 != nullptr) {
        *region2 = second != 0 ? staging.data() : nullptr;
        *length2 = second;
    }
    return ds::DS_OK;
}

ds::HResult LoopingSoundBuffer::unlock(void* region1, uint32_t length1, void* region2,
                                       uint32_t length2) {
    if (lockedLength1 == 0) {
        const bool nothing =
            region1 == nullptr && length1 == 0 && region2 == nullptr && length2 == 0;
        return nothing ? ds::DS_OK : ds::DSERR_INVALIDPARAM;
    }
    const bool firstMatches = region1 == staging.data() + lockedOffset && length1 <= lockedLength1;
    const bool secondMatches = (region2 == nullptr && length2 == 0) ||
                               (region2 == staging.data() && length2 <= lockedLength2);
    if (!firstMatches || !secondMatches) {
        return ds::DSERR_INVALIDPARAM;
    }
    copyIn(lockedOffset, length1);
    copyIn(0, length2);
    lockedLength1 = 0;
    lockedLength2 = 0;
    return ds::DS_OK;
}

void LoopingSoundBuffer::copyOut(uint32_t from, uint32_t count) {
    for (uint32_t i = from; i < from + count; ++i) {
        staging[i] = ring[i].load(std::memory_order_relaxed);
    }
}

void LoopingSoundBuffer::copyIn(uint32_t from, uint32_t count) {
    for (uint32_t i = from; i < from + count; ++i) {
        ring[i].store(staging[i], std::memory_order_relaxed);
    }
}

void LoopingSoundBuffer::fill(std::span<uint8_t> out) noexcept {
    const uint32_t start = readOffset.load(std::memory_order_relaxed);
    uint32_t at = start;
    for (uint8_t& byte : out) {
        byte = ring[at].load(std::memory_order_relaxed);
        at = at + 1 == size ? 0 : at + 1;
    }
    readOffset.store(at, std::memory_order_relaxed);
    const uint32_t sequence = readSequence.load(std::memory_order_relaxed);
    readSequence.store(sequence + 1, std::memory_order_relaxed);
    lastReadStart.store(start, std::memory_order_release);
    lastReadBytes.store(static_cast<uint32_t>(std::min<std::size_t>(out.size(), size)),
                        std::memory_order_release);
    lastReadTime.store(now(), std::memory_order_release);
    readSequence.store(sequence + 2, std::memory_order_release);
}

}  // namespace platform
