// Render formats read back with libsndfile: an unchanged signal is the 16-bit samples exactly in
// every format; an effect's output keeps its resolution beyond 16 bits, and reduced to 16 bits it
// is dithered (or, without dither, rounded).

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"
#include "render/WorkspaceRenderer.h"
#include "support/LoadedEffect.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

constexpr uint32_t kFrames = 20000;
constexpr float kGainParameter = 0.3f;  // the gain plug-in's output is input * 2 * value

struct ReadBack {
    SF_INFO info{};
    std::vector<double> samples;  // interleaved, full scale +-1.0
};

ReadBack ReadWithSoundFile(const std::string& path) {
    ReadBack back;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &back.info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (file == nullptr) {
        return back;
    }
    back.samples.resize(static_cast<size_t>(back.info.frames) * 2);
    sf_readf_double(file, back.samples.data(), back.info.frames);
    sf_close(file);
    return back;
}

std::vector<std::string> Listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class RenderFormats : public ::testing::Test {
protected:
    void SetUp() override {
        source = dir.File("source.wav");
        frames = MakeFrames(1, kFrames);  // left: the frame number; right: 256 throughout
        WriteWav(source, frames);
        ASSERT_TRUE(workspace.AddFile(source.c_str()));
        std::filesystem::create_directory(dir.File("vstplugs"));
        host.Configure(44100, 2048, dir.File("vstplugs"));
    }
    void UseGain() {
        std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/gain.so",
                                   dir.File("vstplugs/gain.so"));
        vst::AEffect* gain = EffectOf(host.AddEffect("gain.so"));
        ASSERT_NE(gain, nullptr);
        gain->setParameter(gain, 0, kGainParameter);
    }
    // The 16-bit sample of channel c of frame k in the source.
    int16_t SourceSample(uint32_t k, int c) const {
        return static_cast<int16_t>(c == 0 ? frames[k] & 0xFFFF : frames[k] >> 16);
    }
    // What the gain plug-in makes of it, in the plug-in's own float arithmetic.
    float GainOutput(uint32_t k, int c) const {
        return static_cast<float>(SourceSample(k, c)) * (1.0f / 32768.0f) * (2.0f * kGainParameter);
    }

    TempDir dir;
    std::string source;
    std::vector<Frame> frames;
    Workspace workspace;
    PluginHost host{&workspace};
    WorkspaceRenderer renderer{host, workspace};
};

TEST_F(RenderFormats, EachFormatHoldsWhatTheChainPutOut) {
    enum class Expect { kExact16, kBeyond16, kDithered, kRounded };
    const struct Case {
        RenderFormat format;
        bool gain;
        bool dither;
        Expect expect;
        int soundFileFormat;
    } cases[] = {
        {RenderFormat::kWav16, false, true, Expect::kExact16, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {RenderFormat::kWav24, false, true, Expect::kExact16, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {RenderFormat::kWavFloat, false, true, Expect::kExact16, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {RenderFormat::kFlac16, false, true, Expect::kExact16, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {RenderFormat::kFlac24, false, true, Expect::kExact16, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {RenderFormat::kWav24, true, true, Expect::kBeyond16, SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {RenderFormat::kFlac24, true, true, Expect::kBeyond16, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {RenderFormat::kWavFloat, true, true, Expect::kBeyond16, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {RenderFormat::kWav16, true, true, Expect::kDithered, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
        {RenderFormat::kFlac16, true, true, Expect::kDithered, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
        {RenderFormat::kWav16, true, false, Expect::kRounded, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(render_format::Name(c.format)) + (c.gain ? " gain" : "") +
                     (c.dither ? " dither" : ""));
        if (c.gain && host.IsChainEmpty()) {
            UseGain();
        }
        RenderOptions options;
        options.format = c.format;
        options.dither = c.dither;
        const std::string out = dir.File("out");
        // Cancelled half-way, a render leaves nothing; done twice, the same file (dither too).
        uint32_t calls = 0;
        EXPECT_EQ(renderer
                      .Render(
                          out, [&](uint32_t) { return ++calls < 10; }, options)
                      .outcome,
                  RenderOutcome::kCancelled);
        EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{"source.wav", "vstplugs"}));
        std::vector<uint8_t> first;
        for (int i = 0; i < 2; ++i) {
            const RenderResult result = renderer.Render(
                out, [](uint32_t) { return true; }, options);
            ASSERT_EQ(result.outcome, RenderOutcome::kDone) << result.reason;
            if (i == 0) {
                first = ReadBytes(out);
            }
        }
        EXPECT_TRUE(ReadBytes(out) == first);
        const ReadBack back = ReadWithSoundFile(out);
        ASSERT_EQ(back.info.frames, kFrames);
        EXPECT_EQ(back.info.samplerate, 44100);
        EXPECT_EQ(back.info.format, c.soundFileFormat);

        double beyond16 = 0;  // how far the samples stray from the 16-bit grid
        double errorSum[2] = {0, 0};
        uint32_t differences = 0;
        for (uint32_t k = 0; k < kFrames; ++k) {
            for (int channel = 0; channel < 2; ++channel) {
                const double got = back.samples[2 * k + channel];
                const double exact = GainOutput(k, channel);
                const double rounded = std::round(exact * 32768.0);
                switch (c.expect) {
                    case Expect::kExact16:
                        ASSERT_EQ(got, SourceSample(k, channel) / 32768.0) << "frame " << k;
                        break;
                    case Expect::kBeyond16: {
                        const double step = c.format == RenderFormat::kWavFloat ? 0 : 8388608.0;
                        const double expected = step == 0 ? exact : std::round(exact * step) / step;
                        ASSERT_EQ(got, expected) << "frame " << k;
                        beyond16 = std::max(beyond16, std::abs(got * 32768.0 - rounded));
                        break;
                    }
                    case Expect::kDithered:
                    case Expect::kRounded: {
                        const double sample = got * 32768.0;
                        ASSERT_LE(std::abs(sample - rounded), 1.0) << "frame " << k;
                        if (c.expect == Expect::kRounded) {
                            ASSERT_EQ(sample, rounded) << "frame " << k;
                        }
                        differences += sample != rounded;
                        errorSum[channel] += sample - exact * 32768.0;
                        break;
                    }
                }
            }
        }
        if (c.expect == Expect::kBeyond16) {
            EXPECT_GT(beyond16, 0.1) << "the output was cut to 16 bits on its way";
        }
        if (c.expect == Expect::kDithered) {
            EXPECT_GT(differences, kFrames / 4) << "no dither";
            // The right channel is one level (153.6 steps) throughout: rounding alone would be
            // 0.4 step off on every sample, dither is right on average.
            EXPECT_NEAR(errorSum[0] / kFrames, 0.0, 0.02);
            EXPECT_NEAR(errorSum[1] / kFrames, 0.0, 0.02);
        }
        std::filesystem::remove(out);
    }
}

}  // namespace
