// The player against devices with a completion thread of their own: the real PortAudio back
// end on ALSA test devices, and the deterministic device running its own thread. These are
// the tests ThreadSanitizer watches.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "playback/PlayerFixture.h"
#include "support/AlsaTestDevice.h"
#include "support/LoadedEffect.h"

using namespace testing_support;

namespace {

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class PlayerOnSoundCard : public PlayerFixture {};

// The test device runs at machine speed, so it plays silence whenever the refills fall
// behind; the frames heard, with the silent ones left out, must be exactly the range's.
std::vector<uint32_t> AudibleFrames(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> frames(bytes.size() / 4);
    std::memcpy(frames.data(), bytes.data(), frames.size() * 4);
    std::erase(frames, 0u);
    return frames;
}

TEST_F(PlayerOnSoundCard, FortyBlocksReachTheDeviceExactly) {
    AlsaTestDevice alsa(dir.Path().string(), true);
    auto output = platform::MakeSystemAudioOutput();
    WavePlayer real(&host, *output);
    // The test configured the device itself, so it must open: a skip would pass for success.
    ASSERT_TRUE(real.Open(2048, 16, 2, 44100, 16))
        << "PortAudio cannot open the test's ALSA file device (code " << real.LastError() << ")";
    const uint32_t start = 77;
    const uint32_t end = start + 40 * kBlock - 100;  // the last block ends in silence
    ASSERT_TRUE(real.Play(start, end));
    ASSERT_TRUE(WaitUntil([&] { return !real.IsPlaying(); }, std::chrono::seconds(20)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the last 16 blocks drain
    ASSERT_TRUE(real.Close());

    const std::vector<uint32_t> heard = AudibleFrames(ReadBytes(alsa.CapturePath()));
    const std::vector<uint32_t> expected = AudibleFrames(Expected(start, end, 40));
    ASSERT_EQ(expected.size(), end - start) << "the test's frames are never silent";
    EXPECT_TRUE(heard == expected)
        << "heard " << heard.size() << " frames, expected " << expected.size();
}

uintmax_t CapturedBytes(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

// The test device writes every callback's bytes as fast as the machine allows: a capture
// that stops growing means the stream stopped.
bool CaptureStopsGrowing(const std::string& path) {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // past the device's linger
    const uintmax_t before = CapturedBytes(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return CapturedBytes(path) == before;
}

TEST_F(PlayerOnSoundCard, EndOfRangeAndStopLeaveTheDeviceIdleAndPlayStartsItAgainExactly) {
    AlsaTestDevice alsa(dir.Path().string(), true);
    auto output = platform::MakeSystemAudioOutput();
    WavePlayer real(&host, *output);
    // The test configured the device itself, so it must open: a skip would pass for success.
    ASSERT_TRUE(real.Open(2048, 16, 2, 44100, 16))
        << "PortAudio cannot open the test's ALSA file device (code " << real.LastError() << ")";
    EXPECT_EQ(CapturedBytes(alsa.CapturePath()), 0u) << "an open player that never played";

    // To the end of a range.
    ASSERT_TRUE(real.Play(0, 20 * kBlock));
    ASSERT_TRUE(WaitUntil([&] { return !real.IsPlaying(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(CaptureStopsGrowing(alsa.CapturePath())) << "after the end of the range";

    // After idle, from the first frame of the next range.
    const uint32_t start = 5 * kBlock + 9;
    ASSERT_TRUE(real.Play(start, start + 24 * kBlock));
    ASSERT_TRUE(WaitUntil([&] { return !real.IsPlaying(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(CaptureStopsGrowing(alsa.CapturePath())) << "after the second range";

    // Stopped in mid-play, long before the range ends.
    ASSERT_TRUE(real.Play(0, 30 * kBlock));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(real.Stop());
    EXPECT_TRUE(CaptureStopsGrowing(alsa.CapturePath())) << "after Stop";
    ASSERT_TRUE(real.Close());

    std::vector<uint32_t> heard = AudibleFrames(ReadBytes(alsa.CapturePath()));
    std::vector<uint32_t> expected = AudibleFrames(Expected(0, 20 * kBlock, 20));
    const std::vector<uint32_t> second = AudibleFrames(Expected(start, start + 24 * kBlock, 24));
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_GE(heard.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin()))
        << "the two ranges, whole and in order, before the looping one";
}

class PlayerStorm : public PlayerFixture {
protected:
    void Storm(WavePlayer& player, int rounds);
};

// Play, Pause, Resume and Stop at random from this thread while the device's thread refills,
// with effects loaded into and unloaded from the chain during playback.
void PlayerStorm::Storm(WavePlayer& player, int rounds) {
    std::mt19937 rng(7);
    const uint32_t length = workspace.TotalLength();
    for (int round = 0; round < rounds; ++round) {
        const uint32_t start = rng() % length;
        player.Play(start, start + rng() % (30 * kBlock));
        switch (rng() % 4) {
            case 0:
                player.Pause();
                player.Resume();
                break;
            case 1:
                EffectOf(host.AddEffect("passthrough.so"));
                break;
            case 2:
                if (!host.IsChainEmpty()) {
                    host.RemoveEffect(0);
                }
                break;
            default:
                std::this_thread::sleep_for(std::chrono::microseconds(rng() % 500));
        }
        EXPECT_TRUE(player.Stop());
        EXPECT_FALSE(player.IsPlaying());
        // Stop is final: the UI thread may change the workspace right away.
        workspace.CopyRange(0, 10);
    }
}

TEST_F(PlayerStorm, OnTheTestDeviceThread) {
    LoadTestPlugin("doubler.so");
    LoadTestPlugin("passthrough.so");
    ASSERT_TRUE(OpenPlayer());
    Device().StartDeviceThread();
    Storm(player, 300);
    ASSERT_TRUE(player.Close());
}

TEST_F(PlayerStorm, OnTheSoundCard) {
    AlsaTestDevice alsa(dir.Path().string(), false);
    LoadTestPlugin("passthrough.so");
    auto output = platform::MakeSystemAudioOutput();
    WavePlayer real(&host, *output);
    ASSERT_TRUE(real.Open(2048, 16, 2, 44100, 16))
        << "PortAudio cannot open the test's ALSA null device (code " << real.LastError() << ")";
    Storm(real, 200);
    ASSERT_TRUE(real.Close());
}

}  // namespace
