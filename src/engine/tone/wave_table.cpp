#include "engine/tone/wave_table.h"

#include <cmath>

namespace engine {

namespace {
// One table period spans 2 x 3.14159 radians; the tone's tuning depends on this constant.
constexpr double kPi = 3.14159;
constexpr double kLimit = 0.99997;
}  // namespace

void buildWaveTable(WaveTable& table, int32_t timbre) {
    const double t = timbre;
    for (int i = 0; i < WaveTable::kSize; ++i) {
        const double x = (i * 64) * kPi / 32768.0;
        double s = 0.5 * (std::sin(5 * x) * t / 50 + std::sin(x) + std::sin(3 * x) * t / 30);
        if (s >= 1.0) {
            s = kLimit;
        } else if (s <= -1.0) {
            s = -kLimit;
        }
        table.sixteenBit[i] = static_cast<int32_t>(s * 32000);
        table.eightBit[i] = static_cast<int32_t>(s * 127);
    }
    for (int k = 0; k < WaveTable::kSize; ++k) {
        table.difference[k] =
            table.sixteenBit[k] - table.sixteenBit[(k + WaveTable::kSize - 1) % WaveTable::kSize];
    }
}

}  // namespace engine
