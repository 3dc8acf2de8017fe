// The sound card's default output device through PortAudio, in callback mode.
//
// Three threads meet here. Callers (the UI thread and the completion thread) queue buffers;
// PortAudio's real-time thread copies queued bytes to the device and hands finished buffers
// to the completion thread through a lock-free ring; the completion thread calls the owner.
// The real-time callback never locks, allocates, logs or calls the owner.

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/AudioOutput.h"
#include "platform/SpscRing.h"

namespace platform {
namespace {

constexpr size_t kRingCapacity = 512;  // more than any player queues at once

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

AudioResult ResultOf(PaError error) {
    switch (error) {
        case paNoError:
            return kAudioOk;
        case paInvalidDevice:
        case paDeviceUnavailable:
            return kAudioAllocated;
        case paInsufficientMemory:
            return kAudioNoMemory;
        case paInvalidChannelCount:
        case paInvalidSampleRate:
        case paSampleFormatNotSupported:
            return kAudioBadFormat;
        default:
            return kAudioError;
    }
}

class PortAudioQueue final : public AudioOutputQueue {
public:
    PortAudioQueue(uint32_t bytesPerFrame, Completion completion)
        : bytesPerFrame_(bytesPerFrame), completion_(std::move(completion)) {}

    ~PortAudioQueue() override {
        if (stream_ != nullptr) {
            Reset();
            Close();
        }
    }

    AudioResult Start(PaStream* stream) {
        stream_ = stream;
        completionThread_ = std::thread([this] { DeliverCompletions(); });
        const PaError started = Pa_StartStream(stream_);
        if (started != paNoError) {
            ShutDown();
        }
        return ResultOf(started);
    }

    AudioResult Prepare(AudioBuffer& buffer) override {
        return stream_ == nullptr ? kAudioInvalidHandle : buffer_rules::Prepare(buffer);
    }

    AudioResult Unprepare(AudioBuffer& buffer) override {
        return stream_ == nullptr ? kAudioInvalidHandle : buffer_rules::Unprepare(buffer);
    }

    AudioResult Write(AudioBuffer& buffer) override {
        if (stream_ == nullptr) {
            return kAudioInvalidHandle;
        }
        std::lock_guard producer(writeMutex_);  // two threads may write; the ring takes one
        const AudioResult admitted = buffer_rules::AdmitWrite(buffer);
        if (admitted != kAudioOk) {
            return admitted;
        }
        queued_.fetch_add(1, std::memory_order_acq_rel);
        if (!toPlay_.Push(&buffer)) {
            queued_.fetch_sub(1, std::memory_order_acq_rel);
            buffer_rules::MarkHandedBack(buffer);
            return kAudioNoMemory;
        }
        return kAudioOk;
    }

    AudioResult Pause() override {
        if (stream_ == nullptr) {
            return kAudioInvalidHandle;
        }
        paused_.store(true, std::memory_order_release);
        return kAudioOk;
    }

    AudioResult Restart() override {
        if (stream_ == nullptr) {
            return kAudioInvalidHandle;
        }
        paused_.store(false, std::memory_order_release);
        return kAudioOk;
    }

    AudioResult Reset() override {
        if (stream_ == nullptr) {
            return kAudioInvalidHandle;
        }
        std::unique_lock producer(writeMutex_);
        // Ask the real-time thread to hand back everything it holds; if it does not run (the
        // stream stalled or stopped), stop the stream and do it here instead.
        const uint32_t request = resetRequest_.fetch_add(1, std::memory_order_acq_rel) + 1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (resetAck_.load(std::memory_order_acquire) != request &&
               std::chrono::steady_clock::now() < deadline && Pa_IsStreamActive(stream_) == 1) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (resetAck_.load(std::memory_order_acquire) != request) {
            Pa_AbortStream(stream_);
            HandBackEverything();
            resetAck_.store(request, std::memory_order_release);
            Pa_StartStream(stream_);
        }
        producer.unlock();  // the owner may queue again from its completion callback
        // Return only when the owner has seen every buffer come back. A paused device stays
        // paused: the next playback primes it and restarts it.
        const uint64_t handedBack = handedBack_.load(std::memory_order_acquire);
        std::unique_lock lock(deliveredMutex_);
        deliveredChanged_.wait(lock, [&] { return delivered_ >= handedBack; });
        return kAudioOk;
    }

    AudioResult Close() override {
        if (stream_ == nullptr) {
            return kAudioInvalidHandle;
        }
        if (queued_.load(std::memory_order_acquire) != 0) {
            return kAudioStillPlaying;
        }
        const PaError closed = ShutDown();
        return ResultOf(closed);
    }

    uint64_t PlayedBytes() const override { return playedTotal_.load(std::memory_order_acquire); }

    static int Callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        static_cast<PortAudioQueue*>(self)->Fill(static_cast<uint8_t*>(output), frames);
        return paContinue;
    }

private:
    // Real-time thread: copy queued bytes into the device's buffer, silence for the rest.
    void Fill(uint8_t* out, size_t frames) noexcept {
        size_t need = frames * bytesPerFrame_;
        const uint32_t request = resetRequest_.load(std::memory_order_acquire);
        if (request != resetAck_.load(std::memory_order_relaxed)) {
            HandBackEverything();
            resetAck_.store(request, std::memory_order_release);
        }
        while (need > 0 && !paused_.load(std::memory_order_acquire)) {
            if (current_ == nullptr) {
                if (!toPlay_.Pop(current_)) {
                    break;
                }
                playedBytes_ = 0;
            }
            const size_t n = std::min<size_t>(need, current_->length - playedBytes_);
            std::memcpy(out, current_->data + playedBytes_, n);
            out += n;
            need -= n;
            playedBytes_ += n;
            playedTotal_.fetch_add(n, std::memory_order_release);
            if (playedBytes_ >= current_->length) {
                HandBack(current_);
                current_ = nullptr;
            }
        }
        std::memset(out, 0, need);
    }

