#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/WaveFile.h"

/// A temporary WAV file of `frames` generated frames, written through WaveFile in chunks (so
/// an hour of audio never sits in memory) and removed when the object goes. `frameAt(k)` gives
/// frame k as one 32-bit word: left sample in the low half, right in the high half.
class GeneratedWavFile {
public:
    using FrameAt = std::function<uint32_t(uint32_t k)>;

    GeneratedWavFile(const std::string& name, uint32_t frames, const FrameAt& frameAt)
        : path_((std::filesystem::temp_directory_path() /
                 ("orvane-bench-" + name + "-" + std::to_string(getpid()) + ".wav"))
                    .string()) {
        constexpr uint32_t kChunk = 65536;
        std::vector<uint32_t> chunk(kChunk);
        WaveFile wav;
        bool ok = wav.Open(path_.c_str(), WaveFile::kWrite) && wav.WriteHeader(frames);
        for (uint32_t start = 0; ok && start < frames; start += std::min(kChunk, frames - start)) {
            const uint32_t count = std::min(kChunk, frames - start);
            for (uint32_t i = 0; i < count; ++i) {
                chunk[i] = frameAt(start + i);
            }
            ok = wav.WriteFrames(chunk.data(), count) == count;
        }
        if (!ok || wav.Close() != 0) {
            std::fprintf(stderr, "cannot write %s\n", path_.c_str());
            std::abort();
        }
    }
    ~GeneratedWavFile() { std::filesystem::remove(path_); }
    GeneratedWavFile(const GeneratedWavFile&) = delete;
    GeneratedWavFile& operator=(const GeneratedWavFile&) = delete;

    const char* Path() const { return path_.c_str(); }

    /// Packs a left and a right sample into one frame word.
    static uint32_t Frame(int16_t left, int16_t right) {
        return uint32_t{static_cast<uint16_t>(left)} | uint32_t{static_cast<uint16_t>(right)} << 16;
    }

private:
    std::string path_;
};

/// A 440 Hz stereo sine at 44100 Hz: sine on the left, cosine on the right.
inline uint32_t SineFrame(uint32_t k) {
    const double phase = 2.0 * M_PI * 440.0 * k / 44100.0;
    return GeneratedWavFile::Frame(static_cast<int16_t>(12000 * std::sin(phase)),
                                   static_cast<int16_t>(12000 * std::cos(phase)));
}
