// PluginHost::Process throughput in multiples of real time (xRealtime: seconds of audio
// produced per second), with an empty chain, the passthrough test plug-in and real DPF effects.
//
// The workspace is 60 s of one generated stereo file; every iteration produces all of it in
// 512-frame blocks, as playback and rendering pull it.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSetup.h"
#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

namespace {

constexpr uint32_t kFrames = 60 * 44100;
constexpr uint32_t kBlock = 512;

// Runs the whole workspace through a host whose chain holds the given library (none when
// `library` is empty).
void RunChain(benchmark::State& state, const std::string& library) {
    static const GeneratedWavFile source("host", kFrames, SineFrame);  // written once, on first use
    Workspace workspace;
    PluginHost host(&workspace);
    if (!PrepareChain(state, source, workspace, host, library)) {
        return;
    }
    std::vector<uint32_t> block(kBlock);
    for (auto _ : state) {
        for (uint32_t position = 0; position < kFrames; position += kBlock) {
            uint32_t count = 0;
            host.Process(block.data(), count, position);
            benchmark::DoNotOptimize(block.data());
        }
    }
    const double frames = double(kFrames) * double(state.iterations());
    state.counters["xRealtime"] = benchmark::Counter(frames / 44100.0, benchmark::Counter::kIsRate);
}

void BM_ProcessEmptyChain(benchmark::State& state) {
    RunChain(state, "");
}
void BM_ProcessPassthrough(benchmark::State& state) {
    RunChain(state, ORVANE_PASSTHROUGH_PLUGIN);
}
void BM_ProcessDpf3BandEq(benchmark::State& state) {
    RunChain(state, "/usr/lib/vst/3BandEQ-vst.so");
}
void BM_ProcessDpfMVerb(benchmark::State& state) {
    RunChain(state, "/usr/lib/vst/MVerb-vst.so");
}

BENCHMARK(BM_ProcessEmptyChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessPassthrough)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessDpf3BandEq)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessDpfMVerb)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
