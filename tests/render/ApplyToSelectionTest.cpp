#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "audio/WaveFile.h"
#include "plugins/PluginHost.h"
#include "render/RenderCommand.h"
#include "render/SelectionRender.h"
#include "session/EditSession.h"
#include "support/LoadedEffect.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

std::vector<uint32_t> Frames(const Workspace& ws, uint32_t from, uint32_t count) {
    std::vector<uint32_t> frames(count);
    uint32_t got = 0;
    EXPECT_TRUE(ws.ReadFrames(frames.data(), count, got, from));
    EXPECT_EQ(got, count);
    return frames;
}

class ApplyToSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        std::filesystem::create_directory(dir.File("vstplugs"));
        for (const char* plugin : {"echo.so", "latency.so"}) {
            std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                                       dir.File(std::string("vstplugs/") + plugin));
        }
    }
    // A host over `ws` with an echo (an effect with memory) and a delay the render makes up.
    void Chain(PluginHost& host) {
        host.Configure(44100, 2048, dir.File("vstplugs"));
        ASSERT_NE(EffectOf(host.AddEffect("echo.so")), nullptr);
        ASSERT_NE(EffectOf(host.AddEffect("latency.so")), nullptr);
    }

    TempDir dir;
};

// The selection is replaced by exactly what the chain makes of that range alone; the rest
// stays; undo brings back the exact frames, and the rendered file goes once no step can bring
// it back.
TEST_F(ApplyToSelectionTest, ReplacesTheRangeWithItsRenderAndUndoes) {
    constexpr uint32_t kFrames = 3000, kFirst = 700, kCount = 1400;
    const std::vector<Frame> source = MakeFrames(1, kFrames);
    WriteWav(dir.File("take.wav"), source);
    WriteWav(dir.File("copy.wav"), source);

    // What the chain makes of the range alone: a workspace of a copy cut down to it.
    std::vector<uint32_t> expected;
    {
        Workspace alone;
        ASSERT_TRUE(alone.AddFile(dir.File("copy.wav").c_str()));
        alone.DeleteRange(kFirst + kCount, kFrames);
        alone.DeleteRange(0, kFirst);
        PluginHost host(&alone);
        Chain(host);
        const RenderResult r =
            WorkspaceRenderer(host, alone).Render(dir.File("expected.wav"), [](uint32_t) {
                return true;
            });
        ASSERT_EQ(r.outcome, RenderOutcome::kDone) << r.reason;
        WaveFile rendered;
        ASSERT_TRUE(rendered.Open(dir.File("expected.wav").c_str(), WaveFile::kRead));
        ASSERT_EQ(rendered.FrameCount(), kCount);
        expected.resize(kCount);
        ASSERT_EQ(rendered.ReadFramesAt(expected.data(), kCount, 0), kCount);
    }

    EditSession session;
    Workspace& ws = session.Edits();
    ASSERT_TRUE(ws.AddFile(dir.File("take.wav").c_str()));
    PluginHost host(&ws);
    Chain(host);
    const Workspace::State before = ws.Snapshot();
    session.BeginEdit("Apply to Selection", {kFirst, kCount});
    std::string why;
    const std::string owned = session.Owned().Create(session.Path(), "applied", why);
    ASSERT_FALSE(owned.empty()) << why;
    const RenderResult r =
        RenderSelection(host, ws, kFirst, kCount, owned, [](uint32_t) { return true; });
    ASSERT_EQ(r.outcome, RenderOutcome::kDone) << r.reason;
    EXPECT_EQ(ws.Snapshot(), before) << "the workspace is not back as it was";
    ASSERT_TRUE(ws.AddFile(owned.c_str()));
    ASSERT_TRUE(ws.ReplaceRangeWithFile(kFirst, kFirst + kCount, 1));
    ASSERT_TRUE(session.EndEdit({kFirst, kCount}));

    ASSERT_EQ(ws.TotalLength(), kFrames);
    EXPECT_NE(expected,
              std::vector<uint32_t>(source.begin() + kFirst, source.begin() + kFirst + kCount));
    EXPECT_EQ(Frames(ws, kFirst, kCount), expected);
    EXPECT_EQ(Frames(ws, 0, kFirst),
              std::vector<uint32_t>(source.begin(), source.begin() + kFirst));
    EXPECT_EQ(Frames(ws, kFirst + kCount, kFrames - kFirst - kCount),
              std::vector<uint32_t>(source.begin() + kFirst + kCount, source.end()));

    EditSelection selection;
    ASSERT_TRUE(session.Undo(selection));
    EXPECT_EQ(Frames(ws, 0, kFrames), std::vector<uint32_t>(source.begin(), source.end()));
    session.ReleaseOwnedFiles();
    EXPECT_TRUE(std::filesystem::exists(owned)) << "Redo still needs it";
    session.BeginEdit("Delete", {});
    ws.DeleteRange(0, 10);
    session.EndEdit({});
    EXPECT_EQ(session.ReleaseOwnedFiles(), 1u);
    EXPECT_FALSE(std::filesystem::exists(owned));
}

