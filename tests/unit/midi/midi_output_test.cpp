#include "platform/midiout.h"

#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
