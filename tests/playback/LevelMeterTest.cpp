#include "playback/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "playback/PlayerFixture.h"

using namespace testing_support;

namespace {

constexpr uint32_t kLoudBlocks = 8;
constexpr uint32_t kClipFrame = 3 * kBlock + 100;  // a full-scale sample on the right

double Db(float linear) {
    return 20 * std::log10(linear);
}

// A sine of 64 frames a period (a whole number of periods a block): its crests at -6 dBFS
// for the first eight blocks, at -26 dBFS after them.
class LevelMeterPlayback : public PlayerFixture {
protected:
    LevelMeterPlayback() {
        std::vector<Frame> frames(40 * kBlock);
        for (uint32_t k = 0; k < frames.size(); ++k) {
            const double crest =
                32767 * std::pow(10.0, (k < kLoudBlocks * kBlock ? -6 : -26) / 20.0);
            const auto left =
                uint16_t(int16_t(std::lround(crest * std::sin(std::numbers::pi * k / 32))));
            const uint16_t right = k == kClipFrame ? uint16_t(int16_t(-32768)) : left;
            frames[k] = uint32_t{left} | uint32_t{right} << 16;
        }
        WriteWav(dir.File("sine.wav"), frames);
        workspace.Clear();
        EXPECT_TRUE(workspace.AddFile(dir.File("sine.wav").c_str()));
    }

    LevelFollower meter{player};
};

TEST_F(LevelMeterPlayback, ShowsTheBlockTheDeviceSoundsNotTheOnesPreparedAhead) {
    const struct {
        int played;  // buffers the device has played to their end (block 3 clips)
        double peakDb;
        bool rightClipHeld;
    } steps[] = {
        {0, -6, false}, {2, -6, false}, {5, -6, true},
        {7, -6, true},  {8, -26, true}, {20, -26, true},
    };
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(0, 40 * kBlock));
    int played = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.played);
        for (; played < step.played; ++played) {
            ASSERT_TRUE(Device().CompleteNext());
        }
        // The ring reaches 16 buffers ahead: quiet blocks are prepared while loud ones play.
        ASSERT_GE(Device().Written().size(), size_t(step.played) + 16);
        const MeterReading& reading = meter.Update(0.04);
        for (int channel = 0; channel < 2; ++channel) {
            EXPECT_NEAR(Db(reading.peak[channel]), step.peakDb, 0.05);
            EXPECT_NEAR(Db(reading.rms[channel]), step.peakDb - 3.01, 0.05);
        }
        EXPECT_FALSE(reading.clipHeld[0]);
        EXPECT_EQ(reading.clipHeld[1], step.rightClipHeld);
    }
    meter.ResetClip(1);
    EXPECT_FALSE(meter.Update(0.04).clipHeld[1]) << "a click clears the indicator";

    // Played out: the levels fall away, to nothing.
    Device().CompleteAll();
    const float last = meter.Reading().peak[0];
    EXPECT_LT(meter.Update(0.25).peak[0], last);
    EXPECT_GT(meter.Reading().peak[0], 0.0f);
    EXPECT_EQ(meter.Update(2.0).peak[0], 0.0f);
    EXPECT_EQ(meter.Reading().rms[1], 0.0f);
}

TEST_F(LevelMeterPlayback, BlocksLeftOverFromAStoppedPlaybackAreNeverShown) {
    ASSERT_TRUE(OpenPlayer());
    // Quiet frames from block 10 on, stopped after one block: fifteen are left prepared.
    ASSERT_TRUE(player.Play(10 * kBlock, 40 * kBlock));
    ASSERT_TRUE(Device().CompleteNext());
    EXPECT_NEAR(Db(meter.Update(0.04).peak[0]), -26, 0.05);
    ASSERT_TRUE(player.Stop());
    // Again from the loud start: the device sounds block 0 of the new playback at once.
    ASSERT_TRUE(player.Play(0, 40 * kBlock));
    EXPECT_NEAR(Db(meter.Update(0.04).peak[0]), -6, 0.05);
}

}  // namespace
