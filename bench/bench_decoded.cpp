// Reading files that are decoded rather than read as WAV (FLAC, MP3, Ogg Vorbis ...): the time
// to open one, random 512-frame reads each at a new place across the file (a fresh open, so
// nearly every read decodes its block), with their median and 99th percentile, and reading
// the whole file front to back as the peak tables do, as a multiple of real time.
//
//     build/bench/bench_decoded FILE...      # e.g. an hour of FLAC and an hour of MP3
//
// The time to the first picture of such a file is bench_open's, given the file:
//     xvfb-run -a build/bench/bench_open FILE
//
// A plain program rather than a Google Benchmark: each figure is one run of something slow.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "audio/PeakPyramid.h"
#include "audio/WaveFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

bool Measure(const char* path) {
    auto start = Clock::now();
    WaveFile file;
    if (!file.Open(path, WaveFile::kRead)) {
        std::fprintf(stderr, "%s: %s\n", path, file.FailureReason().c_str());
        return false;
    }
    const double open = Milliseconds(start);
    const uint32_t frames = file.FrameCount();
    const double seconds = double(frames) / file.SampleRate();

    std::mt19937 random(1);
    std::vector<int16_t> buffer(512 * 2);
    std::vector<double> reads;
    for (int i = 0; i < 400 && frames > 512; ++i) {
        const uint32_t at = uint32_t(random() % (frames - 512));
        start = Clock::now();
        if (file.ReadFramesAt(buffer.data(), 512, at) != 512) {
            std::fprintf(stderr, "%s: a read at %u came up short\n", path, at);
            return false;
        }
        reads.push_back(Milliseconds(start));
    }
    std::sort(reads.begin(), reads.end());
    const auto percentile = [&](double p) {
        return reads.empty() ? 0.0 : reads[size_t(p * double(reads.size() - 1))];
    };

    file.Close();
    if (!file.Open(path, WaveFile::kRead)) {
        return false;
    }
    start = Clock::now();
    std::vector<int16_t> piece(size_t{PeakPyramid::kReadFrames} * 2);
    for (uint32_t at = 0; at < frames; at += PeakPyramid::kReadFrames) {
        const uint32_t count = std::min(PeakPyramid::kReadFrames, frames - at);
        if (file.ReadFramesAt(piece.data(), count, at) != count) {
            std::fprintf(stderr, "%s: the front-to-back read came up short at %u\n", path, at);
            return false;
        }
    }
    const double whole = Milliseconds(start) / 1e3;

    std::printf(
        "%s (%s, %.0f s): open %.1f ms; random 512-frame reads p50 %.2f ms, p99 %.2f ms, "
        "max %.2f ms; front to back %.1f s = %.0fx real time\n",
        path, file.FormatName().c_str(), seconds, open, percentile(0.5), percentile(0.99),
        percentile(1.0), whole, seconds / whole);
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        ok = Measure(argv[i]) && ok;
    }
    return ok ? 0 : 1;
}
