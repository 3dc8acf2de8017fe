#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AudioOutput.h"
#include "platform/SpscRing.h"
#include "playback/LevelMeter.h"
#include "plugins/HostSeams.h"
#include "plugins/PluginHost.h"

/// Plays a range of workspace frames, as the plug-in host delivers them, on an output device.
///
/// A fixed ring of buffers is filled when playback starts, one block each, and queued; every
/// buffer the device hands back is refilled with the next block and queued again, on the
/// device's completion thread, until the block that reaches the end of the range. Blocks come
/// from PluginHost::Process only, under the player's one lock, which the host also takes
/// around every change of its effect chain.
///
///     WavePlayer player(&host, *platform::MakeSystemAudioOutput());
///     player.Open(2048, 16, 2, 44100, 16);
///     player.Play(0, workspace.TotalLength());
///
/// Every public operation runs on the user-interface thread; DeviceCallback runs on the
/// device's completion thread. The user-interface thread never waits for the lock in silence:
/// while a refill is stuck inside an effect, the LockPatience is told every kPatienceSlice.
class WavePlayer {
public:
    WavePlayer(PluginHost* host, platform::AudioOutput& output);
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    /// Opens the default output device and allocates the ring. A buffer size or count of 0
    /// keeps the current value (the host's block and 16 buffers before the first Open).
    bool Open(uint32_t bufferBytes, uint8_t bufferCount, uint8_t channels, uint32_t sampleRate,
              uint8_t bitsPerSample);
    /// Stops, frees the ring and closes the device; false (still open) when the close fails.
    bool Close();

    /// Plays the workspace range [start, end). True when the ring is primed and further blocks
    /// will follow; false when the player is not open or already streaming, when priming
    /// fails, or when the whole range fitted in the ring (it then plays out by itself).
    bool Play(uint32_t start, uint32_t end);
    /// Ends playback; when it returns no refill runs or will run for that playback.
    bool Stop();
    bool Pause();
    bool Resume();

    bool IsPlaying() const { return streaming.load(std::memory_order_acquire); }
    /// The frame of the range the device is sounding now, from the bytes it has played since
    /// Play (the refills run ahead of it by the whole ring): -1 once the range has been
    /// played to its end, after Stop, and before any Play.
    int64_t PlayingFrame() const;
    /// Counts the playbacks started: the levels of each block carry the number of theirs.
    uint32_t PlaybackNumber() const { return playbackNumber.load(std::memory_order_acquire); }
    /// The levels of the next block queued, oldest first, in the frames PlayingFrame reports,
    /// as heard (after the effects); false when none is waiting. For one thread only (the
    /// level meter's); blocks queued while it takes none for a whole ring's worth are lost.
    bool TakeLevels(BlockLevels& levels) { return blockLevels.Pop(levels); }
    bool IsPaused() const { return paused; }
    bool IsOpen() const { return open; }

    /// Told while the user-interface thread waits for a refill that takes long (an effect
    /// that does not return). Not owned; nullptr: the wait is silent.
    void SetPatience(LockPatience* waiting) { patience = waiting; }

    /// The result of the last device call; 0 is success.
    uint32_t LastError() const { return lastError; }
    uint32_t BufferBytes() const { return bufferBytes; }
    uint32_t BufferCount() const { return bufferCount; }

    /// A played buffer came back from the device: refill it with the next block and queue it
    /// again while streaming.
    void DeviceCallback(platform::AudioBuffer* played);

private:
    struct RingBuffer {
        platform::AudioBuffer header;
        std::vector<uint8_t> data;
        std::atomic<bool> needsRefill{false};  // came back while the ring was being primed
        // Written, and its completion not yet delivered: the device may have marked it done
        // already while the completion is still on its way to DeviceCallback.
        std::atomic<bool> completionPending{false};
    };

    bool QueueNextBlock(RingBuffer& buffer, bool duringPriming);
    platform::AudioResult Write(RingBuffer& buffer);
    void AwaitCompletions();
    /// The bytes of the host's block (0 without a host).
    uint32_t HostBlockBytes() const;
    bool AdvanceCursor();
    void LockPatiently();

    // The player's lock as the user-interface thread takes it: with patience.
    class InterfaceGuard : public ChainGuard {
    public:
        explicit InterfaceGuard(WavePlayer& player) : player(player) {}
        void lock() override { player.LockPatiently(); }
        void unlock() override { player.lock.unlock(); }

    private:
        WavePlayer& player;
    };
    void ResetIfAnythingQueued();

    uint32_t bufferBytes = PluginHost::kBlockBytes;
    uint16_t bufferCount = 16;
    std::list<std::unique_ptr<RingBuffer>> bufferRing;
    std::vector<uint8_t> stagingBuffer;
    std::unique_ptr<platform::AudioOutputQueue> device;
    uint32_t cursor = 0;
    uint32_t rangeStart = 0;
    uint32_t rangeEnd = 0;
    std::atomic<bool> streaming{false};
    std::atomic<bool> priming{false};
    std::atomic<bool> interfaceWaiting{false};  // the interface thread wants the lock
    bool sounding = false;                      // a playback was started and not stopped
    uint64_t playedAtStart = 0;                 // the device's played bytes when it started
    std::atomic<uint32_t> playbackNumber{0};
    // Filled under the player's lock (by whichever thread queues), emptied by the meter.
    platform::SpscRing<BlockLevels, 256> blockLevels;
    std::mutex lock;
    std::mutex completionMutex;  // guards the delivery of completionPending to AwaitCompletions
    std::condition_variable completionDelivered;
    InterfaceGuard chainGuard{*this};
    LockPatience* patience = nullptr;
    PluginHost* host;
    platform::AudioOutput& output;

    bool open = false;
    bool paused = false;
    uint32_t lastError = 0;
};
