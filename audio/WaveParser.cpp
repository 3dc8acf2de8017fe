#include "audio/WaveParser.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// libsndfile's view of the file: a canonical file made of a header built here (RIFF, WAVE,
// the file's own `fmt ` chunk and a data chunk header) followed by the first bytes of the
// file's audio. libsndfile reads the format from it; where the audio lies has already been
// found by walking the chunks, so their order, repeats and any damage after the audio never
// reach it.
struct CanonicalView {
    std::vector<uint8_t> header;
    const ReadAtFunction* readAt = nullptr;
    uint64_t audioOffset = 0;  // where the shown audio lies in the real file
    uint64_t audioBytes = 0;   // how much of it is shown after the header
    sf_count_t position = 0;

    uint64_t Size() const { return header.size() + audioBytes; }
};

// libsndfile needs no more of the audio than this to recognise its format.
constexpr uint64_t kShownAudioBytes = 65536;

void PutLe32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutId(std::vector<uint8_t>& bytes, const char* id) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(id[i]));
    }
}

CanonicalView MakeCanonicalView(const WaveChunks& chunks, const ReadAtFunction& readAt) {
    CanonicalView view;
    view.readAt = &readAt;
    view.audioOffset = chunks.dataOffset;
    view.audioBytes = std::min(chunks.dataBytes, kShownAudioBytes);
    const auto formatBytes = static_cast<uint32_t>(chunks.format.size());
    const uint32_t pad = formatBytes & 1;
    std::vector<uint8_t>& h = view.header;
    PutId(h, "RIFF");
    PutLe32(h, 4 + 8 + formatBytes + pad + 8 + static_cast<uint32_t>(view.audioBytes));
    PutId(h, "WAVE");
    PutId(h, "fmt ");
    PutLe32(h, formatBytes);
    h.insert(h.end(), chunks.format.begin(), chunks.format.end());
    h.resize(h.size() + pad, 0);
    PutId(h, "data");
    PutLe32(h, static_cast<uint32_t>(view.audioBytes));
    return view;
}

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<CanonicalView*>(user)->Size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* view = static_cast<CanonicalView*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = view->position;
    } else if (whence == SEEK_END) {
        base = static_cast<sf_count_t>(view->Size());
    }
    const sf_count_t target = base + offset;
    if (target < 0) {
        return -1;
    }
    view->position = target;
    return target;
}

sf_count_t Read(void* buffer, sf_count_t count, void* user) {
    auto* view = static_cast<CanonicalView*>(user);
    auto* out = static_cast<uint8_t*>(buffer);
    sf_count_t done = 0;
    while (done < count && static_cast<uint64_t>(view->position) < view->Size()) {
        const auto at = static_cast<uint64_t>(view->position);
        const uint64_t wanted = static_cast<uint64_t>(count - done);
        size_t got = 0;
        if (at < view->header.size()) {
            got = static_cast<size_t>(std::min<uint64_t>(wanted, view->header.size() - at));
            std::memcpy(out + done, view->header.data() + at, got);
        } else {
            const uint64_t inAudio = at - view->header.size();
            const auto size = static_cast<size_t>(std::min(wanted, view->audioBytes - inAudio));
            got = (*view->readAt)(out + done, size, view->audioOffset + inAudio);
            if (got == 0) {
                break;  // the file was cut short since its chunks were walked
            }
        }
        done += static_cast<sf_count_t>(got);
        view->position += static_cast<sf_count_t>(got);
    }
    return done;
}

sf_count_t Write(const void*, sf_count_t, void*) {
    return 0;  // opened for reading only
}

sf_count_t Tell(void* user) {
    return static_cast<CanonicalView*>(user)->position;
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

uint16_t Le16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
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

// The sample format of a `fmt ` body (for WAVE_FORMAT_EXTENSIBLE, its sub-format's).
uint16_t FormatTag(const std::vector<uint8_t>& format) {
    const uint16_t tag = Le16(format.data());
    return tag == 0xFFFE && format.size() >= 26 ? Le16(format.data() + 24) : tag;
}

// What Orvane can tell from the `fmt ` chunk itself, in its own words: "" when it can go on
// to libsndfile.
std::string FormatRefusal(const WaveChunks& chunks) {
    const std::vector<uint8_t>& format = chunks.format;
    if (format.size() < 16) {
        return "its \"fmt \" chunk is too short (" + std::to_string(chunks.formatSize) +
               " bytes; a format takes 16)";
    }
    const uint16_t tag = FormatTag(format);
    if (tag != 1 && tag != 3 && tag != 0xFFFE) {
        return FormatTagName(tag) + " audio (format " + HexTag(tag) + "); " + kOpensWhat;
    }
    const uint16_t channels = Le16(format.data() + 2);
    if (channels == 0) {
        return "its \"fmt \" chunk gives 0 channels";
    }
    if (channels > 2) {
        return std::to_string(channels) + " channels; Orvane opens mono and stereo files";
    }
    const uint32_t rate = Le32(format.data() + 4);
    if (rate == 0 || rate > 0x7FFFFFFFu) {
        return "its \"fmt \" chunk gives a sample rate of " + std::to_string(rate) + " Hz";
    }
    if (Le16(format.data() + 14) == 0) {
        return "its \"fmt \" chunk gives 0 bits per sample";
    }
    return "";
}

// A format that passed the checks above but that libsndfile does not read, such as 40-bit
// PCM or 16-bit floats, described from the `fmt ` chunk.
std::string Unreadable(const std::vector<uint8_t>& format) {
    const uint16_t tag = FormatTag(format);
    std::string what = std::to_string(Le16(format.data() + 14)) + "-bit " +
                       (tag == 3 ? "floating-point" : "PCM") + " samples";
    if (Le16(format.data()) == 0xFFFE) {
        what = format.size() < 26 ? "a WAVE_FORMAT_EXTENSIBLE format without its sub-format"
                                  : what + " (WAVE_FORMAT_EXTENSIBLE)";
    }
    return "its \"fmt \" chunk gives " + what + ", which Orvane cannot read; " + kOpensWhat;
}

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
    const WaveChunks chunks = FindWaveChunks(fileSize, readAt);
    if (!chunks.found) {
        return Refuse(chunks.refusal);
    }
    if (std::string why = FormatRefusal(chunks); !why.empty()) {
        return Refuse(std::move(why));
    }

    CanonicalView view = MakeCanonicalView(chunks, readAt);
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseSoundFile> sound(sf_open_virtual(&io, SFM_READ, &info, &view));
    if (!sound) {
        return Refuse(Unreadable(chunks.format) + " (libsndfile: " + sf_strerror(nullptr) + ")");
    }
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    WaveLayout layout;
    if (!EncodingOf(subtype, layout.samples.encoding)) {
        return Refuse(SubtypeName(subtype) + " audio; " + kOpensWhat);
    }
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0) {
        return Refuse(Unreadable(chunks.format));  // the checks above make this unexpected
    }
    layout.samples.channels = static_cast<uint16_t>(info.channels);
    layout.sampleRate = static_cast<uint32_t>(info.samplerate);
    layout.dataOffset = chunks.dataOffset;
    layout.frames = chunks.dataBytes / layout.samples.BytesPerFrame();
    WaveParseResult result;
    result.accepted = true;
    result.layout = layout;
    return result;
}

bool IsWaveContainer(uint64_t fileSize, const ReadAtFunction& readAt) {
    uint8_t head[12] = {};
    return fileSize >= sizeof head && readAt(head, sizeof head, 0) == sizeof head &&
           HasWaveSignature(head);
}
