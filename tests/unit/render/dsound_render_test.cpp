// The DirectSound page offline, in the process that rendered before.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "dsound_render.h"
#include "engine/tone/render_buffer.h"
#include "files/pcm_wave_format.h"
#include "files/wave_file.h"

namespace {

std::string renderedTake(const Gesture& gesture) {
    const engine::OutputFormat output = engine::currentOutputFormat();
    const platform::WaveFormatPcm format = files::pcmWaveFormatAt(
        static_cast<uint32_t>(output.rate()), output.stereo, output.sixteenBit);
    files::WaveFile take(nullptr, &format);
    EXPECT_TRUE(take.newFile(nullptr));
    std::string error;
    EXPECT_TRUE(renderDirectSound(gesture, {1920, 1080}, 60, take, error)) << error;
    EXPECT_TRUE(take.bringUpToDate());
    std::ifstream in(take.fileName(), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    take.discard();
    return bytes;
}

// The slew starts from silence as at program start, not from where the last render ended.
TEST(DirectSoundRender, ARenderSoundsTheSameAfterAnotherRenderInTheSameProcess) {
    const Gesture gesture = Gesture::fromPoints({{0, {1500, 300}}}, 60, nullptr);
    const std::string first = renderedTake(gesture);
    EXPECT_GT(first.size(), 1000U);
    EXPECT_EQ(renderedTake(gesture), first);
}

}  // namespace
