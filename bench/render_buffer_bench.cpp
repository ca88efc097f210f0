// How much faster than real time one buffer renders, in each output format.
// Target: at least 1000x real time in every format.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "bench_row.h"
#include "engine/tone/render_buffer.h"

namespace {

void renderSteadyAndGliding(benchmark::State& state) {
    const engine::OutputFormat format{state.range(0) != 0, state.range(1) != 0,
                                      state.range(2) != 0};
    engine::WaveTable table;
    engine::buildWaveTable(table, 10);
    std::vector<uint8_t> buffer(40050);
    double audioSeconds = 0;
    int32_t frequency = 440;
    for (auto _ : state) {
        // Alternate a glide and a steady buffer with vibrato, as a moving cursor does.
        const int32_t glide =
            engine::renderBuffer(buffer, table, format, 2, frequency + 37, frequency, 90, 60);
        const int32_t steady =
            engine::renderBuffer(buffer, table, format, 2, frequency, frequency, 90, 90);
        benchmark::DoNotOptimize(buffer.data());
        audioSeconds += static_cast<double>(glide + steady) / format.bytesPerSecond();
        frequency = frequency >= 9000 ? 440 : frequency + 113;
    }
    state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
    state.SetLabel(std::string(format.stereo ? "stereo " : "mono ") +
                   (format.highRate ? "44100Hz " : "22050Hz ") +
                   (format.sixteenBit ? "16bit" : "8bit"));
}

BENCHMARK(renderSteadyAndGliding)
    ->ArgNames({"stereo", "high_rate", "16bit"})
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}});

// The console report as usual (without colours: it goes through a pipe), and one row for the
// table: the slowest format.
class SlowestFormatReporter final : public benchmark::ConsoleReporter {
  public:
    SlowestFormatReporter() : ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("x_realtime");
            if (run.error_occurred || rate == run.counters.end()) {
                continue;
            }
            if (rate->second.value < slowest) {
                slowest = rate->second.value;
                slowestLabel = run.report_label;
            }
        }
    }
    void printRow(int argc, char** argv) {
        GetOutputStream().flush();  // the report first
        if (slowestLabel.empty()) {
            return;
        }
        bench::RowPrinter(argc, argv)
            .print({"renderBuffer speed, slowest of the eight formats (" + slowestLabel + ")",
                    "Wave", "", bench::fixed(slowest, 0), "x real time", ">= 1000"});
    }

  private:
    double slowest = std::numeric_limits<double>::max();
    std::string slowestLabel;
};

}  // namespace

int main(int argc, char** argv) {
    // The command in the row is the one typed, before the library takes its own options out.
    std::vector<char*> typed(argv, argv + argc);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SlowestFormatReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRow(static_cast<int>(typed.size()), typed.data());
    return 0;
}
