#include "audio/WaveChunks.h"

#include <algorithm>
#include <cstring>

namespace {

// More chunks than any real file holds, yet a bound on the reads a hostile file can cause.
constexpr int kMaxChunks = 65536;

uint32_t Le32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// Chunk names are four printable ASCII characters; anything else is not a chunk header.
bool IsChunkName(const uint8_t* id) {
    return std::all_of(id, id + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

std::string Quoted(const uint8_t* id) {
    return "\"" + std::string(id, id + 4) + "\"";
}

bool Is(const uint8_t* id, const char* name) {
    return std::memcmp(id, name, 4) == 0;
}

// The walk over the chunks, one at a time; Run says what it found.
class ChunkWalk {
public:
    ChunkWalk(uint64_t fileSize, const ReadAtFunction& readAt)
        : fileSize(fileSize), readAt(readAt) {}

    WaveChunks Run();

private:
    // Why the chunk at `at` cannot be walked over, or "" when it can; fills `header`.
    std::string ReadHeader(uint64_t& at, uint8_t* header, bool afterPad) const;
    // Takes the first `fmt ` chunk, compares later ones with it: "" or why they differ.
    std::string TakeFormat(uint64_t at, uint32_t size);
    void TakeData(uint64_t body, uint32_t declared, bool rf64);

    uint64_t fileSize;
    const ReadAtFunction& readAt;
    WaveChunks found;
    bool haveFormat = false;
    uint64_t formatAt = 0;
    bool haveData = false;
    bool haveDs64 = false;
    uint64_t ds64DataBytes = 0;
};

std::string ChunkWalk::ReadHeader(uint64_t& at, uint8_t* header, bool afterPad) const {
    // Some writers leave out the pad byte after a chunk of odd size: the byte that should be a
    // zero pad is then the first of the next chunk's name.
    uint8_t unpadded[8];
    if (afterPad && at + 7 <= fileSize && readAt(unpadded, 8, at - 1) == 8 && unpadded[0] != 0 &&
        IsChunkName(unpadded)) {
        std::memcpy(header, unpadded, 8);
        --at;
        return "";
    }
    if (at + 8 > fileSize || readAt(header, 8, at) != 8) {
        return "the file ends inside a chunk header at byte " + std::to_string(at);
    }
    if (!IsChunkName(header)) {
        return "no chunk begins at byte " + std::to_string(at);
    }
    return "";
}

std::string ChunkWalk::TakeFormat(uint64_t at, uint32_t size) {
    std::vector<uint8_t> body(std::min<size_t>(size, WaveChunks::kMaxFormatBytes));
    if (readAt(body.data(), body.size(), at + 8) != body.size()) {
        return "the \"fmt \" chunk at byte " + std::to_string(at) + " cannot be read";
    }
    if (!haveFormat) {
        haveFormat = true;
        formatAt = at;
        found.format = std::move(body);
        found.formatSize = size;
    } else if (size != found.formatSize || body != found.format) {
        found.refusal = "its second \"fmt \" chunk (at byte " + std::to_string(at) +
                        ") gives a different format from the first (at byte " +
                        std::to_string(formatAt) + ")";
    }
    return "";
}

void ChunkWalk::TakeData(uint64_t body, uint32_t declared, bool rf64) {
    haveData = true;
    const uint64_t available = fileSize - body;
    found.dataOffset = body;
    if (rf64 && declared == 0xFFFFFFFFu && haveDs64) {
        found.dataBytes = std::min(ds64DataBytes, available);
    } else if (declared == 0 || declared == 0xFFFFFFFFu || declared > available) {
        found.dataBytes = available;
    } else {
        found.dataBytes = declared;
    }
}

WaveChunks ChunkWalk::Run() {
    uint8_t riff[4] = {};
    const bool rf64 = readAt(riff, 4, 0) == 4 && Is(riff, "RF64");
    std::string damageAfterAudio;  // why the walk stopped after the audio, if it did
    uint64_t at = 12;
    bool afterPad = false;
    // Once the format and the audio are both found, nothing after the audio can change how it
    // reads: the walk ends there.
    for (int chunks = 0; at < fileSize && !(haveFormat && haveData); ++chunks) {
        uint8_t header[8];
        std::string damage = chunks == kMaxChunks
                                 ? "there are more than " + std::to_string(kMaxChunks) + " chunks"
                                 : ReadHeader(at, header, afterPad);
        const uint64_t body = at + 8;
        const uint32_t size = damage.empty() ? Le32(header + 4) : 0;
        if (damage.empty() && Is(header, "data") && !haveData) {
            TakeData(body, size, rf64);
            afterPad = (found.dataBytes & 1) != 0;
            at = body + found.dataBytes + (found.dataBytes & 1);
            continue;
        }
        if (damage.empty() && size > fileSize - body) {
            damage = "its " + Quoted(header) + " chunk at byte " + std::to_string(at) +
                     " declares " + std::to_string(size) + " bytes, more than the file holds";
        }
        if (damage.empty() && Is(header, "fmt ")) {
            damage = TakeFormat(at, size);
            if (!found.refusal.empty()) {
                return found;  // two formats: which one the audio is in cannot be told
            }
        }
        if (!damage.empty()) {
            if (!haveData) {
                found.refusal = "it is damaged before its audio: " + damage;
                return found;
            }
            damageAfterAudio = damage;  // the audio is whole: what follows it does not matter
            break;
        }
        if (rf64 && Is(header, "ds64") && !haveDs64 && size >= 16) {
            uint8_t bytes[8];
            if (readAt(bytes, 8, body + 8) == 8) {
                haveDs64 = true;
                ds64DataBytes = uint64_t{Le32(bytes)} | uint64_t{Le32(bytes + 4)} << 32;
            }
        }
        afterPad = (size & 1) != 0;
        at = body + size + (size & 1);
    }
    if (!haveData) {
        found.refusal = "it holds no audio (it has no \"data\" chunk)";
    } else if (!haveFormat) {
        found.refusal = "its format is missing (it has no \"fmt \" chunk";
        found.refusal +=
            damageAfterAudio.empty() ? ")" : "; after its audio, " + damageAfterAudio + ")";
    } else {
        found.found = true;
    }
    return found;
}

}  // namespace

WaveChunks FindWaveChunks(uint64_t fileSize, const ReadAtFunction& readAt) {
    return ChunkWalk(fileSize, readAt).Run();
}
