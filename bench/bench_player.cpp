// The cost of one playback refill (Process, copy, queue) per 512-frame block, as a share of
// the 11.6 ms the block lasts, with an empty chain, the passthrough test plug-in (in a child
// process and in this one) and real DPF effects. The device is a loopback that hands buffers
// straight back, so only the player's and the host's work is measured. Besides the mean,
// every refill is timed on its own: p50Us and p99Us are its median and 99th percentile in
// microseconds, p99PercentOfBlock the latter as a share of the block. The child's cost is
// BM_RefillPassthrough's p99 less BM_RefillPassthroughInProcess's.
//
//     build/bench/bench_player --benchmark_filter=Passthrough --benchmark_repetitions=3

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSetup.h"
#include "audio/Workspace.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"

namespace {

constexpr uint32_t kFrames = 10 * 44100;
constexpr double kBlockSeconds = 512.0 / 44100.0;

class LoopbackQueue final : public platform::AudioOutputQueue {
public:
    explicit LoopbackQueue(Completion completion) : completion_(std::move(completion)) {}
    platform::AudioResult Prepare(platform::AudioBuffer& b) override {
        return platform::buffer_rules::Prepare(b);
    }
    platform::AudioResult Unprepare(platform::AudioBuffer& b) override {
        return platform::buffer_rules::Unprepare(b);
    }
    platform::AudioResult Write(platform::AudioBuffer& b) override {
        if (const auto refused = platform::buffer_rules::AdmitWrite(b)) {
            return refused;
        }
        queued_.push_back(&b);
        return platform::kAudioOk;
    }
    platform::AudioResult Pause() override { return platform::kAudioOk; }
    platform::AudioResult Restart() override { return platform::kAudioOk; }
    platform::AudioResult Reset() override {
        while (!queued_.empty()) {
            CompleteOne();
        }
        return platform::kAudioOk;
    }
    platform::AudioResult Close() override { return platform::kAudioOk; }
    uint64_t PlayedBytes() const override { return played_; }

    void CompleteOne() {
        platform::AudioBuffer* b = queued_.front();
        queued_.pop_front();
        played_ += b->length;
        platform::buffer_rules::MarkHandedBack(*b);
        completion_(b);
    }

private:
    Completion completion_;
    std::deque<platform::AudioBuffer*> queued_;
    uint64_t played_ = 0;
};

class LoopbackOutput final : public platform::AudioOutput {
public:
    platform::AudioResult Open(const platform::PcmFormat&,
                               platform::AudioOutputQueue::Completion completion,
                               std::unique_ptr<platform::AudioOutputQueue>& queue) override {
        auto opened = std::make_unique<LoopbackQueue>(std::move(completion));
        last = opened.get();
        queue = std::move(opened);
        return platform::kAudioOk;
    }
    LoopbackQueue* last = nullptr;
};

/// The value below which `share` (0 to 1) of `samples` lie.
double Percentile(std::vector<double> samples, double share) {
    if (samples.empty()) {
        return 0.0;
    }
    const auto at = static_cast<size_t>(share * double(samples.size() - 1));
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(at),
                     samples.end());
    return samples[at];
}

void RunRefills(benchmark::State& state, const std::string& library,
                EffectPlace place = EffectPlace::kChild) {
    static const GeneratedWavFile source("player", kFrames,
                                         SineFrame);  // written once, on first use
    Workspace workspace;
    PluginHost host(&workspace);
    if (!PrepareChain(state, source, workspace, host, library, place)) {
        return;
    }
    LoopbackOutput output;
    WavePlayer player(&host, output);
    player.Open(2048, 16, 2, 44100, 16);
    if (!player.Play(0, kFrames)) {
        state.SkipWithError("Play failed");
        return;
    }
    using Clock = std::chrono::steady_clock;
    std::vector<double> refillUs;
    refillUs.reserve(1 << 16);
    const auto begin = Clock::now();
    for (auto _ : state) {
        if (!player.IsPlaying()) {
            player.Play(0, kFrames);  // refills go on for as long as the benchmark runs
        }
        const auto start = Clock::now();
        output.last->CompleteOne();
        refillUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    state.counters["percentOfBlock"] = 100.0 * seconds / double(state.iterations()) / kBlockSeconds;
    const double p99 = Percentile(refillUs, 0.99);
    state.counters["p50Us"] = Percentile(refillUs, 0.50);
    state.counters["p99Us"] = p99;
    state.counters["p99PercentOfBlock"] = 100.0 * p99 / (kBlockSeconds * 1e6);
    player.Stop();
}

void BM_RefillEmptyChain(benchmark::State& state) {
    RunRefills(state, "");
}
void BM_RefillPassthrough(benchmark::State& state) {
    RunRefills(state, ORVANE_PASSTHROUGH_PLUGIN);
}
void BM_RefillPassthroughInProcess(benchmark::State& state) {
    RunRefills(state, ORVANE_PASSTHROUGH_PLUGIN, EffectPlace::kInProcess);
}
void BM_RefillDpf3BandEq(benchmark::State& state) {
    RunRefills(state, "/usr/lib/vst/3BandEQ-vst.so");
}
void BM_RefillDpfMVerb(benchmark::State& state) {
    RunRefills(state, "/usr/lib/vst/MVerb-vst.so");
}

BENCHMARK(BM_RefillEmptyChain);
BENCHMARK(BM_RefillPassthrough);
BENCHMARK(BM_RefillPassthroughInProcess);
BENCHMARK(BM_RefillDpf3BandEq);
BENCHMARK(BM_RefillDpfMVerb);

}  // namespace

BENCHMARK_MAIN();
