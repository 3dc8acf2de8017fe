#include "audio/SoundFileDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cstring>

// The samples libsndfile hands over are converted by SampleLayout's rules, which read
// little-endian bytes.
static_assert(std::endian::native == std::endian::little);

namespace {

// Frames per libsndfile call: small enough for the scratch buffers to stay in the cache.
constexpr uint32_t kPieceFrames = 4096;
// Frames decoded at the end of the file when it is opened, to check its length.
constexpr uint64_t kTailFrames = 65536;

const char* kNotAudio = "it is not a WAV file or any other audio file Orvane reads";
const char* kChannelsOpened = "Orvane opens mono and stereo files";

// libsndfile's view of the held file: positioned reads, with a position of its own.
struct FileView {
    const platform::ExclusiveFile* file = nullptr;
    sf_count_t size = 0;
    sf_count_t position = 0;
};

sf_count_t ViewLength(void* user) {
    return static_cast<FileView*>(user)->size;
}

sf_count_t ViewSeek(sf_count_t offset, int whence, void* user) {
    auto* view = static_cast<FileView*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? view->position
                            : whence == SEEK_END ? view->size
                                                 : 0;
    if (base + offset < 0) {
        return -1;
    }
    view->position = base + offset;
    return view->position;
}

sf_count_t ViewRead(void* buffer, sf_count_t count, void* user) {
    auto* view = static_cast<FileView*>(user);
    if (count <= 0 || view->position >= view->size) {
        return 0;
    }
    const size_t wanted = static_cast<size_t>(std::min(count, view->size - view->position));
    const size_t got = view->file->ReadAt(buffer, wanted, static_cast<uint64_t>(view->position));
    view->position += static_cast<sf_count_t>(got);
    return static_cast<sf_count_t>(got);
}

sf_count_t ViewWrite(const void*, sf_count_t, void*) {
    return 0;  // opened for reading only
}

sf_count_t ViewTell(void* user) {
    return static_cast<FileView*>(user)->position;
}

bool IsFloatingSubtype(int subtype) {
    switch (subtype) {
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
        case SF_FORMAT_VORBIS:
        case SF_FORMAT_OPUS:
        case SF_FORMAT_MPEG_LAYER_I:
        case SF_FORMAT_MPEG_LAYER_II:
        case SF_FORMAT_MPEG_LAYER_III:
            return true;
        default:
            return false;
    }
}

// libsndfile's Vorbis seek can land with the first block after it wrong, and its Opus seek
// with the decoder not quite settled; both are exact once decoded over a few thousand frames.
bool NeedsPreroll(int subtype) {
    return subtype == SF_FORMAT_VORBIS || subtype == SF_FORMAT_OPUS;
}

std::string LibraryName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name != nullptr) {
        return info.name;
    }
    return "audio format " + std::to_string(format);
}

// The name people know the file's format by.
std::string FormatName(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    const int subtype = format & SF_FORMAT_SUBMASK;
    switch (major) {
        case SF_FORMAT_FLAC:
            return "FLAC";
        case SF_FORMAT_OGG:
            return subtype == SF_FORMAT_OPUS     ? "Opus"
                   : subtype == SF_FORMAT_VORBIS ? "Ogg Vorbis"
                                                 : "Ogg";
        case SF_FORMAT_MPEG:
            return subtype == SF_FORMAT_MPEG_LAYER_III  ? "MP3"
                   : subtype == SF_FORMAT_MPEG_LAYER_II ? "MPEG Layer II"
                                                        : "MPEG Layer I";
        case SF_FORMAT_AIFF:
            return "AIFF";
        case SF_FORMAT_W64:
            return "Wave64";
        case SF_FORMAT_CAF:
            return "CAF";
        default:
            return LibraryName(major);
    }
}

