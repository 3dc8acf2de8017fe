#include "support/WavBytes.h"

#include <cstring>

namespace testing_support {

void AppendLE(Bytes& bytes, uint64_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

Bytes ChunkHeader(const char* id, uint32_t declared) {
    Bytes bytes(id, id + 4);
    AppendLE(bytes, declared, 4);
    return bytes;
}

Bytes Chunk(const char* id, const Bytes& body) {
    Bytes bytes = ChunkHeader(id, static_cast<uint32_t>(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        bytes.push_back(0);
    }
    return bytes;
}

Bytes Riff(const Bytes& chunks) {
    Bytes bytes = ChunkHeader("RIFF", static_cast<uint32_t>(chunks.size() + 4));
    bytes.insert(bytes.end(), {'W', 'A', 'V', 'E'});
    bytes.insert(bytes.end(), chunks.begin(), chunks.end());
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

Bytes FmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, int size) {
    const uint16_t blockAlign = static_cast<uint16_t>(channels * (bits / 8));
    Bytes body;
    AppendLE(body, size == 40 ? 0xFFFE : tag, 2);
    AppendLE(body, channels, 2);
    AppendLE(body, rate, 4);
    AppendLE(body, uint64_t{rate} * blockAlign, 4);
    AppendLE(body, blockAlign, 2);
    AppendLE(body, bits, 2);
    if (size >= 18) {
        AppendLE(body, size == 40 ? 22 : 0, 2);
    }
    if (size == 40) {
        AppendLE(body, bits, 2);                   // valid bits
        AppendLE(body, channels == 2 ? 3 : 4, 4);  // speaker positions
        AppendLE(body, tag, 2);                    // the sub-format's tag...
        const uint8_t guidTail[] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};  // ...and base GUID
        body.insert(body.end(), std::begin(guidTail), std::end(guidTail));
    }
    return Chunk("fmt ", body);
}

Bytes Int16Samples(const std::vector<int16_t>& samples) {
    Bytes bytes;
    for (int16_t s : samples) {
        AppendLE(bytes, static_cast<uint16_t>(s), 2);
    }
    return bytes;
}

Bytes UInt8Samples(const std::vector<uint8_t>& samples) {
    return Bytes(samples.begin(), samples.end());
}

Bytes Int24Samples(const std::vector<int32_t>& samples) {
    Bytes bytes;
    for (int32_t s : samples) {
        AppendLE(bytes, static_cast<uint32_t>(s), 3);
    }
    return bytes;
}

Bytes Int32Samples(const std::vector<int32_t>& samples) {
    Bytes bytes;
    for (int32_t s : samples) {
        AppendLE(bytes, static_cast<uint32_t>(s), 4);
    }
    return bytes;
}

Bytes Float32Samples(const std::vector<float>& samples) {
    Bytes bytes;
    for (float s : samples) {
        uint32_t bits;
        std::memcpy(&bits, &s, 4);
        AppendLE(bytes, bits, 4);
    }
    return bytes;
}

Bytes Float64Samples(const std::vector<double>& samples) {
    Bytes bytes;
    for (double s : samples) {
        uint64_t bits;
        std::memcpy(&bits, &s, 8);
        AppendLE(bytes, bits, 8);
    }
    return bytes;
}

Bytes CanonicalWav(const std::vector<int16_t>& samples, uint32_t rate) {
    return Riff(Concat({FmtChunk(1, 2, rate, 16), Chunk("data", Int16Samples(samples))}));
}

}  // namespace testing_support
