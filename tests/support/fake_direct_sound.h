#pragma once
// DirectSound that plays nothing: a library, device and looping buffer that keep what is written
// to them, put the write cursor wherever the test says, and fail any step the test names.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/dsound/dsound_api.h"

namespace testing_support {

class FakeSoundBuffer final : public platform::IDirectSoundBuffer {
  public:
    struct Lock {
        uint32_t offset;
        uint32_t bytes;
    };

    explicit FakeSoundBuffer(uint32_t size, uint8_t fill = 0xAA) : bytes(size, fill) {}

    // Steered by the test.
    std::vector<std::string>* journal = nullptr;  // shared with other fakes, in call order
    uint32_t writeCursor = 0;
    bool failLock = false;
    bool failUnlock = false;
    bool lost = false;  // the output went away under the buffer
    platform::ds::HResult playResult = platform::ds::DS_OK;

    // What happened.
    std::vector<uint8_t> bytes;
    std::vector<Lock> locks;
    std::vector<std::string> calls;
    bool playing = false;
    bool released = false;

    platform::ds::HResult play(uint32_t, uint32_t, uint32_t flags) override {
        note("Play");
        playing = playResult == platform::ds::DS_OK && flags == platform::ds::DSBPLAY_LOOPING;
        return playResult;
    }
    platform::ds::HResult getCurrentPosition(uint32_t* play, uint32_t* write) override {
        if (play != nullptr) {
            *play = writeCursor;
        }
        if (write != nullptr) {
            *write = writeCursor;
        }
        return lost ? platform::ds::DSERR_BUFFERLOST : platform::ds::DS_OK;
    }
    platform::ds::HResult lock(uint32_t offset, uint32_t count, void** first, uint32_t* firstLength,
                               void** second, uint32_t* secondLength, uint32_t) override {
        locks.push_back({offset, count});
        if (failLock || offset >= size() || count > size()) {
            return platform::ds::DSERR_INVALIDPARAM;
        }
        *firstLength = std::min(count, size() - offset);
        *secondLength = count - *firstLength;
        *first = bytes.data() + offset;
        *second = *secondLength != 0 ? bytes.data() : nullptr;
        return platform::ds::DS_OK;
    }
    platform::ds::HResult unlock(void*, uint32_t, void*, uint32_t) override {
        return failUnlock ? platform::ds::DSERR_INVALIDPARAM : platform::ds::DS_OK;
    }
    platform::ds::HResult stop() override {
        note("Stop");
        playing = false;
        return platform::ds::DS_OK;
    }
    uint32_t release() override {
        note("Release");
        released = true;
        return 0;
    }

    void note(const char* call) {
        calls.emplace_back(call);
        if (journal != nullptr) {
            journal->push_back(std::string("buffer ") + call);
        }
    }

    uint32_t size() const { return static_cast<uint32_t>(bytes.size()); }
};

class FakeDirectSound final : public platform::IDirectSound {
  public:
    // Failures to act out.
    std::vector<std::string>* journal = nullptr;
    bool failCooperativeLevel = false;
    bool emulated = false;
    bool failCreateBuffer = false;
    platform::ds::HResult bufferPlayResult = platform::ds::DS_OK;

    // What happened.
    std::vector<std::string> calls;
    platform::DsBufferDesc desc{};
    platform::PcmWaveFormat format{};
    uintptr_t window = 0;
    uint32_t level = 0;
    std::unique_ptr<FakeSoundBuffer> buffer;
    bool released = false;

    platform::ds::HResult setCooperativeLevel(uintptr_t owner, uint32_t cooperative) override {
        calls.push_back("SetCooperativeLevel");
        window = owner;
        level = cooperative;
        return failCooperativeLevel ? platform::ds::DSERR_INVALIDPARAM : platform::ds::DS_OK;
    }
    platform::ds::HResult getCaps(platform::DsCaps* caps) override {
        calls.push_back("GetCaps");
        caps->flags = emulated ? platform::ds::DSCAPS_EMULDRIVER : 0;
        return platform::ds::DS_OK;
    }
    platform::ds::HResult createSoundBuffer(const platform::DsBufferDesc* described,
                                            platform::IDirectSoundBuffer** made, void*) override {
        calls.push_back("CreateSoundBuffer");
        desc = *described;
        format = *described->format;
        if (failCreateBuffer) {
            *made = nullptr;
            return platform::ds::DSERR_ALLOCATED;
        }
        buffer = std::make_unique<FakeSoundBuffer>(described->bufferBytes);
        buffer->journal = journal;
        buffer->playResult = bufferPlayResult;
        *made = buffer.get();
        return platform::ds::DS_OK;
    }
    uint32_t release() override {
        calls.push_back("Release");
        if (journal != nullptr) {
            journal->push_back("device Release");
        }
        released = true;
        return 0;
    }
};

class FakeDirectSoundLibrary final : public platform::DirectSoundLibrary,
                                     private platform::DirectSoundCreateFunction {
  public:
    // Failures to act out.
    bool missing = false;
    bool noCreateFunction = false;
    bool failCreate = false;

    // What happened: the names asked for, and the devices made (the last one is in use).
    std::vector<std::string> loaded;
    std::vector<std::string> lookedUp;
    std::vector<std::unique_ptr<FakeDirectSound>> devices;
    // Set on each device as it is made.
    FakeDirectSound settings;

    Module loadLibrary(const char* name) override {
        loaded.emplace_back(name);
        return missing ? nullptr : this;
    }
    platform::DirectSoundCreateFunction* getProcAddress(Module, const char* name) override {
        lookedUp.emplace_back(name);
        return noCreateFunction ? nullptr : this;
    }

    FakeDirectSound& device() { return *devices.back(); }
    FakeSoundBuffer& buffer() { return *devices.back()->buffer; }

  private:
    platform::ds::HResult create(const void*, platform::IDirectSound** made, void*) override {
        if (failCreate) {
            return platform::ds::DSERR_ALLOCATED;
        }
        auto device = std::make_unique<FakeDirectSound>();
        device->failCooperativeLevel = settings.failCooperativeLevel;
        device->emulated = settings.emulated;
        device->failCreateBuffer = settings.failCreateBuffer;
        device->journal = settings.journal;
        device->bufferPlayResult = settings.bufferPlayResult;
        *made = device.get();
        devices.push_back(std::move(device));
        return platform::ds::DS_OK;
    }
};

}  // namespace testing_support
