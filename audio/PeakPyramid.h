#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

class WaveFile;

/// The extremes of a run of frames, per channel.
struct PeakEntry {
    int16_t leftMin = INT16_MAX;
    int16_t leftMax = INT16_MIN;
    int16_t rightMin = INT16_MAX;
    int16_t rightMax = INT16_MIN;

    void Merge(const PeakEntry& other) {
        leftMin = std::min(leftMin, other.leftMin);
        leftMax = std::max(leftMax, other.leftMax);
        rightMin = std::min(rightMin, other.rightMin);
        rightMax = std::max(rightMax, other.rightMax);
    }
    /// Folds in `frames` interleaved left, right samples.
    void MergeFrames(const int16_t* samples, size_t frames);
};

/// Min/max tables of one opened file at three resolutions (per 256, 4,096 and 65,536 frames),
/// built on a thread of their own that reads the file front to back in 256 KB pieces (small
/// enough to stay in the processor's cache between the read and the folding). The builder
/// also allocates the tables, so that opening a file costs the caller nothing. From the same
/// reads it notes the file's frames hash with the file (WaveFile::NoteFramesHash) once it has
/// read every frame.
///
/// The tables fill from the start of the file; ReadyFrames says how far. Any range below it
/// can be folded from whole table entries plus raw frames at its ragged ends, and the result
/// is exactly what reading every frame of the range gives.
///
///     PeakPyramid peaks(file);                      // starts building
///     peaks.Fold(a, b, entry, [&](uint32_t from, uint32_t to) { /* read raw */ });
///
/// Destroying the pyramid (or Cancel) stops the builder at once; the file must outlive it.
class PeakPyramid {
public:
    static constexpr int kLevels = 3;
    static constexpr std::array<uint32_t, kLevels> kEntryFrames{256, 4096, 65536};
    /// Frames between two calls of the hook.
    static constexpr uint32_t kChunkFrames = 1u << 20;
    /// Frames per read, and per step of ReadyFrames: one entry of the coarsest table.
    static constexpr uint32_t kReadFrames = 65536;

    /// Called on the builder thread after each chunk (and at the end), with the frames ready so far
    /// and the cancel flag; a test may hold the builder back here until it lets go or cancel is
    /// set.
    using ChunkHook = std::function<void(uint32_t readyFrames, const std::atomic<bool>& cancel)>;

    explicit PeakPyramid(const WaveFile& file, ChunkHook hook = {});
    ~PeakPyramid();
    PeakPyramid(const PeakPyramid&) = delete;
    PeakPyramid& operator=(const PeakPyramid&) = delete;

    /// Stops the builder and waits for it; the tables keep what was ready.
    void Cancel();

    const WaveFile& File() const { return file; }
    /// Frames the tables cover when complete: the file's length when they started.
    uint32_t Frames() const { return frames; }
    /// Frames from the start whose entries are complete at every level: a multiple of the
    /// largest entry, or Frames() once complete. Safe from any thread.
    uint32_t ReadyFrames() const { return ready.load(std::memory_order_acquire); }
    bool IsComplete() const { return ReadyFrames() == frames; }
    /// True when the builder ended early: a read failed or came up short, or it was cancelled.
    bool Failed() const { return failed.load(std::memory_order_acquire); }

    /// Folds the extremes of frames [start, end) into `into`, taking whole entries where they
    /// are ready, and handing each remaining run, in order, to `raw` to be read frame by frame.
    /// Runs beyond ReadyFrames go to `raw` too.
    void Fold(uint32_t start, uint32_t end, PeakEntry& into,
              const std::function<void(uint32_t from, uint32_t to)>& raw) const;

    /// Bytes the tables hold once allocated.
    size_t TableBytes() const;
    /// Entries of table `level` covering the whole file; the last one may be short.
    size_t EntryCount(int level) const {
        return size_t((uint64_t{frames} + kEntryFrames[level] - 1) / kEntryFrames[level]);
    }

private:
    void Build();
    /// Folds frames [at, at + count) into the tables; `at` is a multiple of kReadFrames.
    void AddFrames(const int16_t* samples, uint64_t at, uint32_t count);
    void FoldLevel(int level, uint64_t start, uint64_t end, PeakEntry& into,
                   const std::function<void(uint32_t, uint32_t)>& raw) const;

    const WaveFile& file;
    const uint32_t frames;
    ChunkHook hook;
    // Allocated by the builder before it publishes any frames; read only below ReadyFrames.
    std::array<std::vector<PeakEntry>, kLevels> tables;
    std::atomic<uint32_t> ready{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> failed{false};
    std::thread builder;
};
