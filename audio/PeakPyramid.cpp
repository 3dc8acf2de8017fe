#include "audio/PeakPyramid.h"

#include "audio/FramesHash.h"
#include "audio/WaveFile.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

void MergeOneByOne(PeakEntry& e, const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        e.leftMin = std::min(e.leftMin, samples[2 * i]);
        e.leftMax = std::max(e.leftMax, samples[2 * i]);
        e.rightMin = std::min(e.rightMin, samples[2 * i + 1]);
        e.rightMax = std::max(e.rightMax, samples[2 * i + 1]);
    }
}

}  // namespace

#if defined(__SSE2__)

namespace {

// A left, right pair repeated over the four frames of a vector.
__m128i Pairs(int16_t left, int16_t right) {
    return _mm_set1_epi32(int32_t(uint32_t(uint16_t(left)) | uint32_t(uint16_t(right)) << 16));
}

}  // namespace

void PeakEntry::MergeFrames(const int16_t* samples, size_t count) {
    // Four frames per vector, two vectors per step so that the min/max chains overlap; the
    // table build spends nearly all of its time here.
    size_t i = 0;
    if (count >= 8) {
        __m128i lo0 = Pairs(leftMin, rightMin), lo1 = lo0;
        __m128i hi0 = Pairs(leftMax, rightMax), hi1 = hi0;
        for (; i + 8 <= count; i += 8) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + 2 * i));
            const __m128i b =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + 2 * i + 8));
            lo0 = _mm_min_epi16(lo0, a);
            hi0 = _mm_max_epi16(hi0, a);
            lo1 = _mm_min_epi16(lo1, b);
            hi1 = _mm_max_epi16(hi1, b);
        }
        // Fold the four frames of each vector into one: left stays in the low half.
        __m128i lo = _mm_min_epi16(lo0, lo1);
        __m128i hi = _mm_max_epi16(hi0, hi1);
        lo = _mm_min_epi16(lo, _mm_shuffle_epi32(lo, _MM_SHUFFLE(1, 0, 3, 2)));
        hi = _mm_max_epi16(hi, _mm_shuffle_epi32(hi, _MM_SHUFFLE(1, 0, 3, 2)));
        lo = _mm_min_epi16(lo, _mm_shuffle_epi32(lo, _MM_SHUFFLE(2, 3, 0, 1)));
        hi = _mm_max_epi16(hi, _mm_shuffle_epi32(hi, _MM_SHUFFLE(2, 3, 0, 1)));
        const auto low = uint32_t(_mm_cvtsi128_si32(lo));
        const auto high = uint32_t(_mm_cvtsi128_si32(hi));
        leftMin = int16_t(uint16_t(low));
        rightMin = int16_t(uint16_t(low >> 16));
        leftMax = int16_t(uint16_t(high));
        rightMax = int16_t(uint16_t(high >> 16));
    }
    MergeOneByOne(*this, samples + 2 * i, count - i);
}

#else

void PeakEntry::MergeFrames(const int16_t* samples, size_t count) {
    MergeOneByOne(*this, samples, count);
}

#endif

PeakPyramid::PeakPyramid(const WaveFile& source, ChunkHook chunkHook)
    : file(source), frames(source.FrameCount()), hook(std::move(chunkHook)) {
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
    for (int level = 0; level < kLevels; ++level) {
        bytes += EntryCount(level) * sizeof(PeakEntry);
    }
    return bytes;
}

void PeakPyramid::Build() {
    static_assert(kChunkFrames % kReadFrames == 0 && kReadFrames == kEntryFrames[kLevels - 1],
                  "a read completes whole entries at every level");
    for (int level = 0; level < kLevels; ++level) {
        tables[level].resize(EntryCount(level));
    }
    std::vector<int16_t> piece(size_t{kReadFrames} * 2);
    FramesHasher hasher;  // the session's content hash, from the same reads
    uint64_t at = 0;
    while (at < frames) {
        if (cancelled.load(std::memory_order_acquire)) {
            failed.store(true, std::memory_order_release);
            return;
        }
        const uint32_t count = uint32_t(std::min<uint64_t>(kReadFrames, frames - at));
        if (file.ReadFramesAt(piece.data(), count, uint32_t(at)) < count) {
            failed.store(true, std::memory_order_release);  // the file shrank or a read failed
            return;
        }
        AddFrames(piece.data(), at, count);
        hasher.Add(piece.data(), count);
        at += count;
        if (at == frames) {
            file.NoteFramesHash(hasher.Value());  // before the tables say they are complete
        }
        ready.store(uint32_t(at), std::memory_order_release);
        if (hook && (at % kChunkFrames == 0 || at == frames)) {
            hook(uint32_t(at), cancelled);
        }
    }
}

void PeakPyramid::AddFrames(const int16_t* samples, uint64_t at, uint32_t count) {
    // The finest entries from the frames, each coarser one from the sixteen below it.
    const uint64_t end = at + count;
    for (uint64_t first = at; first < end; first += kEntryFrames[0]) {
        PeakEntry entry;
        entry.MergeFrames(samples + (first - at) * 2,
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
    const uint64_t last = end >= frames ? EntryCount(level) : end / size;
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
