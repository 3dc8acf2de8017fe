#include "render/RenderFormat.h"

#include <strings.h>

namespace render_format {

const char* Name(RenderFormat format) {
    switch (format) {
        case RenderFormat::kWav24:
            return "wav24";
        case RenderFormat::kWavFloat:
            return "wav32f";
        case RenderFormat::kFlac16:
            return "flac16";
        case RenderFormat::kFlac24:
            return "flac24";
        case RenderFormat::kWav16:
            break;
    }
    return "wav16";
}

const char* Label(RenderFormat format) {
    switch (format) {
        case RenderFormat::kWav24:
            return "WAV, 24-bit";
        case RenderFormat::kWavFloat:
            return "WAV, 32-bit float";
        case RenderFormat::kFlac16:
            return "FLAC, 16-bit";
        case RenderFormat::kFlac24:
            return "FLAC, 24-bit";
        case RenderFormat::kWav16:
            break;
    }
    return "WAV, 16-bit";
}

std::optional<RenderFormat> Parse(const std::string& name) {
    for (const RenderFormat format : kAll) {
        if (::strcasecmp(name.c_str(), Name(format)) == 0) {
            return format;
        }
    }
    return std::nullopt;
}

RenderFormat ForPath(const std::string& path) {
    constexpr const char* kFlac = ".flac";
    constexpr size_t kFlacLength = 5;
    const bool flac = path.size() >= kFlacLength &&
                      ::strcasecmp(path.c_str() + path.size() - kFlacLength, kFlac) == 0;
    return flac ? RenderFormat::kFlac16 : RenderFormat::kWav16;
}

bool Is16Bit(RenderFormat format) {
    return format == RenderFormat::kWav16 || format == RenderFormat::kFlac16;
}

uint32_t MaxFrames(RenderFormat format) {
    // A RIFF size field is 32 bits; room is left for the longer headers of the formats that
    // libsndfile writes (an extensible format chunk, fact and PEAK chunks).
    constexpr uint32_t kRiffRoom = 0xFFFFFFFFu - 4096;
    switch (format) {
        case RenderFormat::kWav16:
            return (0xFFFFFFFFu - 36) / 4;
        case RenderFormat::kWav24:
            return kRiffRoom / 6;
        case RenderFormat::kWavFloat:
            return kRiffRoom / 8;
        case RenderFormat::kFlac16:
        case RenderFormat::kFlac24:
            break;
    }
    // FLAC counts samples in 36 bits: only the editor's own 32-bit positions bound it.
    return 0xFFFFFFFFu;
}

}  // namespace render_format
