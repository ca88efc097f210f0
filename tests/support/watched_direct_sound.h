#pragma once
// DirectSound passed through to a real one, watched: every byte unlocked into a buffer is kept in
// order, and any use of a buffer after its release is counted instead of reaching freed memory.
// The buffer wrappers live as long as this object.
//
// Threads: as DirectSoundLibrary; the buffer calls may come from the timer thread.

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dsound/dsound_api.h"

namespace testing_support {

class WatchedDirectSound final : public platform::DirectSoundLibrary,
                                 private platform::DirectSoundCreateFunction,
                                 private platform::IDirectSound {
  public:
    explicit WatchedDirectSound(platform::DirectSoundLibrary& real) : inner(real) {}

    Module loadLibrary(const char* name) override { return inner.loadLibrary(name); }
    platform::DirectSoundCreateFunction* getProcAddress(Module module, const char* name) override {
        innerCreate = inner.getProcAddress(module, name);
        return innerCreate != nullptr ? this : nullptr;
    }

    std::vector<uint8_t> unlockedBytes() {
        const std::lock_guard guard(mutex);
        return unlocked;
    }
    int usesAfterRelease() const { return lateUses.load(); }

  private:
    class Buffer final : public platform::IDirectSoundBuffer {
      public:
        Buffer(WatchedDirectSound& owner, platform::IDirectSoundBuffer* real)
            : watcher(owner), inner(real) {}
        platform::ds::HResult play(uint32_t a, uint32_t b, uint32_t flags) override {
            return live() ? inner->play(a, b, flags) : platform::ds::DSERR_INVALIDCALL;
        }
        platform::ds::HResult getCurrentPosition(uint32_t* play, uint32_t* write) override {
            return live() ? inner->getCurrentPosition(play, write)
                          : platform::ds::DSERR_INVALIDCALL;
        }
        platform::ds::HResult lock(uint32_t offset, uint32_t bytes, void** p1, uint32_t* n1,
                                   void** p2, uint32_t* n2, uint32_t flags) override {
            return live() ? inner->lock(offset, bytes, p1, n1, p2, n2, flags)
                          : platform::ds::DSERR_INVALIDCALL;
        }
        platform::ds::HResult unlock(void* p1, uint32_t n1, void* p2, uint32_t n2) override {
            if (!live()) {
                return platform::ds::DSERR_INVALIDCALL;
            }
            watcher.keep(p1, n1);
            watcher.keep(p2, n2);
            return inner->unlock(p1, n1, p2, n2);
        }
        platform::ds::HResult stop() override {
            return live() ? inner->stop() : platform::ds::DSERR_INVALIDCALL;
        }
        uint32_t release() override {
            if (!live()) {
                return 0;
            }
            released.store(true);
            return inner->release();
        }

      private:
        bool live() {
            if (released.load()) {
                watcher.lateUses.fetch_add(1);
                return false;
            }
            return true;
        }
        WatchedDirectSound& watcher;
        platform::IDirectSoundBuffer* inner;
        std::atomic<bool> released{false};
    };

    platform::ds::HResult create(const void* device, platform::IDirectSound** made,
                                 void* outer) override {
        const platform::ds::HResult result = innerCreate->create(device, &innerDevice, outer);
        *made = result == platform::ds::DS_OK ? this : nullptr;
        return result;
    }
    platform::ds::HResult setCooperativeLevel(uintptr_t window, uint32_t level) override {
        return innerDevice->setCooperativeLevel(window, level);
    }
    platform::ds::HResult getCaps(platform::DsCaps* caps) override {
        return innerDevice->getCaps(caps);
    }
    platform::ds::HResult createSoundBuffer(const platform::DsBufferDesc* desc,
                                            platform::IDirectSoundBuffer** made,
                                            void* outer) override {
        platform::IDirectSoundBuffer* real = nullptr;
        const platform::ds::HResult result = innerDevice->createSoundBuffer(desc, &real, outer);
        if (result != platform::ds::DS_OK) {
            *made = nullptr;
            return result;
        }
        buffers.push_back(std::make_unique<Buffer>(*this, real));
        *made = buffers.back().get();
        return result;
    }
    uint32_t release() override {
        const uint32_t left = innerDevice->release();
        innerDevice = nullptr;
        return left;
    }

    void keep(const void* bytes, uint32_t count) {
        const std::lock_guard guard(mutex);
        const auto* begin = static_cast<const uint8_t*>(bytes);
        if (count != 0) {
            unlocked.insert(unlocked.end(), begin, begin + count);
        }
    }

    platform::DirectSoundLibrary& inner;
    platform::DirectSoundCreateFunction* innerCreate = nullptr;
    platform::IDirectSound* innerDevice = nullptr;
    std::vector<std::unique_ptr<Buffer>> buffers;
    std::mutex mutex;
    std::vector<uint8_t> unlocked;
    std::atomic<int> lateUses{0};
};

}  // namespace testing_support
