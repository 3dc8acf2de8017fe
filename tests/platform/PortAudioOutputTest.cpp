// The real output queue on PortAudio, with ALSA's default device pointed at its "file" plug-in
// over a null device: callbacks run as fast as the machine allows and every byte the queue
// plays lands in a file we can read back.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

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

    // Bytes the device has played so far: the test device writes every callback's bytes.
    uintmax_t CapturedBytes() const {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(capture, error);
        return error ? 0 : size;
    }

    void Queue(size_t first, size_t count) {
        for (size_t i = first; i < first + count; ++i) {
            ASSERT_EQ(queue->Prepare(buffers[i]), platform::kAudioOk);
            ASSERT_EQ(queue->Write(buffers[i]), platform::kAudioOk);
        }
    }

    // Queued while paused, then released at once: the test device is not paced, so a test
    // thread that lost the processor between two writes would otherwise hear silence between
    // them (a real device's callback waits a whole period).
    void QueueTogether(size_t first, size_t count) {
        ASSERT_EQ(queue->Pause(), platform::kAudioOk);
        Queue(first, count);
        ASSERT_EQ(queue->Restart(), platform::kAudioOk);
    }

    // Longer than the queue keeps an idle stream running.
    static constexpr auto kPastTheLinger = std::chrono::milliseconds(700);

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
    QueueTogether(0, 40);
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

// The test device is not paced: a running stream writes silence to the capture as fast as the
// machine allows, so a capture that stops growing means no callback runs.
TEST_F(CapturedOutput, IdleQueueRunsNoCallbackAndPlaysAgainFromTheFirstByte) {
    // The test configured the device itself, so it must open: a skip would pass for success.
    ASSERT_TRUE(OpenQueue()) << "PortAudio cannot open the test's ALSA file device";
    MakeBuffers(12);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CapturedBytes(), 0u) << "an opened queue with nothing queued plays nothing";

    QueueTogether(0, 6);
    ASSERT_TRUE(WaitForCompletions(6));
    std::this_thread::sleep_for(kPastTheLinger);
    const uintmax_t afterFirst = CapturedBytes();
    EXPECT_GE(afterFirst, 6u * 2048);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CapturedBytes(), afterFirst) << "the stream runs on after the last buffer played";

    QueueTogether(6, 6);
    ASSERT_TRUE(WaitForCompletions(12));
    std::this_thread::sleep_for(kPastTheLinger);
    const uintmax_t afterSecond = CapturedBytes();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CapturedBytes(), afterSecond);
    ASSERT_EQ(queue->Close(), platform::kAudioOk);
    queue.reset();

    // Each batch arrives whole and in order, with nothing but silence around it.
    const std::vector<uint8_t> played = ReadBytes(capture);
    auto at = played.begin();
    for (size_t batch = 0; batch < 2; ++batch) {
        std::vector<uint8_t> expected;
        for (size_t i = batch * 6; i < batch * 6 + 6; ++i) {
            expected.insert(expected.end(), storage[i].begin(), storage[i].end());
        }
        const auto first = std::find_if(at, played.end(), [](uint8_t b) { return b; });
        ASSERT_GE(static_cast<size_t>(played.end() - first), expected.size()) << "batch " << batch;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), first)) << "batch " << batch;
        at = first + static_cast<long>(expected.size());
    }
    EXPECT_TRUE(std::all_of(at, played.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(CapturedOutput, ResetLeavesTheStreamStopped) {
    // The test configured the device itself, so it must open: a skip would pass for success.
    ASSERT_TRUE(OpenQueue()) << "PortAudio cannot open the test's ALSA file device";
    MakeBuffers(16);
    ASSERT_EQ(queue->Pause(), platform::kAudioOk);
    Queue(0, 16);
    ASSERT_EQ(queue->Reset(), platform::kAudioOk);
    std::this_thread::sleep_for(kPastTheLinger);
    const uintmax_t afterReset = CapturedBytes();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(CapturedBytes(), afterReset) << "a paused stream emptied by Reset keeps running";
    ASSERT_EQ(queue->Restart(), platform::kAudioOk);
    ASSERT_EQ(queue->Close(), platform::kAudioOk);
}

}  // namespace
