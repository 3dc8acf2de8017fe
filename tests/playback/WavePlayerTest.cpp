#include "playback/WavePlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "playback/PlayerFixture.h"

using namespace testing_support;

namespace {

struct RangeCase {
    const char* name;
    uint32_t start;
    uint32_t end;
    bool playReturns;  // true: more blocks than the ring holds
    uint32_t blocks;   // blocks queued in all
};

class WavePlayerRanges : public PlayerFixture {};

TEST_F(WavePlayerRanges, EachRangePlaysWholeBlocksWithSilenceAfterItsEnd) {
    const RangeCase cases[] = {
        {"empty range: one silent block", 700, 700, false, 1},
        {"shorter than a block", 100, 300, false, 1},
        {"exactly 16 blocks", 0, 16 * kBlock, false, 16},
        {"17 blocks", 0, 17 * kBlock, true, 17},
        {"ends inside the 18th block", 5, 17 * kBlock + 105, true, 18},
        {"40 blocks from an odd start", 77, 77 + 40 * kBlock, true, 40},
        {"runs past the workspace end", 38 * kBlock, 45 * kBlock, false, 7},
    };
    ASSERT_TRUE(OpenPlayer());
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(player.Stop());
        const size_t writtenBefore = Device().Written().size();
        EXPECT_EQ(player.Play(c.start, c.end), c.playReturns);
        EXPECT_EQ(player.IsPlaying(), c.playReturns);
        // Played buffers come back one by one; each is refilled until the range is done.
        uint32_t refills = 0;
        while (Device().CompleteNext()) {
            ++refills;
        }
        EXPECT_FALSE(player.IsPlaying());
        const auto written = Device().Written();
        ASSERT_EQ(written.size() - writtenBefore, c.blocks);
        std::vector<uint8_t> bytes;
        for (size_t i = writtenBefore; i < written.size(); ++i) {
            bytes.insert(bytes.end(), written[i].begin(), written[i].end());
        }
        EXPECT_EQ(bytes, Expected(c.start, std::min(c.end, workspace.TotalLength()), c.blocks));
        EXPECT_EQ(refills, c.blocks);
    }
}

TEST_F(WavePlayerRanges, IsPlayingEndsWithTheCallbackThatQueuesTheLastBlock) {
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(0, 17 * kBlock));
    EXPECT_EQ(Device().QueuedCount(), 16u);
    EXPECT_TRUE(player.IsPlaying());
    ASSERT_TRUE(Device().CompleteNext());  // queues block 17, the last
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(Device().QueuedCount(), 16u);
    EXPECT_EQ(Device().CompleteAll(), 16);
    EXPECT_EQ(Device().Written().size(), 17u) << "completions after the end queue nothing";
}

TEST_F(WavePlayerRanges, ByteExactOverSeveralSegmentsAndThroughAnEffect) {
    // An edited workspace: blocks straddle segment boundaries and deleted frames.
    workspace.DeleteRange(1000, 3000);
    workspace.CopyRange(100, 1100);
    workspace.PasteAt(9000);
    workspace.DeleteRange(4000, 4001);
    const uint32_t length = workspace.TotalLength();
    const uint32_t blocks = (length + kBlock - 1) / kBlock;
    ASSERT_TRUE(OpenPlayer());

    ASSERT_TRUE(player.Play(0, length));
    Device().CompleteAll();
    EXPECT_EQ(Device().WrittenBytes(), Expected(0, length, blocks));

    LoadTestPlugin("passthrough.so");
    ASSERT_TRUE(player.Stop());
    const size_t before = Device().WrittenBytes().size();
    ASSERT_TRUE(player.Play(0, length));
    Device().CompleteAll();
    const auto all = Device().WrittenBytes();
    EXPECT_EQ(std::vector<uint8_t>(all.begin() + static_cast<long>(before), all.end()),
              Expected(0, length, blocks))
        << "the passthrough effect is bit-exact";
}

