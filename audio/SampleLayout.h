#pragma once

#include <cstddef>
#include <cstdint>

/// How the samples of a source file's data chunk are laid out, and their conversion to the
/// native frames (16-bit stereo, little-endian, left first) as they are read.
///
///     SampleLayout mono24{SampleEncoding::kInt24, 1};
///     ConvertToNative(mono24, raw, 512, frames);  // 512 * 3 bytes in, 512 * 4 bytes out
///
/// Integers keep their 16 most significant bits (lower bits are dropped, no dithering); 8-bit
/// samples are unsigned around 128. Floats are scaled by 32768, rounded to the nearest step,
/// saturated to -32768..32767, and NaN gives 0. A mono sample goes to both channels.
enum class SampleEncoding : uint8_t { kUInt8, kInt16, kInt24, kInt32, kFloat32, kFloat64 };

struct SampleLayout {
    SampleEncoding encoding = SampleEncoding::kInt16;
    uint16_t channels = 2;  // 1 or 2

    uint32_t BytesPerSample() const {
        switch (encoding) {
            case SampleEncoding::kUInt8:
                return 1;
            case SampleEncoding::kInt16:
                return 2;
            case SampleEncoding::kInt24:
                return 3;
            case SampleEncoding::kInt32:
            case SampleEncoding::kFloat32:
                return 4;
            case SampleEncoding::kFloat64:
                return 8;
        }
        return 2;
    }
    uint32_t BytesPerFrame() const { return BytesPerSample() * channels; }
    /// True for 16-bit stereo: its bytes are already native frames.
    bool IsNative() const { return encoding == SampleEncoding::kInt16 && channels == 2; }
};

/// Converts `frames` frames of `layout` from `raw` into native frames at `out`.
void ConvertToNative(const SampleLayout& layout, const uint8_t* raw, size_t frames, uint8_t* out);

/// One float sample as a 16-bit sample, by the rule above.
int16_t FloatToSample(double value);
