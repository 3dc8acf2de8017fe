#include <algorithm>
#include <cmath>
#include <limits>

#include "HostFixture.h"

namespace {

using testing_support::Frame;

// A workspace of 2048 frames: the extremes first, then a ramp that covers every value class.
std::vector<Frame> TestFrames() {
    std::vector<Frame> frames = {MakeFrame(-32768, 32767), MakeFrame(32767, -32768),
                                 MakeFrame(0, -1), MakeFrame(1, 0)};
    for (int i = 4; i < 2048; ++i) {
        frames.push_back(
            MakeFrame(static_cast<int16_t>(i * 31 - 32000), static_cast<int16_t>(32000 - i * 29)));
    }
    return frames;
}

std::vector<Frame> Slice(const std::vector<Frame>& frames, size_t from, size_t count) {
    return {frames.begin() + static_cast<long>(from),
            frames.begin() + static_cast<long>(from + count)};
}

class ProcessFixture : public HostFixture {
protected:
    void SetUp() override {
        Install({"passthrough", "doubler", "recorder", "mono", "wide", "quad", "nan", "noprocess"});
        Configure();
        UseFrames(frames);
    }
    std::vector<Frame> frames = TestFrames();
};

TEST_F(ProcessFixture, AnEmptyChainDeliversTheWorkspaceFramesAsTheyAre) {
    struct Case {
        uint32_t position;
        size_t expectedCount;
    };
    const Case cases[] = {{0, 512}, {1000, 512}, {1948, 100}, {2048, 0}, {5000, 0}};
    for (const Case& c : cases) {
        const std::vector<Frame> block = ProcessAt(c.position);
        EXPECT_EQ(block, Slice(frames, std::min<size_t>(c.position, 2048), c.expectedCount))
            << "position " << c.position;
    }
}

TEST_F(ProcessFixture, UnityEffectsAreBitExact) {
    // Effects that pass their signal on whatever their channel layout; "noprocess" is passed
    // over, "wide" drops outputs 2 to 5, "quad" must hear silence on inputs 2 and 3.
    for (const char* name : {"passthrough", "noprocess", "wide", "quad"}) {
        ASSERT_NE(Insert(name), nullptr);
        for (uint32_t position : {0u, 512u, 1536u}) {  // later blocks find scribbled buffers
            EXPECT_EQ(ProcessAt(position), Slice(frames, position, 512))
                << name << " at " << position;
        }
        host.RemoveEffect(0);
    }
}

TEST_F(ProcessFixture, DoublingSaturatesInsteadOfWrapping) {
    const std::pair<int16_t, int16_t> cases[] = {
        {16384, 32767}, {-16384, -32768}, {24576, 32767}, {32767, 32767}, {-32768, -32768},
        {16383, 32766}, {-16385, -32768}, {100, 200},     {-1, -2},       {0, 0},
    };
    std::vector<Frame> input;
    for (const auto& [sample, expected] : cases) {
        input.push_back(MakeFrame(sample, sample));
    }
    UseFrames(input);
    Insert("doubler");
    const std::vector<Frame> block = ProcessAt(0);
    ASSERT_EQ(block.size(), std::size(cases));
    for (size_t i = 0; i < block.size(); ++i) {
        EXPECT_EQ(LeftOf(block[i]), cases[i].second) << "input " << cases[i].first;
        EXPECT_EQ(RightOf(block[i]), cases[i].second) << "input " << cases[i].first;
    }
}

TEST_F(ProcessFixture, EveryEffectProcessesExactlyTheFramesTheWorkspaceDelivered) {
    RecorderLog& log = Recorder();
    Insert("recorder");
    struct Case {
        uint32_t position;
        int32_t frames;
    };
    for (const Case& c : {Case{1948, 100}, Case{2048, 0}, Case{9999, 0}}) {
        log.processed.clear();
        uint32_t count = 12345;
        std::vector<Frame> block(512);
        EXPECT_TRUE(host.Process(block.data(), count, c.position));
        EXPECT_EQ(count, static_cast<uint32_t>(c.frames));
        EXPECT_EQ(log.processed, std::vector<int32_t>{c.frames}) << "position " << c.position;
    }
}

TEST_F(ProcessFixture, EntriesRunInChainOrderEachOnThePreviousOutput) {
    RecorderLog& log = Recorder();
    const auto expectHeard = [&](int factor) {
        ASSERT_EQ(log.lastLeft.size(), 512u);
        for (size_t i = 0; i < 512; ++i) {
            ASSERT_EQ(log.lastLeft[i], factor * LeftOf(frames[i]) / 32768.0f) << i;
            ASSERT_EQ(log.lastRight[i], factor * RightOf(frames[i]) / 32768.0f) << i;
        }
    };
    std::vector<Frame> doubled;
    for (Frame f : Slice(frames, 0, 512)) {
        const auto twice = [](int16_t s) {
            return static_cast<int16_t>(std::clamp(2 * s, -32768, 32767));
        };
        doubled.push_back(MakeFrame(twice(LeftOf(f)), twice(RightOf(f))));
    }

    Insert("doubler");
    Insert("recorder");  // doubler, recorder
    EXPECT_EQ(ProcessAt(0), doubled);
    expectHeard(2);

    host.RemoveEffect(0);
    Insert("doubler");  // recorder, doubler
    EXPECT_EQ(ProcessAt(0), doubled);
    expectHeard(1);
}

TEST_F(ProcessFixture, OutputsNoSampleCanHoldBecomeSilenceOrTheLimits) {
    Insert("nan");
    const std::vector<Frame> block = ProcessAt(0);
    ASSERT_EQ(block.size(), 512u);
    for (size_t i = 0; i < block.size(); ++i) {
        EXPECT_EQ(LeftOf(block[i]), 0) << i;
        EXPECT_EQ(RightOf(block[i]), i % 2 == 0 ? 32767 : -32768) << i;
    }
}

TEST_F(ProcessFixture, AOneChannelEffectHearsTheMixAndFeedsBothChannels) {
    Insert("mono");
    const std::vector<Frame> block = ProcessAt(0);
    ASSERT_EQ(block.size(), 512u);
    for (size_t i = 0; i < block.size(); ++i) {
        // (L + R) / 2 in floats, rounded (halves away from zero) on the way back.
        const auto mix =
            static_cast<int>(std::lround((LeftOf(frames[i]) + RightOf(frames[i])) / 2.0));
        EXPECT_EQ(LeftOf(block[i]), mix) << i;
        EXPECT_EQ(RightOf(block[i]), mix) << i;
    }
}

TEST(SampleConversion, FloatsBecomeSamplesRoundedAndSaturated) {
    // Full scale is +-1.0: one step is 1/32768.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, int16_t> cases[] = {
        {0.0f, 0},
        {0.5f, 16384},
        {-0.5f, -16384},
        {-1.0f, -32768},
        {1.0f, 32767},  // one step beyond the largest sample
        {1.5f, 32767},
        {-1.5f, -32768},
        {0.4f / 32768, 0},
        {0.6f / 32768, 1},
        {1.5f / 32768, 2},  // halves away from zero
        {-1.5f / 32768, -2},
        {-0.6f / 32768, -1},
        {32767.4f / 32768, 32767},
        {nan, 0},
        {-nan, 0},
        {inf, 32767},
        {-inf, -32768},
        {1e30f, 32767},
    };
    for (const auto& [value, expected] : cases) {
        const float left[1] = {value};
        const float right[1] = {value};
        uint8_t frame[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        PluginHost::FloatToInt16(left, right, frame, 1);
        EXPECT_EQ(static_cast<int16_t>(frame[0] | frame[1] << 8), expected) << value;
        EXPECT_EQ(static_cast<int16_t>(frame[2] | frame[3] << 8), expected) << value;
    }
}

TEST(SampleConversion, EverySampleSurvivesTheRoundTripExactly) {
    std::vector<uint8_t> frames;
    for (int s = -32768; s <= 32767; ++s) {
        const auto word = static_cast<uint16_t>(s);
        const auto mirror = static_cast<uint16_t>(-1 - s);
        frames.insert(frames.end(),
                      {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                       static_cast<uint8_t>(mirror), static_cast<uint8_t>(mirror >> 8)});
    }
    const uint32_t count = 65536;
    std::vector<float> left(count), right(count);
    PluginHost::Int16ToFloat(frames.data(), count, left.data(), right.data());
    EXPECT_EQ(left.front(), -1.0f);
    EXPECT_EQ(left.back(), 32767.0f / 32768.0f);
    std::vector<uint8_t> back(frames.size());
    PluginHost::FloatToInt16(left.data(), right.data(), back.data(), count);
    EXPECT_EQ(back, frames);
}

}  // namespace
