#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// The file formats a render writes, all stereo.
enum class RenderFormat {
    kWav16,     // canonical 16-bit PCM WAV (the default)
    kWav24,     // 24-bit PCM WAV
    kWavFloat,  // 32-bit floating-point WAV: keeps whatever the effects put out, overs included
    kFlac16,    // FLAC, 16 bits
    kFlac24,    // FLAC, 24 bits
};

/// Names, bit depths and limits of the render formats.
///
///     RenderFormat format = render_format::ForPath("mix.flac");   // kFlac16
///     if (auto named = render_format::Parse("wav24")) format = *named;
namespace render_format {

/// Every format, in the order a chooser lists them.
inline constexpr RenderFormat kAll[] = {RenderFormat::kWav16, RenderFormat::kWav24,
                                        RenderFormat::kWavFloat, RenderFormat::kFlac16,
                                        RenderFormat::kFlac24};

/// The name `--format` takes: wav16, wav24, wav32f, flac16, flac24.
const char* Name(RenderFormat format);
/// The words a chooser shows, e.g. "WAV, 24-bit".
const char* Label(RenderFormat format);
/// The format called `name` (as Name gives it, any case); nothing for an unknown one.
std::optional<RenderFormat> Parse(const std::string& name);
/// The format an output's extension implies when none is named: FLAC 16-bit for ".flac",
/// otherwise WAV 16-bit.
RenderFormat ForPath(const std::string& path);
/// True for the formats that hold samples in 16 bits, where a changed signal is dithered.
bool Is16Bit(RenderFormat format);
/// The most frames a file of this format can announce in its header.
uint32_t MaxFrames(RenderFormat format);

}  // namespace render_format