class WavePlayerTransport : public PlayerFixture {};

TEST_F(WavePlayerTransport, PlayWhileStreamingChangesNothing) {
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(0, 30 * kBlock));
    EXPECT_FALSE(player.Play(5 * kBlock, 6 * kBlock));
    Device().CompleteAll();
    EXPECT_EQ(Device().WrittenBytes(), Expected(0, 30 * kBlock, 30))
        << "the second Play moved neither the cursor nor the range";
}

TEST_F(WavePlayerTransport, StopHandsEveryBufferBackAndRefillsNone) {
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(0, 30 * kBlock));
    Device().CompleteNext();
    Device().CompleteNext();
    ASSERT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(Device().QueuedCount(), 0u);
    EXPECT_EQ(Device().CompletionsDelivered(), 18) << "2 played, 16 handed back by the reset";
    EXPECT_EQ(Device().Written().size(), 18u) << "nothing queued after the reset";

    // The UI may edit the workspace now; the next Play starts at its own start.
    workspace.DeleteRange(0, kBlock);
    ASSERT_TRUE(player.Play(2 * kBlock, 30 * kBlock));
    const auto written = Device().Written();
    const auto expected = Expected(2 * kBlock, 3 * kBlock, 1);
    EXPECT_EQ(written[18], expected);
}

TEST_F(WavePlayerTransport, PauseHoldsTheDeviceAndResumeContinuesInOrder) {
    ASSERT_TRUE(OpenPlayer());
    EXPECT_FALSE(player.Pause()) << "nothing to pause in Idle";
    ASSERT_TRUE(player.Play(0, 30 * kBlock));
    Device().CompleteNext();
    ASSERT_TRUE(player.Pause());
    EXPECT_TRUE(player.IsPaused());
    EXPECT_FALSE(Device().CompleteNext()) << "a paused device hands nothing back";
    ASSERT_TRUE(player.Resume());
    EXPECT_FALSE(player.IsPaused());
    Device().CompleteAll();
    EXPECT_EQ(Device().WrittenBytes(), Expected(0, 30 * kBlock, 30));

    ASSERT_TRUE(player.Play(0, 16 * kBlock) == false);  // fits the ring: Draining
    EXPECT_FALSE(player.Pause()) << "a range that fits in the ring cannot be paused";
}

TEST_F(WavePlayerTransport, PausedStaysSetAfterStopUntilTheNextPlayback) {
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(0, 30 * kBlock));
    ASSERT_TRUE(player.Pause());
    ASSERT_TRUE(player.Stop());
    EXPECT_TRUE(player.IsPaused());
    EXPECT_TRUE(Device().IsPaused());
    EXPECT_FALSE(player.Play(0, kBlock)) << "Draining, not Streaming";
    EXPECT_TRUE(player.IsPaused());
    ASSERT_TRUE(player.Stop());
    ASSERT_TRUE(player.Play(0, 30 * kBlock));
    EXPECT_FALSE(player.IsPaused());
    EXPECT_FALSE(Device().IsPaused()) << "Play restarts a device left paused";
}

class WavePlayerDevice : public PlayerFixture {};

TEST_F(WavePlayerDevice, OpenWithZerosUsesTheDefaults) {
    ASSERT_TRUE(player.Open(0, 0, 2, 44100, 16));
    EXPECT_EQ(player.BufferBytes(), 2048u) << "one host block: 512 frames of 4 bytes";
    EXPECT_EQ(player.BufferCount(), 16u);
    EXPECT_EQ(device.LastFormat().channels, 2u);
    EXPECT_EQ(device.LastFormat().sampleRate, 44100u);
    EXPECT_EQ(device.LastFormat().bitsPerSample, 16u);
    EXPECT_FALSE(player.Open(2048, 16, 2, 44100, 16)) << "already open";
}

