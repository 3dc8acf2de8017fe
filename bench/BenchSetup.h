#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "audio/WaveFile.h"
#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

/// A generated stereo sine (440 Hz, left sine, right cosine) of `frames` frames in a
/// temporary WAV file, written through WaveFile and removed when the object goes.
class SineSourceFile {
public:
    SineSourceFile(const std::string& name, uint32_t frames)
        : path_((std::filesystem::temp_directory_path() /
                 ("orvane-bench-" + name + "-" + std::to_string(getpid()) + ".wav"))
                    .string()) {
        std::vector<int16_t> samples(2 * size_t{frames});
        for (uint32_t k = 0; k < frames; ++k) {
            const double phase = 2.0 * M_PI * 440.0 * k / 44100.0;
            samples[2 * k] = static_cast<int16_t>(12000 * std::sin(phase));
            samples[2 * k + 1] = static_cast<int16_t>(12000 * std::cos(phase));
        }
        WaveFile wav;
        if (!wav.Open(path_.c_str(), WaveFile::kWrite) || !wav.WriteHeader(frames) ||
            wav.WriteFrames(samples.data(), frames) != frames || wav.Close() != 0) {
            std::fprintf(stderr, "cannot write %s\n", path_.c_str());
            std::abort();
        }
    }
    ~SineSourceFile() { std::filesystem::remove(path_); }
    SineSourceFile(const SineSourceFile&) = delete;
    SineSourceFile& operator=(const SineSourceFile&) = delete;

    const char* Path() const { return path_.c_str(); }

private:
    std::string path_;
};

/// Opens `source` into `workspace`, configures `host` for 44100 Hz and 2048-byte blocks and,
/// unless `library` is empty, loads that plug-in library into the chain. False (with the
/// benchmark skipped and told why) when any of it fails.
inline bool PrepareChain(benchmark::State& state, const SineSourceFile& source,
                         Workspace& workspace, PluginHost& host, const std::string& library) {
    if (!workspace.AddFile(source.Path())) {
        state.SkipWithError("cannot open the source file");
        return false;
    }
    const std::filesystem::path path(library);
    host.Configure(44100, 2048, path.parent_path().string());
    if (!library.empty() &&
        host.LoadPlugin(path.filename().string(), 0, true, nullptr) == nullptr) {
        state.SkipWithError((library + ": " + host.LastLoadError()).c_str());
        return false;
    }
    return true;
}