// The command line's level options on the whole output, read back as floats and compared
// with what they promise, sample by sample.
TEST_F(ApplyToSelectionTest, CommandLineLevelsShapeTheWholeOutput) {
    constexpr uint32_t kFrames = 4410;
    std::vector<Frame> source;
    for (uint32_t i = 0; i < kFrames; ++i) {
        const auto left = static_cast<int16_t>(std::lround(12000 * std::sin(i * 0.05)));
        const auto right = static_cast<int16_t>(-left / 2);
        source.push_back(uint16_t(left) | uint32_t(uint16_t(right)) << 16);
    }
    WriteWav(dir.File("in.wav"), source);
    const auto sampleAt = [&](uint32_t i, int c) {
        return int16_t(c == 0 ? source[i] & 0xFFFF : source[i] >> 16) / 32768.0;
    };
    double peak = 0;
    for (uint32_t i = 0; i < kFrames; ++i) {
        peak = std::max({peak, std::abs(sampleAt(i, 0)), std::abs(sampleAt(i, 1))});
    }
    const struct {
        const char* name;
        OutputLevel level;
        double factor;          // the constant part
        uint32_t fadeInFrames;  // linear, 0 at the first frame, 1 at the last of the fade
        uint32_t fadeOutFrames;
    } cases[] = {
        {"gain", {-6.0, {}, 0, 0, {}}, std::pow(10.0, -6.0 / 20), 0, 0},
        {"normalize after a gain", {12.0, -3.0, 0, 0, {}}, std::pow(10.0, -3.0 / 20) / peak, 0, 0},
        {"fades", {{}, {}, 0.01, 0.02, {}}, 1.0, 441, 882},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RenderSettings settings;
        settings.format = RenderFormat::kWavFloat;
        settings.level = c.level;
        std::string error;
        ASSERT_EQ(RunRenderCommand(dir.File("out.wav"), dir.File("in.wav"), {}, settings, error), 0)
            << error;
        SF_INFO info{};
        SNDFILE* file = sf_open(dir.File("out.wav").c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        std::vector<float> out(size_t{kFrames} * 2);
        ASSERT_EQ(sf_readf_float(file, out.data(), kFrames), sf_count_t{kFrames});
        sf_close(file);
        for (uint32_t i = 0; i < kFrames; ++i) {
            double g = c.factor;
            if (i < c.fadeInFrames) {
                g *= double(i) / (c.fadeInFrames - 1);
            }
            if (i >= kFrames - c.fadeOutFrames) {
                g *= double(kFrames - 1 - i) / (c.fadeOutFrames - 1);
            }
            for (int ch = 0; ch < 2; ++ch) {
                ASSERT_NEAR(out[2 * i + ch], sampleAt(i, ch) * g, 1e-6) << "frame " << i;
            }
        }
    }
}

// A stereo 1 kHz sine reads its own level in LUFS (EBU Tech 3341, case 1), so a render asked
// for -23 LUFS must bring a sine of peak -30 dBFS up by 7 dB, whatever --gain said before.
TEST(OutputLevelCli, LoudnessBringsTheOutputToTheTarget) {
    testing_support::TempDir dir;
    constexpr uint32_t kRate = 44100;
    constexpr uint32_t kFrames = 3 * kRate;
    const double amplitude = std::pow(10.0, -30.0 / 20) * 32768;
    std::vector<Frame> source;
    for (uint32_t i = 0; i < kFrames; ++i) {
        const auto s =
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * 1000 * i / kRate)));
        source.push_back(uint16_t(s) | uint32_t(uint16_t(s)) << 16);
    }
    WriteWav(dir.File("in.wav"), source);
    RenderSettings settings;
    settings.format = RenderFormat::kWavFloat;
    settings.level.gainDecibels = -12.0;
    settings.level.loudnessLufs = -23.0;
    std::string error;
    ASSERT_EQ(RunRenderCommand(dir.File("out.wav"), dir.File("in.wav"), {}, settings, error), 0)
        << error;
    SF_INFO info{};
    SNDFILE* file = sf_open(dir.File("out.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> out(size_t{kFrames} * 2);
    ASSERT_EQ(sf_readf_float(file, out.data(), kFrames), sf_count_t{kFrames});
    sf_close(file);
    double peak = 0;
    for (float v : out) {
        peak = std::max(peak, double{std::abs(v)});
    }
    EXPECT_NEAR(20 * std::log10(peak), -23.0, 0.1);
}

}  // namespace
