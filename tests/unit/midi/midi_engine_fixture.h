#pragma once
// The MIDI engine on a virtual device and a manual timer, with the Midi page's settings put back
// after each test and the messages it sent read back as (status, data 1, data 2).

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "engine/midi/midi_engine.h"
#include "platform/midiout.h"
#include "platform/midiout_virtual.h"
#include "platform/mmtimer_manual.h"
#include "settings/settings_values.h"
#include "support/scripted_cursor.h"

namespace midi_test {

using Message = std::array<int, 3>;

inline std::vector<Message> unpack(const std::vector<uint32_t>& words) {
    std::vector<Message> out;
    for (const uint32_t word : words) {
        out.push_back({static_cast<int>(word & 0xFF), static_cast<int>((word >> 8) & 0xFF),
                       static_cast<int>((word >> 16) & 0xFF)});
    }
    return out;
}

// The same message on channel 13 then channel 1.
inline std::vector<Message> pair(int status, int data1, int data2) {
    return {{status + 13, data1, data2}, {status + 1, data1, data2}};
}

inline std::vector<Message> concat(std::initializer_list<std::vector<Message>> parts) {
    std::vector<Message> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class RecordingHost final : public engine::MidiEngineHost {
  public:
    void showStatus(const char* text) override { statuses.emplace_back(text); }
    void showMessage(const char* text, const char* caption) override {
        messages.push_back(std::string(caption) + ": " + text);
    }
    void requestMessage(const char* text, const char* caption) override {
        messages.push_back(std::string(caption) + ": " + text);
    }
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
};

class MidiEngineTest : public ::testing::Test {
  protected:
    MidiEngineTest() {
        settings::MidiPitch = 0;
        settings::MidiPitch2 = 100;
        settings::PitchBend = 2;
        settings::Instrument = 79;
        settings::MidiVolume = 100;
        settings::MidiDriver.set("-1");
        engine.setScreen({1000, 1000});
    }
    ~MidiEngineTest() override {
        settings::MidiPitch = saved[0];
        settings::MidiPitch2 = saved[1];
        settings::PitchBend = saved[2];
        settings::Instrument = saved[3];
        settings::MidiVolume = saved[4];
        settings::MidiDriver.set(savedDriver);
    }

    // Starts, then moves the cursor to each x in turn, one tick each, at a fixed y.
    void playThrough(std::initializer_list<int> xs, int y = 500) {
        for (const int x : xs) {
            cursor.position = {x, y};
            step();
        }
    }
    void step() { timer.advanceTo(timer.nowMs() + 5); }
    std::vector<Message> sent() const { return unpack(port->messages()); }
    // Messages since the n-th.
    std::vector<Message> sentFrom(size_t n) const {
        auto all = sent();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(n, all.size())), all.end()};
    }

    std::array<int32_t, 5> saved{settings::MidiPitch, settings::MidiPitch2, settings::PitchBend,
                                 settings::Instrument, settings::MidiVolume};
    std::string savedDriver = settings::MidiDriver.get();
    std::shared_ptr<platform::VirtualMidiPort> port =
        std::make_shared<platform::VirtualMidiPort>("Virtual Synth");
    platform::FixedMidiOutDevices devices{{port}};
    platform::MidiOut midiOut{devices};
    platform::ManualTimer timer;
    testing_support::ScriptedCursor cursor{{0, 0}, {1000, 1000}};
    RecordingHost host;
    engine::MidiEngine engine{midiOut, timer, cursor, host};
};

}  // namespace midi_test