// What the first bytes say the file is, for a file libsndfile would not open: "" when they
// look like no audio format Orvane reads.
std::string KindFromSignature(const platform::ExclusiveFile& file) {
    uint8_t head[40] = {};
    const size_t got = file.ReadAt(head, sizeof head, 0);
    const auto starts = [&](const char* magic, size_t at = 0) {
        const size_t length = std::strlen(magic);
        return got >= at + length && std::memcmp(head + at, magic, length) == 0;
    };
    if (starts("fLaC")) {
        return "FLAC";
    }
    if (starts("OggS")) {
        return starts("OpusHead", 28) ? "Opus" : starts("vorbis", 29) ? "Ogg Vorbis" : "Ogg";
    }
    if (starts("FORM") && (starts("AIFF", 8) || starts("AIFC", 8))) {
        return "AIFF";
    }
    if (starts("riff") && got >= 24 && head[16] == 'w' && head[17] == 'a' && head[18] == 'v' &&
        head[19] == 'e') {
        return "Wave64";
    }
    if (starts("ID3") || (got >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0)) {
        return "MP3";
    }
    return "";
}

std::string CannotRead(const platform::ExclusiveFile& file) {
    const std::string kind = KindFromSignature(file);
    if (kind.empty()) {
        return kNotAudio;
    }
    return "it looks like " + kind +
           " audio that Orvane cannot read (libsndfile: " + sf_strerror(nullptr) + ")";
}

std::string Grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

}  // namespace

struct SoundFileDecoder::Source {
    FileView view;
    SF_VIRTUAL_IO io{ViewLength, ViewSeek, ViewRead, ViewWrite, ViewTell};
};

SoundFileDecoder::SoundFileDecoder(const platform::ExclusiveFile& file,
                                   std::unique_ptr<Source> source, SNDFILE* sound,
                                   DecodedFormat format)
    : file(file), source(std::move(source)), sound(sound), format(std::move(format)) {}

SoundFileDecoder::~SoundFileDecoder() {
    sf_close(sound);
}

std::unique_ptr<SoundFileDecoder> SoundFileDecoder::Open(const platform::ExclusiveFile& file,
                                                         std::string& refusal) {
    auto source = std::make_unique<Source>();
    source->view.file = &file;
    source->view.size = static_cast<sf_count_t>(file.Size());
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&source->io, SFM_READ, &info, &source->view);
    if (sound == nullptr) {
        refusal = CannotRead(file);
        return nullptr;
    }
    DecodedFormat format;
    format.name = FormatName(info.format);
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    format.floating = IsFloatingSubtype(subtype);
    format.needsPreroll = NeedsPreroll(subtype);
    if (info.channels < 1 || info.channels > 2) {
        sf_close(sound);
        refusal = format.name + " audio with " + std::to_string(info.channels) + " channels; " +
                  kChannelsOpened;
        return nullptr;
    }
    if (info.samplerate <= 0) {
        sf_close(sound);
        refusal = format.name + " audio without a sample rate";
        return nullptr;
    }
    format.channels = static_cast<uint16_t>(info.channels);
    format.sampleRate = static_cast<uint32_t>(info.samplerate);
    const bool lengthKnown = info.frames >= 0 && info.frames != SF_COUNT_MAX;
    format.frames = lengthKnown ? static_cast<uint64_t>(info.frames) : 0;
    std::unique_ptr<SoundFileDecoder> decoder(
        new SoundFileDecoder(file, std::move(source), sound, format));

    // The length libsndfile announces is checked against a decode of the last frames: a
    // header that promises more than the file holds (a copy cut off) is refused, and the
    // estimate of a stream without a length tag is replaced by what its decode delivers.
    const bool estimated = !lengthKnown || (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
    const uint64_t checkFrom =
        lengthKnown && format.frames > kTailFrames ? format.frames - kTailFrames : 0;
    int64_t end = decoder->DecodedEndFrom(checkFrom);
    if (checkFrom > 0 && end <= static_cast<int64_t>(checkFrom)) {
        // The seek failed or found nothing: the real end lies earlier, or seeking does not
        // work in this file. A decode from the start tells.
        end = decoder->DecodedEndFrom(0);
    }
    if (end < 0) {
        refusal = format.name +
                  " audio whose frames cannot be decoded (libsndfile: " + sf_strerror(sound) + ")";
        return nullptr;
    }
    if (estimated) {
        decoder->format.frames = static_cast<uint64_t>(end);
    } else if (static_cast<uint64_t>(end) < format.frames) {
        refusal = format.name + " audio cut short: its header announces " + Grouped(format.frames) +
                  " frames, and only " + Grouped(static_cast<uint64_t>(end)) + " can be decoded";
        return nullptr;
    }
    return decoder;
}

