#pragma once
// Sound a step could not append to the take because a file command held it (a Save As copying
// the take to another disk): kept here, in room allocated at Play, and appended first when the
// take is free again, so that saving never stalls the stream and the take loses nothing.
//
// Thread: the step (keep, bytes, clear); the GUI only while no step runs (reserve, and at Stop).

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>

namespace engine {

class RecordingBacklog {
  public:
    // Makes room for `bytes`; what was kept is dropped. The room is left uninitialised, so pages
    // of it that no save ever needs cost no memory.
    void reserve(std::size_t bytes) {
        if (bytes != size) {
            room.reset(new uint8_t[bytes]);  // NOLINT(cppcoreguidelines-owning-memory)
            size = bytes;
        }
        used = 0;
    }

    // False, keeping nothing of them, when the regions do not fit.
    bool keep(std::span<const uint8_t> first, std::span<const uint8_t> second) noexcept {
        if (used + first.size() + second.size() > size) {
            return false;
        }
        for (const auto region : {first, second}) {
            std::copy(region.begin(), region.end(), room.get() + used);
            used += region.size();
        }
        return true;
    }

    std::span<const uint8_t> bytes() const { return {room.get(), used}; }
    bool empty() const { return used == 0; }
    void clear() noexcept { used = 0; }

  private:
    std::unique_ptr<uint8_t[]> room;  // NOLINT(cppcoreguidelines-avoid-c-arrays)
    std::size_t size = 0;
    std::size_t used = 0;
};

}  // namespace engine
