#include "audio/LoudnessMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kRate = 48000;

struct Stretch {
    double dbfs;     // the sine's crest, relative to full scale
    double seconds;  // how long it lasts
};

// The same sine on both channels, stretch after stretch, as interleaved 16-bit samples.
// `hertz` and `phase` (radians) place the samples on the wave.
std::vector<int16_t> Sine(const std::vector<Stretch>& stretches, double hertz = 1000,
                          double phase = 0) {
    std::vector<int16_t> samples;
    uint64_t n = 0;
    for (const Stretch& s : stretches) {
        const double amplitude = 32767.0 * std::pow(10.0, s.dbfs / 20);
        const auto frames = static_cast<uint64_t>(s.seconds * kRate);
        for (uint64_t i = 0; i < frames; ++i, ++n) {
            const double x = std::sin(2 * std::numbers::pi * hertz * double(n) / kRate + phase);
            const auto sample = static_cast<int16_t>(std::lround(amplitude * x));
            samples.push_back(sample);
            samples.push_back(sample);
        }
    }
    return samples;
}

// Reads frames out of `samples`, at most `limit` a call, as a source in memory would.
FrameReader ReaderOf(const std::vector<int16_t>& samples, uint32_t limit = 1000) {
    return [&samples, limit](void* buffer, uint32_t n, uint32_t& got, uint32_t at) {
        const uint32_t frames = uint32_t(samples.size() / 2);
        if (at > frames) {
            return false;
        }
        got = std::min({n, limit, frames - at});
        std::memcpy(buffer, samples.data() + size_t{at} * 2, size_t{got} * 4);
        return true;
    };
}

constexpr double kSkip = NAN;

struct LoudnessCase {
    const char* name;
    std::vector<Stretch> stretches;
    double lufs;  // integrated loudness, +-0.1
    double lu;    // loudness range, +-1 (kSkip: not judged)
};

TEST(LoudnessMeter, ReadsThePublishedBroadcastTestSignals) {
    const LoudnessCase cases[] = {
        {"1 kHz at -23 dBFS, 20 s", {{-23, 20}}, -23.0, kSkip},
        {"1 kHz at -33 dBFS, 20 s", {{-33, 20}}, -33.0, kSkip},
        {"relative gate drops the quiet ends", {{-36, 10}, {-23, 60}, {-36, 10}}, -23.0, kSkip},
        {"absolute gate drops the near silence",
         {{-72, 10}, {-36, 10}, {-23, 60}, {-36, 10}, {-72, 10}},
         -23.0,
         kSkip},
        {"range: -20 then -30 dBFS", {{-20, 20}, {-30, 20}}, kSkip, 10},
        {"range: -20 then -15 dBFS", {{-20, 20}, {-15, 20}}, kSkip, 5},
        {"range: -40 then -20 dBFS", {{-40, 20}, {-20, 20}}, kSkip, 20},
        {"range: five steps", {{-50, 20}, {-35, 20}, {-20, 20}, {-35, 20}, {-50, 20}}, kSkip, 15},
    };
    for (const LoudnessCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int16_t> samples = Sine(c.stretches);
        const auto figures = MeasureLoudness(ReaderOf(samples, 7777), 0,
                                             uint32_t(samples.size() / 2), kRate, nullptr);
        ASSERT_TRUE(figures.has_value());
        if (!std::isnan(c.lufs)) {
            EXPECT_NEAR(figures->integratedLufs, c.lufs, 0.1);
        }
        if (!std::isnan(c.lu)) {
            EXPECT_NEAR(figures->loudnessRangeLu, c.lu, 1.0);
        }
        double loudest = -HUGE_VAL;
        for (const Stretch& s : c.stretches) {
            loudest = std::max(loudest, s.dbfs);
        }
        EXPECT_NEAR(figures->samplePeakDbfs, loudest, 0.05);
        EXPECT_NEAR(figures->truePeakDbtp, loudest, 0.2);
    }
}

TEST(LoudnessMeter, TruePeakFindsTheCrestBetweenSamplesAndSilenceReadsMinusInfinity) {
    // A quarter-rate sine sampled 45 degrees off its crests: every sample sits 3 dB below
    // the crest, which only the true peak sees.
    const std::vector<int16_t> offCrest = Sine({{-6, 5}}, kRate / 4.0, std::numbers::pi / 4);
    auto figures =
        MeasureLoudness(ReaderOf(offCrest), 0, uint32_t(offCrest.size() / 2), kRate, nullptr);
    ASSERT_TRUE(figures.has_value());
    EXPECT_NEAR(figures->samplePeakDbfs, -9.01, 0.05);
    EXPECT_NEAR(figures->truePeakDbtp, -6.0, 0.3);

    // Silence has no loudness and no peak.
    const std::vector<int16_t> silence(2 * kRate * 3, 0);
    figures = MeasureLoudness(ReaderOf(silence), 0, 3 * kRate, kRate, nullptr);
    ASSERT_TRUE(figures.has_value());
    EXPECT_TRUE(std::isinf(figures->integratedLufs) && figures->integratedLufs < 0);
    EXPECT_TRUE(std::isinf(figures->samplePeakDbfs) && figures->samplePeakDbfs < 0);
}

TEST(LoudnessMeter, CancelOrAShortReadGivesNoFigures) {
    const std::vector<int16_t> samples = Sine({{-23, 10}});
    const uint32_t frames = uint32_t(samples.size() / 2);
    int calls = 0;
    const auto cancelled = MeasureLoudness(ReaderOf(samples, frames), 0, frames, kRate,
                                           [&](double) { return ++calls < 3; });
    EXPECT_FALSE(cancelled.has_value());
    EXPECT_EQ(calls, 3) << "nothing is read after Cancel";

    EXPECT_FALSE(MeasureLoudness(ReaderOf(samples), 0, frames + 1, kRate, nullptr).has_value())
        << "a range past the end of the source";
    EXPECT_FALSE(MeasureLoudness(ReaderOf(samples), 0, frames, 0, nullptr).has_value());
}

}  // namespace