std::unique_ptr<SoundFileDecoder> SoundFileDecoder::Another() const {
    auto source = std::make_unique<Source>();
    source->view.file = &file;
    source->view.size = static_cast<sf_count_t>(file.Size());
    SF_INFO info{};
    SNDFILE* another = sf_open_virtual(&source->io, SFM_READ, &info, &source->view);
    if (another == nullptr) {
        return nullptr;
    }
    if (info.channels != format.channels) {
        sf_close(another);
        return nullptr;  // the file changed since it was opened
    }
    return std::unique_ptr<SoundFileDecoder>(
        new SoundFileDecoder(file, std::move(source), another, format));
}

int64_t SoundFileDecoder::DecodedEndFrom(uint64_t from) {
    if (!SeekTo(from)) {
        return -1;
    }
    while (DecodeHere(nullptr, kPieceFrames) == kPieceFrames) {
    }
    return static_cast<int64_t>(position);
}

bool SoundFileDecoder::SeekTo(uint64_t frame) {
    const uint64_t preroll = format.needsPreroll ? std::min<uint64_t>(frame, kPrerollFrames) : 0;
    const auto start = static_cast<sf_count_t>(frame - preroll);
    if (sf_seek(sound, start, SEEK_SET) != start) {
        position = UINT64_MAX;  // unknown: the next decode seeks again
        return false;
    }
    position = static_cast<uint64_t>(start);
    return preroll == 0 || DecodeHere(nullptr, static_cast<uint32_t>(preroll)) == preroll;
}

uint32_t SoundFileDecoder::Decode(void* out, uint32_t n, uint64_t frame) {
    if (frame != position && !SeekTo(frame)) {
        return 0;
    }
    return DecodeHere(static_cast<uint8_t*>(out), n);
}

uint32_t SoundFileDecoder::DecodeHere(uint8_t* out, uint32_t n) {
    const SampleLayout layout{format.floating ? SampleEncoding::kFloat64 : SampleEncoding::kInt32,
                              format.channels};
    if (out == nullptr) {
        discard.resize(size_t{kPieceFrames} * 4);
    }
    uint32_t done = 0;
    while (done < n) {
        const uint32_t piece = std::min(n - done, kPieceFrames);
        sf_count_t got = 0;
        const uint8_t* raw = nullptr;
        if (format.floating) {
            doubles.resize(size_t{kPieceFrames} * format.channels);
            got = sf_readf_double(sound, doubles.data(), piece);
            raw = reinterpret_cast<const uint8_t*>(doubles.data());
        } else {
            ints.resize(size_t{kPieceFrames} * format.channels);
            got = sf_readf_int(sound, ints.data(), piece);
            raw = reinterpret_cast<const uint8_t*>(ints.data());
        }
        if (got <= 0) {
            break;
        }
        uint8_t* to = out != nullptr ? out + size_t{done} * 4 : discard.data();
        ConvertToNative(layout, raw, static_cast<size_t>(got), to);
        done += static_cast<uint32_t>(got);
        position += static_cast<uint64_t>(got);
        if (got < piece) {
            break;
        }
    }
    return done;
}
