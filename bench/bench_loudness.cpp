// Loudness measurement speed: MeasureLoudness over a minute of generated music-like audio read
// from the workspace, reported in multiples of real time ("x_real_time").

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "GeneratedWavFile.h"
#include "audio/LoudnessMeter.h"
#include "audio/Workspace.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFrames = 60 * kRate;

// Two detuned sines with a little noise on top: every sample differs, as in real audio.
uint32_t FrameAt(uint32_t k) {
    const double t = double(k) / kRate;
    const double noise = double(int32_t(k * 2654435761u)) / 2147483648.0;
    const auto sample = [&](double hertz) {
        return uint16_t(int16_t(9000 * std::sin(6.2831853 * hertz * t) + 800 * noise));
    };
    return uint32_t{sample(440)} | uint32_t{sample(443)} << 16;
}

void MeasureAMinute(benchmark::State& state) {
    static const GeneratedWavFile source("loudness", kFrames, FrameAt);
    Workspace workspace;
    workspace.BuildNoPeaks();
    if (!workspace.AddFile(source.Path())) {
        std::fprintf(stderr, "cannot open the source\n");
        std::abort();
    }
    const FrameReader reader = [&](void* buffer, uint32_t n, uint32_t& got, uint32_t at) {
        return workspace.ReadFrames(buffer, n, got, at);
    };
    for (auto _ : state) {
        const auto figures = MeasureLoudness(reader, 0, kFrames, kRate, nullptr);
        benchmark::DoNotOptimize(figures);
    }
    // Seconds of audio measured per second of processor time.
    state.counters["x_real_time"] = benchmark::Counter(double(state.iterations()) * kFrames / kRate,
                                                       benchmark::Counter::kIsRate);
}
BENCHMARK(MeasureAMinute)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
