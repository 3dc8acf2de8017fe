#include "audio/FramesHash.h"

#include <xxhash.h>

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "audio/WaveFile.h"

namespace {

// Frames per read when the hash is computed apart from the peak tables.
constexpr uint32_t kReadFrames = 65536;
constexpr size_t kHashDigits = 16;

}  // namespace

void FramesHasher::Free::operator()(XXH3_state_s* freed) const {
    XXH3_freeState(freed);
}

FramesHasher::FramesHasher() : state(XXH3_createState()) {
    if (!state) {
        throw std::bad_alloc();
    }
    XXH3_64bits_reset(state.get());
}

FramesHasher::~FramesHasher() = default;

void FramesHasher::Add(const void* frames, uint32_t count) {
    XXH3_64bits_update(state.get(), frames, size_t{count} * WaveFile::kBytesPerFrame);
}

uint64_t FramesHasher::Value() const {
    return XXH3_64bits_digest(state.get());
}

std::optional<uint64_t> FramesHashOf(const WaveFile& file) {
    uint64_t hash = 0;
    if (file.KnownFramesHash(hash)) {
        return hash;
    }
    FramesHasher hasher;
    std::vector<uint8_t> piece(size_t{kReadFrames} * WaveFile::kBytesPerFrame);
    const uint32_t frames = file.FrameCount();
    for (uint32_t at = 0; at < frames;) {
        const uint32_t count = std::min(kReadFrames, frames - at);
        if (file.ReadFramesAt(piece.data(), count, at) < count) {
            return std::nullopt;
        }
        hasher.Add(piece.data(), count);
        at += count;
    }
    hash = hasher.Value();
    file.NoteFramesHash(hash);
    return hash;
}

std::string FramesHashText(uint64_t hash) {
    char digits[kHashDigits + 1];
    std::snprintf(digits, sizeof digits, "%016" PRIx64, hash);
    return digits;
}

bool ParseFramesHash(std::string_view text, uint64_t& hash) {
    if (text.size() != kHashDigits) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return std::from_chars(text.data(), text.data() + text.size(), hash, 16).ec == std::errc();
}
