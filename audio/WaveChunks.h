#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// Reads up to `size` bytes at `offset` into `buffer`; returns the bytes read.
using ReadAtFunction = std::function<size_t(void* buffer, size_t size, uint64_t offset)>;

/// Where the format and the audio of a RIFF or RF64 WAVE file lie, found by walking its
/// top-level chunks from byte 12.
///
///     WaveChunks chunks = FindWaveChunks(size, readAt);
///     if (chunks.found) use(chunks.format, chunks.dataOffset, chunks.dataBytes);
///
/// Chunks may come in any order: the `fmt ` chunk before or after the `data` chunk, and
/// repeated before the audio as long as every copy is identical (a differing one leaves the
/// format of the audio in doubt). The walk ends once the format and the audio are both found,
/// so nothing after them is read. The audio is the first `data` chunk, of its
/// declared length; a declared length of 0 or 0xFFFFFFFF, or one that runs past the end of
/// the file (a writer that was cut off), runs to the end of the file instead. RF64 files take
/// the length from their ds64 chunk.
///
/// Damage before the audio (a chunk running past the end of the file, a header cut off, bytes
/// that name no chunk) refuses the file, since the audio cannot be located with any trust.
/// Once the first `data` chunk is whole, whatever follows it that cannot be walked is ignored.
/// A `fmt ` chunk found only after the audio is looked for past it until damage stops the walk.
struct WaveChunks {
    bool found = false;
    std::string refusal;          // in words for the user when not found
    std::vector<uint8_t> format;  // the `fmt ` chunk's body (its first kMaxFormatBytes)
    uint32_t formatSize = 0;      // its declared size
    uint64_t dataOffset = 0;      // byte offset of the first byte of audio
    uint64_t dataBytes = 0;       // bytes of audio, by the length rule above

    /// A `fmt ` body longer than this holds nothing a reader uses (WAVE_FORMAT_EXTENSIBLE's
    /// is 40 bytes); only this much of it is kept.
    static constexpr size_t kMaxFormatBytes = 64;
};

WaveChunks FindWaveChunks(uint64_t fileSize, const ReadAtFunction& readAt);
