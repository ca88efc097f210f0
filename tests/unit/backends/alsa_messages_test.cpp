// libasound's messages come through our handler: nothing on a machine without a sequencer, and
// anything else as one line of ours.

#include "platform/backends/alsa_messages.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/backends/alsa_seq_ports.h"

namespace {

TEST(AlsaMessages, AMachineWithoutASequencerStartsSilently) {
    if (::access("/dev/snd/seq", F_OK) == 0) {
        GTEST_SKIP() << "this machine has a sequencer";
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::AlsaSequencer::open(), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(AlsaMessages, OtherMessagesComeOutAsOneLineOfOurs) {
    platform::routeAlsaMessages();
    snd_seq_t* handle = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_LT(
        snd_seq_open(&handle, "lirveto-no-such-sequencer", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK),
        0);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("lirveto: ALSA: Unknown SEQ lirveto-no-such-sequencer (seq.c:", 0), 0U)
        << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
