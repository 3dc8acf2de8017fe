#include "playback/WavePlayer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "plugins/PluginHost.h"

using platform::AudioBuffer;

namespace {

// How often a waiting user-interface thread hears about it: often enough to repaint.
constexpr std::chrono::milliseconds kPatienceSlice{40};

constexpr uint32_t kBytesPerFrame = 4;  // stereo, 16 bits
}  // namespace

WavePlayer::WavePlayer(PluginHost* pluginHost, platform::AudioOutput& audioOutput)
    : host(pluginHost), output(audioOutput) {
    if (host != nullptr) {
        host->SetChainGuard(&chainGuard);  // chain changes wait for a refill in progress
    }
}

WavePlayer::~WavePlayer() {
    if (open) {
        Close();
    }
    if (host != nullptr) {
        host->SetChainGuard(nullptr);
    }
}

bool WavePlayer::Open(uint32_t newBufferBytes, uint8_t newBufferCount, uint8_t channels,
                      uint32_t sampleRate, uint8_t bitsPerSample) {
    if (open) {
        return false;  // a second device would leak the first
    }
    const platform::PcmFormat format{channels, sampleRate, bitsPerSample};
    if (newBufferBytes != 0) {
        bufferBytes = newBufferBytes;
    }
    if (newBufferCount != 0) {
        bufferCount = newBufferCount;
    }
    stagingBuffer.assign(std::max(bufferBytes, HostBlockBytes()), 0);
    lastError = output.Open(
        format, [this](AudioBuffer* played) { DeviceCallback(played); }, device);
    if (lastError != platform::kAudioOk) {
        device.reset();
        stagingBuffer = {};
        return false;
    }
    open = true;
    for (uint16_t i = 0; i < bufferCount; ++i) {
        auto buffer = std::make_unique<RingBuffer>();
        buffer->data.assign(bufferBytes, 0);
        buffer->header.data = buffer->data.data();
        buffer->header.length = bufferBytes;
        buffer->header.user = buffer.get();
        bufferRing.push_back(std::move(buffer));
    }
    return true;
}

bool WavePlayer::Close() {
    if (streaming.load(std::memory_order_acquire)) {
        Stop();
    }
    ResetIfAnythingQueued();  // never free a buffer the device still holds
    AwaitCompletions();       // nor one whose completion is still on its way
    for (const auto& buffer : bufferRing) {
        device->Unprepare(buffer->header);
    }
    bufferRing.clear();
    stagingBuffer = {};
    lastError = device->Close();
    if (lastError != platform::kAudioOk) {
        return false;
    }
    device.reset();
    open = false;
    return true;
}

bool WavePlayer::Play(uint32_t start, uint32_t end) {
    if (!open || streaming.load(std::memory_order_acquire) || bufferRing.empty()) {
        return false;
    }
    // Every buffer of the last playback must be back, its completion delivered, before it is
    // written again: a completion still on its way would otherwise refill a buffer of this
    // playback and skip a block.
    ResetIfAnythingQueued();
    AwaitCompletions();
    sounding = true;
    playbackNumber.fetch_add(1, std::memory_order_acq_rel);
    playedAtStart = device->PlayedBytes();
    cursor = start;
    rangeStart = start;
    rangeEnd = end;
    if (stagingBuffer.size() < HostBlockBytes()) {
        stagingBuffer.assign(HostBlockBytes(), 0);  // the host's block grew since Open
    }
    for (const auto& buffer : bufferRing) {
        buffer->needsRefill.store(false, std::memory_order_relaxed);
    }

    priming.store(true, std::memory_order_release);
    {
        std::lock_guard<ChainGuard> guard(chainGuard);
        for (const auto& buffer : bufferRing) {
            if (!QueueNextBlock(*buffer, true) || !AdvanceCursor()) {
                // Priming failed or the range is exhausted: what is queued plays out alone.
                streaming.store(false, std::memory_order_release);
                priming.store(false, std::memory_order_release);
                return false;
            }
        }
    }
    streaming.store(true, std::memory_order_release);
    Resume();  // a device left paused by an earlier playback runs again
    {
        // A fast device may have handed buffers back while the ring was primed; they go
        // round again now instead of dropping out of the rotation.
        std::lock_guard<ChainGuard> guard(chainGuard);
        for (const auto& buffer : bufferRing) {
            if (streaming.load(std::memory_order_relaxed) &&
                buffer->needsRefill.exchange(false, std::memory_order_acq_rel)) {
                if (!QueueNextBlock(*buffer, false) || !AdvanceCursor()) {
                    streaming.store(false, std::memory_order_release);
                }
            }
        }
        priming.store(false, std::memory_order_release);
    }
    return true;
}

void WavePlayer::DeviceCallback(AudioBuffer* played) {
    auto* buffer = static_cast<RingBuffer*>(played->user);
    // The flags are read before the completion counts as delivered: a Play waiting for this
    // completion starts priming only afterwards, so a late completion of the last playback
    // never takes part in the new one (it would mark a freshly primed buffer for a refill).
    const bool playing =
        streaming.load(std::memory_order_acquire) || priming.load(std::memory_order_acquire);
    {
        // Under the player's own mutex: a waiter may free the ring as soon as it sees this.
        std::lock_guard delivered(completionMutex);
        buffer->completionPending.store(false, std::memory_order_release);
        completionDelivered.notify_all();
    }
    if (!playing) {
        return;  // not playing: no lock, no work
    }
    // The interface thread polls for the lock: give it way, or a fast device could keep the
    // lock busy between its polls.
    while (interfaceWaiting.load(std::memory_order_acquire)) {
        std::this_thread::yield();
    }
    std::lock_guard guard(lock);
    if (!streaming.load(std::memory_order_acquire)) {
        // Stop ran after the test above, or the ring is still being primed.
        if (priming.load(std::memory_order_acquire)) {
            buffer->needsRefill.store(true, std::memory_order_release);
        }
        return;
    }
    if (!QueueNextBlock(*buffer, false) || !AdvanceCursor()) {
        streaming.store(false, std::memory_order_release);
    }
}

