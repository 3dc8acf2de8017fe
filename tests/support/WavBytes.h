#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

/// Byte-level pieces of RIFF/WAVE files, written here byte by byte so that tests never depend
/// on another program's files or on the reader's own code.
using Bytes = std::vector<uint8_t>;

void AppendLE(Bytes& bytes, uint64_t value, int byteCount);
/// A chunk: id, 32-bit little-endian size of `body`, body, and a pad byte when the size is odd.
Bytes Chunk(const char* id, const Bytes& body);
/// A chunk header whose declared size is `declared` whatever follows (for cut-off writers).
Bytes ChunkHeader(const char* id, uint32_t declared);
/// "RIFF", size of what follows, "WAVE", then the chunks.
Bytes Riff(const Bytes& chunks);
Bytes Concat(std::initializer_list<Bytes> parts);

/// A `fmt ` chunk. size 16, 18 (cbSize 0) or 40 (WAVE_FORMAT_EXTENSIBLE with `tag` as the
/// sub-format GUID's first two bytes and tag 0xFFFE in the header).
Bytes FmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, int size = 16);

/// Interleaved samples encoded as WAV stores them.
Bytes Int16Samples(const std::vector<int16_t>& samples);
Bytes UInt8Samples(const std::vector<uint8_t>& samples);
Bytes Int24Samples(const std::vector<int32_t>& samples);
Bytes Int32Samples(const std::vector<int32_t>& samples);
Bytes Float32Samples(const std::vector<float>& samples);
Bytes Float64Samples(const std::vector<double>& samples);

/// A canonical file's bytes: 16-bit stereo PCM at `rate`, frames given as interleaved samples.
Bytes CanonicalWav(const std::vector<int16_t>& samples, uint32_t rate = 44100);

}  // namespace testing_support
