#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"

namespace testing_support {

/// The operations of an output device that a test can make fail.
enum class AudioOp { Open, Prepare, Unprepare, Write, Pause, Restart, Reset, Close };

class FakeAudioQueue;

/// A deterministic output device: the test decides when each queued buffer completes, every
/// written buffer's bytes are recorded, and any operation can be made to fail with a code.
class FakeAudioOutput final : public platform::AudioOutput {
public:
    /// The nth next call of `op` (1 = the very next) fails with `code`, once.
    void FailCall(AudioOp op, platform::AudioResult code, int nth = 1);
    /// The next `count` calls of `op` all fail with `code`.
    void FailNextCalls(AudioOp op, platform::AudioResult code, int count);

    platform::AudioResult Open(const platform::PcmFormat& format,
                               platform::AudioOutputQueue::Completion completion,
                               std::unique_ptr<platform::AudioOutputQueue>& queue) override;

    /// The queue of the latest successful Open (owned by whoever opened it), or nullptr.
    FakeAudioQueue* LastQueue() const { return last_; }
    const platform::PcmFormat& LastFormat() const { return format_; }
    int OpenCalls() const { return openCalls_; }

private:
    friend class FakeAudioQueue;
    platform::AudioResult Injected(AudioOp op);

    std::mutex mutex_;
    std::map<AudioOp, std::pair<int, platform::AudioResult>> failures_;
    std::map<AudioOp, std::pair<int, platform::AudioResult>> repeatedFailures_;
    FakeAudioQueue* last_ = nullptr;
    platform::PcmFormat format_;
    int openCalls_ = 0;
};

class FakeAudioQueue final : public platform::AudioOutputQueue {
public:
    FakeAudioQueue(FakeAudioOutput& device, Completion completion);
    ~FakeAudioQueue() override;

    platform::AudioResult Prepare(platform::AudioBuffer& buffer) override;
    platform::AudioResult Unprepare(platform::AudioBuffer& buffer) override;
    platform::AudioResult Write(platform::AudioBuffer& buffer) override;
    platform::AudioResult Pause() override;
    platform::AudioResult Restart() override;
    platform::AudioResult Reset() override;
    platform::AudioResult Close() override;
    /// The bytes of the buffers completed so far: the device plays a buffer whole, at once.
    uint64_t PlayedBytes() const override;

    /// Plays the oldest queued buffer to its end and hands it back, calling the completion on
    /// this thread. False when nothing is queued or the device is paused.
    bool CompleteNext();
    /// Completes buffers until none is queued (or paused); returns how many.
    int CompleteAll(int limit = 1'000'000);
    /// Runs a device thread of the queue's own that completes buffers as they come.
    void StartDeviceThread();

    size_t QueuedCount() const;
    bool IsPaused() const;
    bool IsClosed() const;
    /// Every buffer written, as its bytes were when written, in write order.
    std::vector<std::vector<uint8_t>> Written() const;
    /// The written buffers' bytes, concatenated.
    std::vector<uint8_t> WrittenBytes() const;
    int ResetCalls() const;
    int CompletionsDelivered() const;

private:
    platform::AudioResult Checked(AudioOp op);

    FakeAudioOutput& device_;
    const Completion completion_;
    mutable std::mutex mutex_;
    std::mutex deliveryMutex_;  // completions are delivered one at a time, in order
    std::deque<platform::AudioBuffer*> queued_;
    std::vector<std::vector<uint8_t>> written_;
    bool paused_ = false;
    bool closed_ = false;
    int resetCalls_ = 0;
    int delivered_ = 0;
    uint64_t playedBytes_ = 0;
    bool stopThread_ = false;
    std::thread deviceThread_;
};

}  // namespace testing_support
