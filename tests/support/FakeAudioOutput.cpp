#include "support/FakeAudioOutput.h"

#include <chrono>

using platform::AudioBuffer;
using platform::AudioResult;
namespace rules = platform::buffer_rules;

namespace testing_support {

void FakeAudioOutput::FailCall(AudioOp op, AudioResult code, int nth) {
    std::lock_guard lock(mutex_);
    failures_[op] = {nth, code};
}

void FakeAudioOutput::FailNextCalls(AudioOp op, AudioResult code, int count) {
    std::lock_guard lock(mutex_);
    repeatedFailures_[op] = {count, code};
}

AudioResult FakeAudioOutput::Injected(AudioOp op) {
    std::lock_guard lock(mutex_);
    auto repeated = repeatedFailures_.find(op);
    if (repeated != repeatedFailures_.end() && repeated->second.first > 0) {
        --repeated->second.first;
        return repeated->second.second;
    }
    auto it = failures_.find(op);
    if (it == failures_.end() || --it->second.first > 0) {
        return platform::kAudioOk;
    }
    const AudioResult code = it->second.second;
    failures_.erase(it);
    return code;
}

AudioResult FakeAudioOutput::Open(const platform::PcmFormat& format,
                                  platform::AudioOutputQueue::Completion completion,
                                  std::unique_ptr<platform::AudioOutputQueue>& queue) {
    ++openCalls_;
    format_ = format;
    if (const AudioResult failed = Injected(AudioOp::Open)) {
        return failed;
    }
    auto opened = std::make_unique<FakeAudioQueue>(*this, std::move(completion));
    last_ = opened.get();
    queue = std::move(opened);
    return platform::kAudioOk;
}

FakeAudioQueue::FakeAudioQueue(FakeAudioOutput& device, Completion completion)
    : device_(device), completion_(std::move(completion)) {}

FakeAudioQueue::~FakeAudioQueue() {
    {
        std::lock_guard lock(mutex_);
        stopThread_ = true;
    }
    if (deviceThread_.joinable()) {
        deviceThread_.join();
    }
    if (device_.last_ == this) {
        device_.last_ = nullptr;
    }
}

AudioResult FakeAudioQueue::Checked(AudioOp op) {
    if (IsClosed()) {
        return platform::kAudioInvalidHandle;
    }
    return device_.Injected(op);
}

AudioResult FakeAudioQueue::Prepare(AudioBuffer& buffer) {
    if (const AudioResult failed = Checked(AudioOp::Prepare)) {
        return failed;
    }
    return rules::Prepare(buffer);
}

AudioResult FakeAudioQueue::Unprepare(AudioBuffer& buffer) {
    if (const AudioResult failed = Checked(AudioOp::Unprepare)) {
        return failed;
    }
    return rules::Unprepare(buffer);
}

AudioResult FakeAudioQueue::Write(AudioBuffer& buffer) {
    if (const AudioResult failed = Checked(AudioOp::Write)) {
        return failed;
    }
    std::lock_guard lock(mutex_);
    if (const AudioResult refused = rules::AdmitWrite(buffer)) {
        return refused;
    }
    queued_.push_back(&buffer);
    written_.emplace_back(buffer.data, buffer.data + buffer.length);
    return platform::kAudioOk;
}

AudioResult FakeAudioQueue::Pause() {
    if (const AudioResult failed = Checked(AudioOp::Pause)) {
        return failed;
    }
    std::lock_guard lock(mutex_);
    paused_ = true;
    return platform::kAudioOk;
}

AudioResult FakeAudioQueue::Restart() {
    if (const AudioResult failed = Checked(AudioOp::Restart)) {
        return failed;
    }
    std::lock_guard lock(mutex_);
    paused_ = false;
    return platform::kAudioOk;
}

AudioResult FakeAudioQueue::Reset() {
    if (const AudioResult failed = Checked(AudioOp::Reset)) {
        return failed;
    }
    std::lock_guard delivery(deliveryMutex_);
    std::deque<AudioBuffer*> returned;
    {
        std::lock_guard lock(mutex_);
        ++resetCalls_;
        returned.swap(queued_);
        for (AudioBuffer* b : returned) {
            rules::MarkHandedBack(*b);
        }
    }
    for (AudioBuffer* b : returned) {
        completion_(b);
        std::lock_guard lock(mutex_);
        ++delivered_;
    }
    return platform::kAudioOk;
}

AudioResult FakeAudioQueue::Close() {
    if (const AudioResult failed = Checked(AudioOp::Close)) {
        return failed;
    }
    {
        std::lock_guard lock(mutex_);
        if (!queued_.empty()) {
            return platform::kAudioStillPlaying;
        }
        closed_ = true;
        stopThread_ = true;
    }
    if (deviceThread_.joinable() && deviceThread_.get_id() != std::this_thread::get_id()) {
        deviceThread_.join();
    }
    return platform::kAudioOk;
}

bool FakeAudioQueue::CompleteNext() {
    std::lock_guard delivery(deliveryMutex_);
    AudioBuffer* buffer = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (queued_.empty() || paused_) {
            return false;
        }
        buffer = queued_.front();
        queued_.pop_front();
        playedBytes_ += buffer->length;
        rules::MarkHandedBack(*buffer);
    }
    completion_(buffer);
    std::lock_guard lock(mutex_);
    ++delivered_;
    return true;
}

int FakeAudioQueue::CompleteAll(int limit) {
    int count = 0;
    while (count < limit && CompleteNext()) {
        ++count;
    }
    return count;
}

void FakeAudioQueue::StartDeviceThread() {
    deviceThread_ = std::thread([this] {
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (stopThread_) {
                    return;
                }
            }
            if (!CompleteNext()) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        }
    });
}

size_t FakeAudioQueue::QueuedCount() const {
    std::lock_guard lock(mutex_);
    return queued_.size();
}

bool FakeAudioQueue::IsPaused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

bool FakeAudioQueue::IsClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::vector<std::vector<uint8_t>> FakeAudioQueue::Written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

std::vector<uint8_t> FakeAudioQueue::WrittenBytes() const {
    std::vector<uint8_t> all;
    for (const auto& b : Written()) {
        all.insert(all.end(), b.begin(), b.end());
    }
    return all;
}

uint64_t FakeAudioQueue::PlayedBytes() const {
    std::lock_guard lock(mutex_);
    return playedBytes_;
}

int FakeAudioQueue::ResetCalls() const {
    std::lock_guard lock(mutex_);
    return resetCalls_;
}

int FakeAudioQueue::CompletionsDelivered() const {
    std::lock_guard lock(mutex_);
    return delivered_;
}

}  // namespace testing_support
