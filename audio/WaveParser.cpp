#include "audio/WaveParser.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// libsndfile's view of the file: a position of its own over the caller's positioned reads.
// The last absolute seek is kept, since seeking to frame 0 lands on the first data byte.
// A data chunk declared 0 or 0xFFFFFFFF bytes long (a writer cut off before it fixed the
// length) is shown to libsndfile as running to the end of the file, since it would otherwise
// read whatever follows as further chunks.
struct VirtualFile {
    uint64_t size = 0;
    const ReadAtFunction* readAt = nullptr;
    sf_count_t position = 0;
    sf_count_t lastSeek = -1;
    uint64_t patchAt = 0;  // offset of the 4 bytes replaced by patch, when patched
    uint8_t patch[4] = {};
    bool patched = false;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<VirtualFile*>(user)->size);
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<VirtualFile*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = file->position;
    } else if (whence == SEEK_END) {
        base = static_cast<sf_count_t>(file->size);
    }
    const sf_count_t target = base + offset;
    if (target < 0) {
        return -1;
    }
    file->position = target;
    file->lastSeek = target;
    return target;
}

sf_count_t Read(void* buffer, sf_count_t count, void* user) {
    auto* file = static_cast<VirtualFile*>(user);
    if (count <= 0 || static_cast<uint64_t>(file->position) >= file->size) {
        return 0;
    }
    const auto from = static_cast<uint64_t>(file->position);
    // Never past the end this view gives the file, which may end before the real one.
    const auto wanted = static_cast<size_t>(std::min<uint64_t>(count, file->size - from));
    const size_t got = (*file->readAt)(buffer, wanted, from);
    if (file->patched) {
        auto* bytes = static_cast<uint8_t*>(buffer);
        for (uint64_t at = file->patchAt; at < file->patchAt + 4; ++at) {
            if (at >= from && at < from + got) {
                bytes[at - from] = file->patch[at - file->patchAt];
            }
        }
    }
    file->position += static_cast<sf_count_t>(got);
    return static_cast<sf_count_t>(got);
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;  // opened for reading only
}

sf_count_t Tell(void* user) {
    return static_cast<VirtualFile*>(user)->position;
}

struct CloseSoundFile {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

uint32_t Le32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

bool EncodingOf(int subtype, SampleEncoding& encoding) {
    switch (subtype) {
        case SF_FORMAT_PCM_U8:
            encoding = SampleEncoding::kUInt8;
            return true;
        case SF_FORMAT_PCM_16:
            encoding = SampleEncoding::kInt16;
            return true;
        case SF_FORMAT_PCM_24:
            encoding = SampleEncoding::kInt24;
            return true;
        case SF_FORMAT_PCM_32:
            encoding = SampleEncoding::kInt32;
            return true;
        case SF_FORMAT_FLOAT:
            encoding = SampleEncoding::kFloat32;
            return true;
        case SF_FORMAT_DOUBLE:
            encoding = SampleEncoding::kFloat64;
            return true;
        default:
            return false;
    }
}

// libsndfile's own name for a sample format, such as "IMA ADPCM".
std::string SubtypeName(int subtype) {
    SF_FORMAT_INFO info{};
    info.format = subtype;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name != nullptr) {
        return info.name;
    }
    return "format " + std::to_string(subtype);
}

WaveParseResult Refuse(std::string why) {
    WaveParseResult result;
    result.refusal = std::move(why);
    return result;
}

bool HasWaveSignature(const uint8_t* head) {
    return (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0 ||
            std::memcmp(head, "RIFX", 4) == 0) &&
           std::memcmp(head + 8, "WAVE", 4) == 0;
}

// The frames by the length rule, from the data chunk's header just before the first frame.
bool CountFrames(const VirtualFile& file, bool rf64, uint64_t libraryFrames, WaveLayout& layout) {
    uint8_t chunk[8];
    if (layout.dataOffset < 8 || layout.dataOffset > file.size ||
        (*file.readAt)(chunk, 8, layout.dataOffset - 8) != 8 ||
        std::memcmp(chunk, "data", 4) != 0) {
        return false;
    }
    const uint64_t frameBytes = layout.samples.BytesPerFrame();
    const uint64_t available = file.size - layout.dataOffset;
    const uint32_t declared = Le32(chunk + 4);
    if (rf64 && declared == 0xFFFFFFFFu) {
        layout.frames = std::min(libraryFrames, available / frameBytes);  // from ds64
    } else if (declared == 0 || declared == 0xFFFFFFFFu || declared > available) {
        layout.frames = available / frameBytes;
    } else {
        layout.frames = declared / frameBytes;
    }
    return true;
}

// The first chunk `id` at the top level, found by walking the chunks from byte 12: its body's
// offset and declared size. False when there is none (or the walk runs out of the file).
bool FindChunk(uint64_t fileSize, const ReadAtFunction& readAt, const char* id, uint64_t& body,
               uint32_t& size) {
    uint64_t at = 12;
    for (int chunks = 0; chunks < 64 && at + 8 <= fileSize; ++chunks) {
        uint8_t header[8];
        if (readAt(header, 8, at) != 8) {
            return false;
        }
        size = Le32(header + 4);
        if (std::memcmp(header, id, 4) == 0) {
            body = at + 8;
            return true;
        }
        at += 8 + uint64_t{size} + (size & 1);
    }
    return false;
}