    // Real-time thread, or any thread while the stream is stopped.
    void HandBackEverything() noexcept {
        if (current_ != nullptr) {
            HandBack(current_);
            current_ = nullptr;
        }
        AudioBuffer* buffer = nullptr;
        while (toPlay_.Pop(buffer)) {
            HandBack(buffer);
        }
    }

    void HandBack(AudioBuffer* buffer) noexcept {
        buffer_rules::MarkHandedBack(*buffer);
        queued_.fetch_sub(1, std::memory_order_acq_rel);
        done_.Push(buffer);  // cannot be full: it holds at most what was queued
        handedBack_.fetch_add(1, std::memory_order_acq_rel);
        doneSignal_.fetch_add(1, std::memory_order_release);
        doneSignal_.notify_one();
    }

    // Completion thread: calls the owner for every handed-back buffer, in order.
    void DeliverCompletions() {
        for (;;) {
            const uint32_t seen = doneSignal_.load(std::memory_order_acquire);
            AudioBuffer* buffer = nullptr;
            while (done_.Pop(buffer)) {
                completion_(buffer);
                {
                    std::lock_guard lock(deliveredMutex_);
                    ++delivered_;
                }
                deliveredChanged_.notify_all();
            }
            if (stopping_.load(std::memory_order_acquire)) {
                return;
            }
            doneSignal_.wait(seen, std::memory_order_acquire);
        }
    }

    PaError ShutDown() {
        const PaError closed = Pa_CloseStream(stream_);  // stops the real-time thread first
        stream_ = nullptr;
        stopping_.store(true, std::memory_order_release);
        doneSignal_.fetch_add(1, std::memory_order_release);
        doneSignal_.notify_one();
        if (completionThread_.joinable()) {
            completionThread_.join();
        }
        Pa_Terminate();
        return closed;
    }

    const uint32_t bytesPerFrame_;
    const Completion completion_;
    PaStream* stream_ = nullptr;

    std::mutex writeMutex_;
    SpscRing<AudioBuffer*, kRingCapacity> toPlay_;
    SpscRing<AudioBuffer*, kRingCapacity> done_;
    std::atomic<uint32_t> queued_{0};
    std::atomic<bool> paused_{false};
    std::atomic<uint32_t> resetRequest_{0};
    std::atomic<uint32_t> resetAck_{0};

    AudioBuffer* current_ = nullptr;  // real-time thread only (or while the stream is stopped)
    size_t playedBytes_ = 0;
    std::atomic<uint64_t> playedTotal_{0};  // every byte copied to the device

    std::atomic<uint32_t> doneSignal_{0};
    std::atomic<uint64_t> handedBack_{0};
    std::atomic<bool> stopping_{false};
    std::thread completionThread_;
    std::mutex deliveredMutex_;
    std::condition_variable deliveredChanged_;
    uint64_t delivered_ = 0;
};

class PortAudioOutput final : public AudioOutput {
public:
    AudioResult Open(const PcmFormat& format, AudioOutputQueue::Completion completion,
                     std::unique_ptr<AudioOutputQueue>& queue) override {
        static std::once_flag quietAlsa;
        std::call_once(quietAlsa, [] { snd_lib_error_set_handler(IgnoreAlsaMessage); });

        PaSampleFormat sampleFormat = 0;
        switch (format.bitsPerSample) {
            case 8:
                sampleFormat = paUInt8;
                break;
            case 16:
                sampleFormat = paInt16;
                break;
            case 24:
                sampleFormat = paInt24;
                break;
            case 32:
                sampleFormat = paInt32;
                break;
            default:
                return kAudioBadFormat;
        }
        if (format.channels == 0 || format.sampleRate == 0) {
            return kAudioBadFormat;
        }
        if (Pa_Initialize() != paNoError) {
            return kAudioError;
        }
        if (Pa_GetDefaultOutputDevice() == paNoDevice) {
            Pa_Terminate();
            return kAudioBadDevice;
        }
        const uint32_t bytesPerFrame = format.channels * (format.bitsPerSample / 8u);
        auto opened = std::make_unique<PortAudioQueue>(bytesPerFrame, std::move(completion));
        PaStream* stream = nullptr;
        const PaError error = Pa_OpenDefaultStream(&stream, 0, format.channels, sampleFormat,
                                                   format.sampleRate, paFramesPerBufferUnspecified,
                                                   PortAudioQueue::Callback, opened.get());
        if (error != paNoError) {
            Pa_Terminate();
            return ResultOf(error);
        }
        const AudioResult started = opened->Start(stream);
        if (started != kAudioOk) {
            return started;
        }
        queue = std::move(opened);
        return kAudioOk;
    }
};

}  // namespace

const char* AudioResultText(uint32_t code) {
    switch (code) {
        case kAudioOk:
            return "no error";
        case kAudioBadDevice:
            return "there is no default output device";
        case kAudioAllocated:
            return "the output device is busy or unavailable";
        case kAudioInvalidHandle:
            return "the output device is closed";
        case kAudioNoMemory:
            return "there is not enough memory";
        case kAudioBadFormat:
            return "the output device cannot play this format";
        case kAudioStillPlaying:
            return "a buffer is still playing";
        case kAudioUnprepared:
            return "a buffer was not prepared";
        default:
            return "the output device failed";
    }
}

std::unique_ptr<AudioOutput> MakeSystemAudioOutput() {
    return std::make_unique<PortAudioOutput>();
}

}  // namespace platform
