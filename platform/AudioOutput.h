#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

/// Result codes of the audio output devices; 0 is success. The numbers follow the classic
/// multimedia error codes so a code kept by the player reads the same on every back end.
enum AudioResult : uint32_t {
    kAudioOk = 0,
    kAudioError = 1,          // unspecified failure
    kAudioBadDevice = 2,      // no default output device
    kAudioAllocated = 4,      // the device is busy
    kAudioInvalidHandle = 5,  // the queue is closed
    kAudioNoMemory = 7,
    kAudioBadFormat = 32,     // the device cannot play this PCM format
    kAudioStillPlaying = 33,  // the buffer is still queued
    kAudioUnprepared = 34,    // the buffer was not prepared
};

/// What a result code means, in words for the user ("the output device is busy").
const char* AudioResultText(uint32_t code);

/// One buffer of PCM bytes handed to an output queue. The caller owns it and its bytes; the
/// queue holds it from Write until it hands it back through the completion callback.
struct AudioBuffer {
    static constexpr uint32_t kPrepared = 1;
    static constexpr uint32_t kInQueue = 2;  // written and not yet handed back
    static constexpr uint32_t kDone = 4;     // handed back at least once since its last Write

    uint8_t* data = nullptr;
    uint32_t length = 0;   // bytes, always played in full
    void* user = nullptr;  // the owner's own reference; the queue never touches it
    std::atomic<uint32_t> flags{0};

    bool IsQueued() const { return (flags.load(std::memory_order_acquire) & kInQueue) != 0; }
};

/// The buffer bookkeeping every output queue shares: what Prepare, Unprepare and Write
/// accept, and how a buffer is marked when the queue hands it back.
namespace buffer_rules {
inline AudioResult Prepare(AudioBuffer& b) {
    if (b.data == nullptr && b.length != 0) {
        return kAudioError;
    }
    b.flags.fetch_or(AudioBuffer::kPrepared, std::memory_order_acq_rel);
    return kAudioOk;
}
inline AudioResult Unprepare(AudioBuffer& b) {
    if (b.IsQueued()) {
        return kAudioStillPlaying;
    }
    b.flags.fetch_and(~AudioBuffer::kPrepared, std::memory_order_acq_rel);
    return kAudioOk;
}
inline AudioResult AdmitWrite(AudioBuffer& b) {
    const uint32_t flags = b.flags.load(std::memory_order_acquire);
    if ((flags & AudioBuffer::kPrepared) == 0) {
        return kAudioUnprepared;
    }
    if ((flags & AudioBuffer::kInQueue) != 0) {
        return kAudioStillPlaying;
    }
    b.flags.store(AudioBuffer::kPrepared | AudioBuffer::kInQueue, std::memory_order_release);
    return kAudioOk;
}
inline void MarkHandedBack(AudioBuffer& b) {
    b.flags.store(AudioBuffer::kPrepared | AudioBuffer::kDone, std::memory_order_release);
}
}  // namespace buffer_rules

/// PCM format of an output device.
struct PcmFormat {
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;
    uint16_t bitsPerSample = 16;
};

/// An open output device that plays queued buffers one after another, in queue order, and
/// plays silence when nothing is queued or while paused.
///
/// Completions ("this buffer has been played") are delivered in queue order on a thread that
/// belongs to the queue, never on the real-time audio thread.
class AudioOutputQueue {
public:
    using Completion = std::function<void(AudioBuffer*)>;

    virtual ~AudioOutputQueue() = default;

    /// Marks a buffer ready to be written; preparing a prepared buffer changes nothing.
    virtual AudioResult Prepare(AudioBuffer& buffer) = 0;
    /// Undoes Prepare; refused while the buffer is queued.
    virtual AudioResult Unprepare(AudioBuffer& buffer) = 0;
    /// Queues a prepared buffer behind those already queued.
    virtual AudioResult Write(AudioBuffer& buffer) = 0;
    /// Holds playback where it is; queued buffers stay queued and nothing comes back.
    virtual AudioResult Pause() = 0;
    /// Continues after Pause (and does nothing harmful when not paused).
    virtual AudioResult Restart() = 0;
    /// Ends playback at once and hands every queued buffer back as done, in queue order.
    /// When it returns, every completion for those buffers has been delivered.
    virtual AudioResult Reset() = 0;
    /// Closes the device; refused while buffers are queued. Afterwards no completion arrives.
    virtual AudioResult Close() = 0;

    /// How many bytes of written buffers the device has played since the queue opened: the
    /// position of the sound, not of the refills. Silence does not count; a buffer handed
    /// back by Reset counts as far as it was played. Any thread may ask.
    virtual uint64_t PlayedBytes() const = 0;
};

/// Opens output queues on a device: the real sound card, or a test device.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    /// Opens the default output device with the format. On success `queue` holds the open
    /// queue, which calls `completion` for every buffer it hands back.
    virtual AudioResult Open(const PcmFormat& format, AudioOutputQueue::Completion completion,
                             std::unique_ptr<AudioOutputQueue>& queue) = 0;
};

/// The sound card's default output device, through PortAudio.
std::unique_ptr<AudioOutput> MakeSystemAudioOutput();

}  // namespace platform
