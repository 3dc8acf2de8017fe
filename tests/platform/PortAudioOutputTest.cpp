// The real output queue on PortAudio, with ALSA's default device pointed at its "file" plug-in
// over a null device: callbacks run as fast as the machine allows and every byte the queue
// plays lands in a file we can read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/AudioOutput.h"
#include "support/AlsaTestDevice.h"
#include "support/TestWav.h"

using namespace testing_support;
using platform::AudioBuffer;

namespace {

class CapturedOutput : public ::testing::Test {
protected:
    void SetUp() override {
        capture = AlsaTestDevice(dir.Path().string(), true).CapturePath();
        output = platform::MakeSystemAudioOutput();
    }

    // False when PortAudio cannot open the device at all.
    bool OpenQueue() {
        const auto result = output->Open(
            platform::PcmFormat{2, 44100, 16},
            [this](AudioBuffer* b) {
                std::lock_guard lock(mutex);
                completed.push_back(b);
                changed.notify_all();
            },
            queue);
        return result == platform::kAudioOk;
    }

    bool WaitForCompletions(size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20),
                                [&] { return completed.size() >= count; });
    }

    void MakeBuffers(size_t count) {
        storage.assign(count, std::vector<uint8_t>(2048));
        buffers = std::vector<AudioBuffer>(count);
        for (size_t i = 0; i < count; ++i) {
            for (size_t j = 0; j < 2048; ++j) {
                storage[i][j] = static_cast<uint8_t>(1 + (i * 7 + j) % 251);
            }
            buffers[i].data = storage[i].data();
            buffers[i].length = 2048;
        }
    }

    TempDir dir;
    std::string capture;
    std::unique_ptr<platform::AudioOutput> output;
    std::unique_ptr<platform::AudioOutputQueue> queue;
    std::vector<std::vector<uint8_t>> storage;
    std::vector<AudioBuffer> buffers;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<AudioBuffer*> completed;
};

TEST_F(CapturedOutput, PlaysQueuedBuffersInOrderAndHandsThemBack) {
    // The test configured the device itself, so it must open: a skip would pass for success.
    ASSERT_TRUE(OpenQueue()) << "PortAudio cannot open the test's ALSA file device";
    MakeBuffers(40);
    AudioBuffer unprepared;
    EXPECT_EQ(queue->Write(unprepared), platform::kAudioUnprepared);
    for (AudioBuffer& b : buffers) {
        ASSERT_EQ(queue->Prepare(b), platform::kAudioOk);
        ASSERT_EQ(queue->Write(b), platform::kAudioOk);
    }
    ASSERT_TRUE(WaitForCompletions(40));
    {
        std::lock_guard lock(mutex);
        for (size_t i = 0; i < 40; ++i) {
            ASSERT_EQ(completed[i], &buffers[i]) << "completion " << i << " out of order";
            EXPECT_FALSE(buffers[i].IsQueued());
        }
    }
    ASSERT_EQ(queue->Close(), platform::kAudioOk);
    queue.reset();

    std::vector<uint8_t> played = ReadBytes(capture);
    std::vector<uint8_t> expected;
    for (const auto& s : storage) {
        expected.insert(expected.end(), s.begin(), s.end());
    }
    // The device starts with silence of its own; after it come exactly our bytes, then silence.
    const auto first = std::find_if(played.begin(), played.end(), [](uint8_t b) { return b; });
    ASSERT_GE(static_cast<size_t>(played.end() - first), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first));
    EXPECT_TRUE(std::all_of(first + static_cast<long>(expected.size()), played.end(),
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(CapturedOutput, PausedQueueHoldsItsBuffersAndResetHandsThemAllBack) {
    // The test configured the device itself, so it must open: a skip would pass for success.
    ASSERT_TRUE(OpenQueue()) << "PortAudio cannot open the test's ALSA file device";
    MakeBuffers(16);
    ASSERT_EQ(queue->Pause(), platform::kAudioOk);
    for (AudioBuffer& b : buffers) {
        ASSERT_EQ(queue->Prepare(b), platform::kAudioOk);
        ASSERT_EQ(queue->Write(b), platform::kAudioOk);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(completed.empty()) << "a paused device hands nothing back";
    }
    EXPECT_EQ(queue->Close(), platform::kAudioStillPlaying);
    EXPECT_EQ(queue->Unprepare(buffers[3]), platform::kAudioStillPlaying);
    ASSERT_EQ(queue->Reset(), platform::kAudioOk);
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(completed.size(), 16u) << "Reset returns after every completion";
        for (size_t i = 0; i < 16; ++i) {
            EXPECT_EQ(completed[i], &buffers[i]);
        }
    }
    EXPECT_EQ(queue->Unprepare(buffers[3]), platform::kAudioOk);
    ASSERT_EQ(queue->Restart(), platform::kAudioOk);
    ASSERT_EQ(queue->Close(), platform::kAudioOk);
    EXPECT_EQ(queue->Write(buffers[0]), platform::kAudioInvalidHandle);
    queue.reset();
    const std::vector<uint8_t> played = ReadBytes(capture);
    EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](uint8_t b) { return b == 0; }))
        << "nothing queued while paused was played";
}

}  // namespace