bool WavePlayer::QueueNextBlock(RingBuffer& buffer, bool duringPriming) {
    uint32_t framesRead = 0;
    if (host == nullptr || !host->Process(stagingBuffer.data(), framesRead, cursor)) {
        return false;
    }
    // Only the frames Process delivered and that lie inside the range are heard; the rest of
    // the buffer is silence, never stale bytes of an earlier block.
    const uint32_t toRangeEnd = cursor < rangeEnd ? rangeEnd - cursor : 0;
    const uint32_t frames = std::min({framesRead, bufferBytes / 4, toRangeEnd});
    std::memcpy(buffer.data.data(), stagingBuffer.data(), size_t{frames} * 4);
    std::memset(buffer.data.data() + size_t{frames} * 4, 0, bufferBytes - size_t{frames} * 4);
    // What the block will sound like, and when: the meter shows it once the device is there.
    BlockLevels levels =
        MeasureBlock(reinterpret_cast<const int16_t*>(buffer.data.data()), bufferBytes / 4);
    levels.playback = playbackNumber.load(std::memory_order_relaxed);
    levels.frame = cursor;
    blockLevels.Push(levels);  // a meter that takes none misses blocks, nothing else

    if (!duringPriming) {
        Write(buffer);  // a failed refill drops out of the rotation
        return true;
    }
    lastError = device->Prepare(buffer.header);
    if (lastError != platform::kAudioOk) {
        return false;
    }
    lastError = Write(buffer);
    return lastError == platform::kAudioOk;
}

platform::AudioResult WavePlayer::Write(RingBuffer& buffer) {
    // Marked first: the completion may arrive before Write returns.
    buffer.completionPending.store(true, std::memory_order_release);
    const platform::AudioResult result = device->Write(buffer.header);
    if (result != platform::kAudioOk) {
        buffer.completionPending.store(false, std::memory_order_release);
    }
    return result;
}

void WavePlayer::AwaitCompletions() {
    // A buffer the device no longer holds has its completion on its way: wait for it. One
    // still queued (the device refused to reset) is left to fail its next Write instead.
    std::unique_lock hold(completionMutex);
    completionDelivered.wait(hold, [this] {
        return std::none_of(bufferRing.begin(), bufferRing.end(), [](const auto& b) {
            return b->completionPending.load(std::memory_order_acquire) && !b->header.IsQueued();
        });
    });
}

uint32_t WavePlayer::HostBlockBytes() const {
    return host != nullptr ? host->BlockBytes() : 0;
}

bool WavePlayer::AdvanceCursor() {
    const uint32_t next = cursor + bufferBytes / 4;
    // A cursor that wraps past 0xFFFFFFFF has passed every possible end.
    const bool wrapped = next < cursor;
    cursor = next;
    return !wrapped && next < rangeEnd;
}

int64_t WavePlayer::PlayingFrame() const {
    if (!open || !sounding || rangeEnd <= rangeStart) {
        return -1;
    }
    const uint64_t played = (device->PlayedBytes() - playedAtStart) / kBytesPerFrame;
    const uint64_t length = rangeEnd - rangeStart;
    return played < length ? rangeStart + int64_t(played) : -1;
}

bool WavePlayer::Stop() {
    if (!open) {
        return false;
    }
    sounding = false;
    streaming.store(false, std::memory_order_release);
    {
        // A refill already past its first test finishes here; later ones see streaming clear.
        std::lock_guard<ChainGuard> wait(chainGuard);
    }
    lastError = device->Reset();
    return lastError == platform::kAudioOk;
}

void WavePlayer::LockPatiently() {
    // Polled rather than a timed lock: the sanitizers see every try_lock, and a millisecond
    // more at Stop goes unnoticed.
    const auto start = std::chrono::steady_clock::now();
    auto nextReport = start + kPatienceSlice;
    interfaceWaiting.store(true, std::memory_order_release);  // refills let us go first
    while (!lock.try_lock()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto now = std::chrono::steady_clock::now();
        if (patience != nullptr && now >= nextReport) {
            nextReport = now + kPatienceSlice;
            patience->StillWaiting(
                std::chrono::duration_cast<std::chrono::milliseconds>(now - start),
                host != nullptr ? host->BusyEffectName() : "");
        }
    }
    interfaceWaiting.store(false, std::memory_order_release);
}

bool WavePlayer::Pause() {
    if (!open || !streaming.load(std::memory_order_acquire)) {
        return false;
    }
    lastError = device->Pause();
    if (lastError != platform::kAudioOk) {
        return false;
    }
    paused = true;
    return true;
}

bool WavePlayer::Resume() {
    if (!open || !streaming.load(std::memory_order_acquire)) {
        return false;
    }
    lastError = device->Restart();
    if (lastError != platform::kAudioOk) {
        return false;
    }
    paused = false;
    return true;
}

void WavePlayer::ResetIfAnythingQueued() {
    const bool anyQueued = std::any_of(bufferRing.begin(), bufferRing.end(),
                                       [](const auto& b) { return b->header.IsQueued(); });
    if (anyQueued) {
        lastError = device->Reset();
    }
}