TEST_F(WavePlayerDevice, FailedOpenLeavesAClosedPlayer) {
    device.FailCall(AudioOp::Open, platform::kAudioAllocated);
    EXPECT_FALSE(OpenPlayer());
    EXPECT_EQ(player.LastError(), platform::kAudioAllocated);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_FALSE(player.Play(0, 100));
    EXPECT_FALSE(player.Stop());
    EXPECT_FALSE(player.Pause());
    EXPECT_FALSE(player.Resume());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.IsPaused());
    EXPECT_TRUE(OpenPlayer()) << "the owner may try again";
    EXPECT_EQ(player.LastError(), 0u);
}

TEST_F(WavePlayerDevice, FailuresDuringPrimingLeaveWhatIsQueuedToPlayOut) {
    struct Failure {
        AudioOp op;
        int nth;
        platform::AudioResult code;
        size_t queued;
    } cases[] = {
        {AudioOp::Prepare, 3, platform::kAudioNoMemory, 2},
        {AudioOp::Write, 5, platform::kAudioInvalidHandle, 4},
        {AudioOp::Write, 1, platform::kAudioError, 0},
    };
    ASSERT_TRUE(OpenPlayer());
    for (const Failure& f : cases) {
        ASSERT_TRUE(player.Stop());
        const size_t before = Device().Written().size();
        device.FailCall(f.op, f.code, f.nth);
        EXPECT_FALSE(player.Play(0, 30 * kBlock));
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_EQ(player.LastError(), f.code);
        EXPECT_EQ(Device().Written().size() - before, f.queued);
        Device().CompleteAll();
        EXPECT_EQ(Device().Written().size() - before, f.queued) << "nothing is refilled";
    }
}

TEST_F(WavePlayerDevice, CloseNeverFreesABufferTheDeviceHolds) {
    ASSERT_TRUE(OpenPlayer());
    EXPECT_FALSE(player.Play(0, 10 * kBlock));  // Draining: ten buffers still queued
    EXPECT_EQ(Device().QueuedCount(), 10u);
    FakeAudioQueue* queue = &Device();
    EXPECT_EQ(queue->ResetCalls(), 0);
    ASSERT_TRUE(player.Close());
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(device.LastQueue(), nullptr) << "the queue was closed and released";
}

TEST_F(WavePlayerDevice, FailedCloseKeepsThePlayerOpen) {
    ASSERT_TRUE(OpenPlayer());
    device.FailCall(AudioOp::Close, platform::kAudioError);
    EXPECT_FALSE(player.Close());
    EXPECT_TRUE(player.IsOpen());
    EXPECT_EQ(player.LastError(), platform::kAudioError);
    EXPECT_FALSE(player.Play(0, 30 * kBlock)) << "the ring is gone: nothing to play with";
    EXPECT_TRUE(player.Close());
}

}  // namespace

namespace {

// A natural end, then Play again while the device has handed the last buffer back but its
// completion is still on the way: the new playback must use that buffer only after the late
// completion, or the completion refills it a second time and a block goes missing.
TEST_F(WavePlayerRanges, PlayAfterANaturalEndWaitsForACompletionInFlight) {
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(0, 20 * kBlock));
    ASSERT_EQ(Device().CompleteAll(19), 19);
    ASSERT_FALSE(player.IsPlaying()) << "the range has ended";
    ASSERT_TRUE(Device().CompleteNextLater());
    ASSERT_EQ(Device().QueuedCount(), 0u);
    const size_t writtenBefore = Device().Written().size();