// The format tag of the `fmt ` chunk (for WAVE_FORMAT_EXTENSIBLE, its sub-format's), or 0.
// Used only to name a format that libsndfile does not read.
uint16_t FindFormatTag(uint64_t fileSize, const ReadAtFunction& readAt) {
    uint64_t body = 0;
    uint32_t size = 0;
    uint8_t fmt[26] = {};
    if (!FindChunk(fileSize, readAt, "fmt ", body, size)) {
        return 0;
    }
    const size_t got = readAt(fmt, std::min<size_t>(size, sizeof fmt), body);
    if (got < 2) {
        return 0;
    }
    const auto tag = static_cast<uint16_t>(fmt[0] | fmt[1] << 8);
    return tag == 0xFFFE && got >= 26 ? static_cast<uint16_t>(fmt[24] | fmt[25] << 8) : tag;
}

std::string FormatTagName(uint16_t tag) {
    switch (tag) {
        case 0x0002:
            return "Microsoft ADPCM";
        case 0x0006:
            return "A-law";
        case 0x0007:
            return "u-law";
        case 0x0011:
            return "IMA ADPCM";
        case 0x0031:
            return "GSM 6.10";
        case 0x0050:
            return "MPEG";
        case 0x0055:
            return "MPEG Layer 3";
        default:
            return "compressed";
    }
}

std::string HexTag(uint16_t tag) {
    const char* digits = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += digits[(tag >> shift) & 0xF];
    }
    return text;
}

const char* kOpensWhat = "Orvane opens PCM (8, 16, 24, 32 bits) and floating-point files";

}  // namespace

WaveParseResult ParseWave(uint64_t fileSize, const ReadAtFunction& readAt) {
    uint8_t head[12] = {};
    if (fileSize < sizeof head || readAt(head, sizeof head, 0) != sizeof head ||
        !HasWaveSignature(head)) {
        return Refuse("it is not a WAV file");
    }
    if (std::memcmp(head, "RIFX", 4) == 0) {
        return Refuse("big-endian samples (RIFX); Orvane opens little-endian WAV files");
    }

    VirtualFile file{fileSize, &readAt};
    uint64_t dataBody = 0;
    uint32_t dataSize = 0;
    const bool riffData = std::memcmp(head, "RIFF", 4) == 0 &&
                          FindChunk(fileSize, readAt, "data", dataBody, dataSize) &&
                          dataBody <= fileSize;
    if (riffData && (dataSize == 0 || dataSize == 0xFFFFFFFFu)) {
        const uint64_t rest = std::min<uint64_t>(fileSize - dataBody, 0xFFFFFFFEu);
        file.patched = true;
        file.patchAt = dataBody - 4;
        for (int i = 0; i < 4; ++i) {
            file.patch[i] = static_cast<uint8_t>(rest >> (8 * i));
        }
    }
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseSoundFile> sound(sf_open_virtual(&io, SFM_READ, &info, &file));
    const uint64_t dataEnd = dataBody + dataSize;
    if (!sound && riffData && !file.patched && dataEnd < fileSize) {
        // Chunks after the audio that libsndfile cannot make sense of (a damaged LIST, or a
        // second "data") refuse a file whose own frames are sound: try again with the file
        // ending where its data chunk ends.
        file = VirtualFile{dataEnd, &readAt};
        info = SF_INFO{};
        sound.reset(sf_open_virtual(&io, SFM_READ, &info, &file));
    }
    if (!sound) {
        const uint16_t tag = FindFormatTag(fileSize, readAt);
        if (tag != 0 && tag != 1 && tag != 3) {
            return Refuse(FormatTagName(tag) + " audio (format " + HexTag(tag) + "); " +
                          kOpensWhat);
        }
        return Refuse(std::string("its WAV header is damaged (") + sf_strerror(nullptr) + ")");
    }
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64) {
        return Refuse("it is not a WAV file");
    }
    if (info.channels < 1 || info.channels > 2) {
        return Refuse(std::to_string(info.channels) +
                      " channels; Orvane opens mono and stereo files");
    }
    WaveLayout layout;
    if (!EncodingOf(subtype, layout.samples.encoding)) {
        return Refuse(SubtypeName(subtype) + " audio; " + kOpensWhat);
    }
    if (info.samplerate <= 0) {
        return Refuse("its sample rate is " + std::to_string(info.samplerate));
    }
    layout.samples.channels = static_cast<uint16_t>(info.channels);
    layout.sampleRate = static_cast<uint32_t>(info.samplerate);

    // Seeking to frame 0 moves libsndfile onto the first byte of the data chunk.
    file.lastSeek = -1;
    const sf_count_t afterHeader = file.position;
    sf_seek(sound.get(), 0, SEEK_SET);
    layout.dataOffset = static_cast<uint64_t>(file.lastSeek >= 0 ? file.lastSeek : afterHeader);
    if (!CountFrames(file, major == SF_FORMAT_RF64, static_cast<uint64_t>(info.frames), layout)) {
        return Refuse("its data chunk could not be found");
    }
    WaveParseResult result;
    result.accepted = true;
    result.layout = layout;
    return result;
}
