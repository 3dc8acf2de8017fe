#include "audio/SampleLayout.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t Le32(const uint8_t* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// One sample at `at` as a 16-bit sample.
int16_t ReadSample(SampleEncoding encoding, const uint8_t* at) {
    switch (encoding) {
        case SampleEncoding::kUInt8:
            return static_cast<int16_t>((at[0] - 128) * 256);
        case SampleEncoding::kInt16:
            return static_cast<int16_t>(at[0] | at[1] << 8);
        case SampleEncoding::kInt24:
            // The two most significant bytes: the low byte is dropped.
            return static_cast<int16_t>(at[1] | at[2] << 8);
        case SampleEncoding::kInt32:
            return static_cast<int16_t>(at[2] | at[3] << 8);
        case SampleEncoding::kFloat32: {
            const uint32_t bits = Le32(at);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return FloatToSample(value);
        }
        case SampleEncoding::kFloat64: {
            const uint64_t bits = uint64_t{Le32(at)} | uint64_t{Le32(at + 4)} << 32;
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return FloatToSample(value);
        }
    }
    return 0;
}

void PutSample(uint8_t* at, int16_t sample) {
    const auto bits = static_cast<uint16_t>(sample);
    at[0] = static_cast<uint8_t>(bits);
    at[1] = static_cast<uint8_t>(bits >> 8);
}

}  // namespace

int16_t FloatToSample(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // Compared before converting, so that infinities and huge values never reach the cast.
    const double scaled = std::floor(value * 32768.0 + 0.5);
    if (scaled >= 32767.0) {
        return 32767;
    }
    if (scaled <= -32768.0) {
        return -32768;
    }
    return static_cast<int16_t>(scaled);
}

void ConvertToNative(const SampleLayout& layout, const uint8_t* raw, size_t frames, uint8_t* out) {
    if (layout.IsNative()) {
        std::memcpy(out, raw, frames * 4);
        return;
    }
    const uint32_t sampleBytes = layout.BytesPerSample();
    const bool stereo = layout.channels == 2;
    for (size_t k = 0; k < frames; ++k, out += 4) {
        const int16_t left = ReadSample(layout.encoding, raw);
        raw += sampleBytes;
        const int16_t right = stereo ? ReadSample(layout.encoding, raw) : left;
        raw += stereo ? sampleBytes : 0;
        PutSample(out, left);
        PutSample(out + 2, right);
    }
}