    std::atomic<bool> returned{false};
    std::thread second([&] {
        EXPECT_TRUE(player.Play(0, 20 * kBlock));
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(returned.load()) << "Play went ahead of the completion in flight";
    EXPECT_EQ(Device().DeliverHeld(), 1);
    second.join();
    Device().CompleteAll();

    const auto written = Device().Written();
    ASSERT_EQ(written.size() - writtenBefore, 20u) << "every block once, none refused";
    std::vector<uint8_t> bytes;
    for (size_t i = writtenBefore; i < written.size(); ++i) {
        bytes.insert(bytes.end(), written[i].begin(), written[i].end());
    }
    EXPECT_EQ(bytes, Expected(0, 20 * kBlock, 20)) << "blocks 1 to 20 in order";
}

class WavePlayerPosition : public PlayerFixture {};

// The refills run a whole ring ahead; the position follows only what the device has played.
TEST_F(WavePlayerPosition, PlayingFrameFollowsThePlayedBytesNotTheRefills) {
    ASSERT_TRUE(OpenPlayer());
    EXPECT_EQ(player.PlayingFrame(), -1) << "nothing played yet";
    ASSERT_TRUE(player.Play(100, 100 + 30 * kBlock));
    EXPECT_EQ(player.PlayingFrame(), 100);
    Device().CompleteNext();
    EXPECT_EQ(player.PlayingFrame(), 100 + kBlock);
    for (int i = 0; i < 4; ++i) {
        Device().CompleteNext();
    }
    EXPECT_EQ(player.PlayingFrame(), 100 + 5 * kBlock);
    Device().CompleteAll();
    EXPECT_EQ(player.PlayingFrame(), -1) << "played to its end";

    // A second playback counts from its own start, though the device's count goes on.
    ASSERT_TRUE(player.Play(0, 20 * kBlock));
    Device().CompleteNext();
    EXPECT_EQ(player.PlayingFrame(), kBlock);
    player.Stop();
    EXPECT_EQ(player.PlayingFrame(), -1) << "after Stop";
}

TEST_F(WavePlayerPosition, APausedPlaybackKeepsItsPlace) {
    ASSERT_TRUE(OpenPlayer());
    ASSERT_TRUE(player.Play(kBlock, 30 * kBlock));
    ASSERT_TRUE(player.Pause());
    EXPECT_FALSE(Device().CompleteNext());
    EXPECT_EQ(player.PlayingFrame(), kBlock);
    ASSERT_TRUE(player.Resume());
    for (int i = 0; i < 2; ++i) {
        Device().CompleteNext();
    }
    EXPECT_EQ(player.PlayingFrame(), 3 * kBlock) << "two blocks played after the pause";
    player.Stop();
}

TEST_F(WavePlayerPosition, AFileShownAlonePlaysByItselfAndTheWorkspaceAfterwards) {
    const std::string other = dir.File("other.wav");
    WriteWav(other, MakeFrames(2, 3 * kBlock));
    ASSERT_TRUE(workspace.AddFile(other.c_str()));
    ASSERT_TRUE(OpenPlayer());
    host.SetSource(1);
    player.Play(kBlock, 3 * kBlock);  // fits the ring
    Device().CompleteAll();
    std::vector<uint8_t> expected(2 * kBlock * 4);
    uint32_t got = 0;
    ASSERT_TRUE(workspace.ReadFileFrames(1, expected.data(), 2 * kBlock, got, kBlock));
    EXPECT_EQ(Device().WrittenBytes(), expected);

    // Past the file's end nothing is read, not the workspace's frames.
    const size_t before = Device().WrittenBytes().size();
    player.Play(3 * kBlock, 5 * kBlock);
    Device().CompleteAll();
    const auto after = Device().WrittenBytes();
    EXPECT_TRUE(
        std::all_of(after.begin() + long(before), after.end(), [](uint8_t b) { return b == 0; }));

    host.SetSource(-1);
    const size_t mark = after.size();
    player.Play(0, kBlock);
    Device().CompleteAll();
    const auto workspaceBytes = Device().WrittenBytes();
    EXPECT_EQ(std::vector<uint8_t>(workspaceBytes.begin() + long(mark), workspaceBytes.end()),
              Expected(0, kBlock, 1));
}

}  // namespace
