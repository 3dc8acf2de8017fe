#include "audio/PeakPyramid.h"

#include "audio/WaveFile.h"

void PeakEntry::MergeFrames(const int16_t* samples, size_t count) {
    // Eight frames at a time in sixteen separate lanes (even lanes left, odd lanes right), a
    // shape the compiler turns into vector min/max instructions.
    constexpr size_t kLanes = 16;
    int16_t lo[kLanes];
    int16_t hi[kLanes];
    for (size_t j = 0; j < kLanes; ++j) {
        lo[j] = j % 2 == 0 ? leftMin : rightMin;
        hi[j] = j % 2 == 0 ? leftMax : rightMax;
    }
    size_t i = 0;
    for (; i + kLanes <= count * 2; i += kLanes) {
        for (size_t j = 0; j < kLanes; ++j) {
            lo[j] = std::min(lo[j], samples[i + j]);
            hi[j] = std::max(hi[j], samples[i + j]);
        }
    }
    for (; i < count * 2; ++i) {
        lo[i % 2] = std::min(lo[i % 2], samples[i]);
        hi[i % 2] = std::max(hi[i % 2], samples[i]);
    }
    for (size_t j = 0; j < kLanes; j += 2) {
        leftMin = std::min(leftMin, lo[j]);
        leftMax = std::max(leftMax, hi[j]);
        rightMin = std::min(rightMin, lo[j + 1]);
        rightMax = std::max(rightMax, hi[j + 1]);
    }
}

PeakPyramid::PeakPyramid(const WaveFile& source, ChunkHook chunkHook)
    : file(source), frames(source.FrameCount()), hook(std::move(chunkHook)) {
    for (int level = 0; level < kLevels; ++level) {
        const uint64_t size = kEntryFrames[level];
        tables[level].resize((uint64_t{frames} + size - 1) / size);
    }
    if (frames != 0) {
        builder = std::thread([this] { Build(); });
    }
}

PeakPyramid::~PeakPyramid() {
    Cancel();
}

void PeakPyramid::Cancel() {
    cancelled.store(true, std::memory_order_release);
    if (builder.joinable()) {
        builder.join();
    }
}

size_t PeakPyramid::TableBytes() const {
    size_t bytes = 0;
    for (const auto& table : tables) {
        bytes += table.size() * sizeof(PeakEntry);
    }
    return bytes;
}

void PeakPyramid::Build() {
    static_assert(kChunkFrames % kEntryFrames[kLevels - 1] == 0,
                  "a chunk completes whole entries at every level");
    std::vector<int16_t> chunk(size_t{kChunkFrames} * 2);
    uint64_t at = 0;
    while (at < frames) {
        if (cancelled.load(std::memory_order_acquire)) {
            failed.store(true, std::memory_order_release);
            return;
        }
        const uint32_t count = uint32_t(std::min<uint64_t>(kChunkFrames, frames - at));
        if (file.ReadFramesAt(chunk.data(), count, uint32_t(at)) < count) {
            failed.store(true, std::memory_order_release);  // the file shrank or a read failed
            return;
        }
        // The finest entries from the frames, each coarser one from the sixteen below it.
        const uint64_t end = at + count;
        for (uint64_t first = at; first < end; first += kEntryFrames[0]) {
            PeakEntry entry;
            entry.MergeFrames(chunk.data() + (first - at) * 2,
                              size_t(std::min<uint64_t>(kEntryFrames[0], end - first)));
            tables[0][first / kEntryFrames[0]] = entry;
        }
        for (int level = 1; level < kLevels; ++level) {
            const uint64_t size = kEntryFrames[level];
            const uint64_t ratio = size / kEntryFrames[level - 1];
            const auto& finer = tables[level - 1];
            for (uint64_t i = at / size; i < (end + size - 1) / size; ++i) {
                PeakEntry entry;
                for (uint64_t k = i * ratio; k < std::min<uint64_t>((i + 1) * ratio, finer.size());
                     ++k) {
                    entry.Merge(finer[k]);
                }
                tables[level][i] = entry;
            }
        }
        at = end;
        ready.store(uint32_t(at), std::memory_order_release);
        if (hook) {
            hook(uint32_t(at), cancelled);
        }
    }
}

void PeakPyramid::Fold(uint32_t start, uint32_t end, PeakEntry& into,
                       const std::function<void(uint32_t, uint32_t)>& raw) const {
    if (start >= end) {
        return;
    }
    const uint32_t tableEnd = std::min(end, ReadyFrames());
    if (start < tableEnd) {
        FoldLevel(kLevels - 1, start, tableEnd, into, raw);
    }
    if (std::max(start, tableEnd) < end) {
        raw(std::max(start, tableEnd), end);
    }
}

void PeakPyramid::FoldLevel(int level, uint64_t start, uint64_t end, PeakEntry& into,
                            const std::function<void(uint32_t, uint32_t)>& raw) const {
    if (start >= end) {
        return;
    }
    if (level < 0) {
        raw(uint32_t(start), uint32_t(end));
        return;
    }
    // The entries lying wholly inside [start, end); the last entry of the file may be short.
    const uint64_t size = kEntryFrames[level];
    const uint64_t first = (start + size - 1) / size;
    const uint64_t last = end >= frames ? tables[level].size() : end / size;
    if (first >= last) {
        FoldLevel(level - 1, start, end, into, raw);
        return;
    }
    FoldLevel(level - 1, start, first * size, into, raw);
    for (uint64_t i = first; i < last; ++i) {
        into.Merge(tables[level][i]);
    }
    FoldLevel(level - 1, std::min<uint64_t>(last * size, frames), end, into, raw);
}
