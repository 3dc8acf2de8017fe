// PluginHost::Process throughput in multiples of real time (xRealtime: seconds of audio
// produced per second), with an empty chain, the passthrough test plug-in and real DPF effects.
//
// The workspace is 60 s of one generated stereo file; every iteration produces all of it in
// 512-frame blocks, as playback and rendering pull it.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

namespace {

constexpr uint32_t kFrames = 60 * 44100;
constexpr uint32_t kBlock = 512;

// A generated source file for the whole run, removed at exit.
class SourceFile {
public:
    SourceFile() {
        char pattern[] = "/tmp/orvane-bench-host-XXXXXX";
        const int fd = mkstemp(pattern);
        path_ = pattern;
        const auto header = WaveFile::MakeHeader(kFrames);
        std::vector<int16_t> samples(2 * static_cast<size_t>(kFrames));
        for (uint32_t k = 0; k < kFrames; ++k) {
            const double phase = 2.0 * M_PI * 440.0 * k / 44100.0;
            samples[2 * k] = static_cast<int16_t>(12000 * std::sin(phase));
            samples[2 * k + 1] = static_cast<int16_t>(12000 * std::cos(phase));
        }
        const auto bytes = static_cast<ssize_t>(samples.size() * sizeof(int16_t));
        const bool ok = fd >= 0 && write(fd, header.data(), header.size()) == 44 &&
                        write(fd, samples.data(), static_cast<size_t>(bytes)) == bytes;
        if (fd >= 0) {
            close(fd);
        }
        if (!ok) {
            std::fprintf(stderr, "cannot write %s\n", path_.c_str());
            std::abort();
        }
    }
    ~SourceFile() { unlink(path_.c_str()); }
    const char* Path() const { return path_.c_str(); }

private:
    std::string path_;
};

const SourceFile& Source() {
    static SourceFile file;
    return file;
}

// Runs the whole workspace through a host whose chain holds the given library (none when
// `library` is empty).
void RunChain(benchmark::State& state, const std::string& library) {
    Workspace workspace;
    if (!workspace.AddFile(Source().Path())) {
        state.SkipWithError("cannot open the source file");
        return;
    }
    PluginHost host(&workspace);
    const std::filesystem::path path(library);
    host.Configure(44100, 2048, path.parent_path().string());
    if (!library.empty() &&
        host.LoadPlugin(path.filename().string(), 0, true, nullptr) == nullptr) {
        state.SkipWithError((library + ": " + host.LastLoadError()).c_str());
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
