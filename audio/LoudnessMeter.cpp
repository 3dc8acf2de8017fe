#include "audio/LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Frames per read: large enough that the reader's overhead disappears, small enough that
// Cancel answers at once (a quarter of a second at 44.1 kHz).
constexpr uint32_t kBlockFrames = 1 << 14;
constexpr unsigned kChannels = 2;

struct StateDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

double Decibels(double linear) {
    return linear > 0 ? 20.0 * std::log10(linear) : -HUGE_VAL;
}

// The higher of the two channels' peaks, as `peak` reports them (linear).
template <typename PeakOf>
double LouderChannel(ebur128_state* state, PeakOf peak) {
    double highest = 0;
    for (unsigned channel = 0; channel < kChannels; ++channel) {
        double value = 0;
        if (peak(state, channel, &value) == EBUR128_SUCCESS) {
            highest = std::max(highest, value);
        }
    }
    return highest;
}

}  // namespace

std::optional<LoudnessFigures> MeasureLoudness(const FrameReader& reader, uint32_t first,
                                               uint32_t count, uint32_t rate,
                                               const std::function<bool(double)>& progress) {
    if (rate == 0) {
        return std::nullopt;
    }
    const int modes =
        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK;
    std::unique_ptr<ebur128_state, StateDeleter> state(ebur128_init(kChannels, rate, modes));
    if (state == nullptr) {
        return std::nullopt;
    }
    std::vector<int16_t> samples(size_t{kBlockFrames} * kChannels);
    uint32_t done = 0;
    while (done < count) {
        const uint32_t wanted = std::min(kBlockFrames, count - done);
        uint32_t got = 0;
        if (!reader(samples.data(), wanted, got, first + done) || got == 0) {
            return std::nullopt;
        }
        got = std::min(got, wanted);
        if (ebur128_add_frames_short(state.get(), samples.data(), got) != EBUR128_SUCCESS) {
            return std::nullopt;
        }
        done += got;
        if (progress && !progress(double(done) / count)) {
            return std::nullopt;
        }
    }
    LoudnessFigures figures;
    if (ebur128_loudness_global(state.get(), &figures.integratedLufs) != EBUR128_SUCCESS) {
        figures.integratedLufs = -HUGE_VAL;
    }
    if (ebur128_loudness_range(state.get(), &figures.loudnessRangeLu) != EBUR128_SUCCESS) {
        figures.loudnessRangeLu = 0;
    }
    figures.truePeakDbtp = Decibels(LouderChannel(state.get(), ebur128_true_peak));
    figures.samplePeakDbfs = Decibels(LouderChannel(state.get(), ebur128_sample_peak));
    return figures;
}

struct IntegratedLoudness::Meter {
    std::unique_ptr<ebur128_state, StateDeleter> state;
    std::vector<float> interleaved;
};

IntegratedLoudness::IntegratedLoudness(uint32_t rate) : meter(std::make_unique<Meter>()) {
    if (rate != 0) {
        meter->state.reset(ebur128_init(kChannels, rate, EBUR128_MODE_I));
    }
}

IntegratedLoudness::~IntegratedLoudness() = default;

void IntegratedLoudness::Add(const float* left, const float* right, uint32_t count) {
    if (meter->state == nullptr) {
        return;
    }
    std::vector<float>& interleaved = meter->interleaved;
    interleaved.resize(size_t{count} * kChannels);
    for (uint32_t i = 0; i < count; ++i) {
        interleaved[size_t{i} * 2] = left[i];
        interleaved[size_t{i} * 2 + 1] = right[i];
    }
    ebur128_add_frames_float(meter->state.get(), interleaved.data(), count);
}

double IntegratedLoudness::Lufs() const {
    double lufs = -HUGE_VAL;
    if (meter->state == nullptr ||
        ebur128_loudness_global(meter->state.get(), &lufs) != EBUR128_SUCCESS) {
        return -HUGE_VAL;
    }
    return lufs;
}
