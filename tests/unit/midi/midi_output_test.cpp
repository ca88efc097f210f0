#include "platform/midiout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/lazy_midi_out.h"
#include "platform/midiout_virtual.h"

namespace {

namespace mm = platform::mm;
using platform::MidiOut;

TEST(MidiOut, DevicesInOrderWithTheMapperNamedForItself) {
    auto synth = std::make_shared<platform::VirtualMidiPort>("Synth", true);
    auto port = std::make_shared<platform::VirtualMidiPort>(std::string(200, 'p'), false);
    platform::FixedMidiOutDevices devices({synth, port});
    MidiOut out(devices);

    ASSERT_EQ(out.getNumDevs(), 2U);
    platform::MidiOutCaps caps;
    ASSERT_EQ(out.getDevCaps(mm::MIDI_MAPPER, &caps), mm::MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.productName, "MIDI Mapper");
    EXPECT_EQ(caps.support & mm::MIDICAPS_VOLUME, mm::MIDICAPS_VOLUME) << "as the synth behind it";
    ASSERT_EQ(out.getDevCaps(1, &caps), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(std::strlen(caps.productName), platform::kMidiProductNameSize - 1) << "cut to fit";
    EXPECT_EQ(out.getDevCaps(2, &caps), mm::MMSYSERR_BADDEVICEID);

    platform::HMIDIOUT mapper = nullptr;
    ASSERT_EQ(out.open(&mapper, mm::MIDI_MAPPER), mm::MMSYSERR_NOERROR);
    EXPECT_TRUE(synth->isOpen());
    platform::HMIDIOUT again = nullptr;
    EXPECT_EQ(out.open(&again, 0), mm::MMSYSERR_ALLOCATED);
    EXPECT_EQ(out.shortMsg(mapper, 0x7F3C90), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(synth->messages(), std::vector<uint32_t>{0x7F3C90});
    ASSERT_EQ(out.close(mapper), mm::MMSYSERR_NOERROR);
    EXPECT_FALSE(synth->isOpen());
    EXPECT_EQ(out.shortMsg(mapper, 0x7F3C90), mm::MMSYSERR_INVALHANDLE) << "closed handle";
    EXPECT_EQ(out.shortMsg(nullptr, 0x7F3C90), mm::MMSYSERR_INVALHANDLE);
    EXPECT_EQ(out.close(mapper), mm::MMSYSERR_INVALHANDLE);
}

TEST(MidiOut, WithoutDevicesNothingOpensAndNothingBreaks) {
    platform::FixedMidiOutDevices none({});
    MidiOut out(none);
    EXPECT_EQ(out.getNumDevs(), 0U);
    platform::MidiOutCaps caps;
    EXPECT_EQ(out.getDevCaps(mm::MIDI_MAPPER, &caps), mm::MIDIERR_NODEVICE);
    platform::HMIDIOUT handle = nullptr;
    EXPECT_EQ(out.open(&handle, mm::MIDI_MAPPER), mm::MIDIERR_NODEVICE);
    EXPECT_EQ(out.open(&handle, 0), mm::MMSYSERR_BADDEVICEID);
    EXPECT_EQ(handle, nullptr);
}

// The built-in synth loads its SoundFont when the output is made: not before it is wanted.
TEST(LazyMidiOut, MakesTheOutputOnceAtPrepareOrTheFirstCallAndNeverBefore) {
    auto synth = std::make_shared<platform::VirtualMidiPort>("Synth", true);
    platform::FixedMidiOutDevices devices({synth});
    for (const bool prepared : {true, false}) {
        int made = 0;
        platform::LazyMidiOut out([&] {
            ++made;
            return std::make_unique<MidiOut>(devices);
        });
        platform::HMIDIOUT none = nullptr;
        EXPECT_FALSE(out.deviceLost(none)) << "asking whether a device is lost makes nothing";
        EXPECT_EQ(made, 0);
        if (prepared) {
            out.prepare();
            EXPECT_EQ(made, 1);
        }
        EXPECT_EQ(out.getNumDevs(), 1U);
        platform::HMIDIOUT handle = nullptr;
        ASSERT_EQ(out.open(&handle, mm::MIDI_MAPPER), mm::MMSYSERR_NOERROR);
        EXPECT_EQ(out.shortMsg(handle, 0x7F3C90), mm::MMSYSERR_NOERROR);
        EXPECT_EQ(out.close(handle), mm::MMSYSERR_NOERROR);
        out.prepare();
        EXPECT_EQ(made, 1) << (prepared ? "prepared" : "first used");
        EXPECT_EQ(synth->messages().back(), 0x7F3C90U);
    }
}

TEST(LazyMidiOut, WithoutAMakerOrAnOutputItHasNoDevices) {
    for (platform::LazyMidiOut::Maker maker :
         {platform::LazyMidiOut::Maker(),
          platform::LazyMidiOut::Maker([] { return std::unique_ptr<platform::MidiOutApi>(); })}) {
        platform::LazyMidiOut out(maker);
        EXPECT_EQ(out.getNumDevs(), 0U);
        platform::HMIDIOUT handle = nullptr;
        EXPECT_EQ(out.open(&handle, mm::MIDI_MAPPER), mm::MIDIERR_NODEVICE);
    }
}

}  // namespace
