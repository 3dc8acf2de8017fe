#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/RateConverter.h"
#include "render/RenderFormat.h"

class WaveFile;
struct sf_private_tag;

/// Triangular (TPDF) dither for reducing to 16 bits: the sum of two independent uniform values
/// of +-0.5 step each, added before rounding so that the rounding error no longer follows the
/// signal. A fixed seed: the same render gives the same file every time.
///
///     TpdfDither dither;
///     const double noisy = sample * 32768.0 + dither.Next();
class TpdfDither {
public:
    /// The next offset, in steps, within (-1, 1).
    double Next() { return Uniform() + Uniform(); }

private:
    /// Uniform within [-0.5, 0.5).
    double Uniform();

    uint64_t state = 0x9E3779B97F4A7C15ull;
};

/// Writes a render's stereo frames in one of the render formats: canonical 16-bit WAV through
/// WaveFile, the others through libsndfile. Frames come either as 16-bit samples, stored
/// exactly in every format (an unchanged signal stays bit for bit what it was), or as the
/// effects' floats (full scale +-1.0), which keep their resolution beyond 16 bits in the 24-bit
/// and float formats and are rounded, with TPDF dither when asked, in the 16-bit ones (a float
/// that is already a 16-bit step is stored as it is). Frames
/// are buffered and written in few large writes.
///
///     RenderWriter writer(RenderFormat::kFlac24, 48000, false);
///     if (writer.Open(path, frames) && writer.WriteFloat(left, right, n) && writer.Finish())
///         ...; else report(writer.FailureReason());
class RenderWriter {
public:
    /// `dither`: whether WriteFloat dithers when the format holds 16 bits.
    RenderWriter(RenderFormat format, uint32_t rate, bool dither);
    ~RenderWriter();
    RenderWriter(const RenderWriter&) = delete;
    RenderWriter& operator=(const RenderWriter&) = delete;

    /// Writes the file at `outputRate` instead, converting the frames with RateConverter; every
    /// frame then counts as changed (dithered in 16 bits when asked). Call before Open.
    void ResampleTo(uint32_t outputRate);

    /// Creates (or empties) the file at `path`, announcing `frames` frames where the format's
    /// header needs them up front. False with FailureReason set.
    bool Open(const std::string& path, uint32_t frames);

    /// Adds `count` frames of little-endian 16-bit pairs, stored exactly.
    bool WriteInt16(const uint8_t* frames, uint32_t count);
    /// Adds `count` frames of floats: rounded to the format's step (halves away from zero),
    /// saturated at full scale; the float format keeps them as they are. NaN becomes 0.
    bool WriteFloat(const float* left, const float* right, uint32_t count);

    /// Writes what is buffered, makes the header announce every frame written and closes the
    /// file.
    bool Finish();

    /// Frames written so far (at the output's rate).
    uint64_t FramesWritten() const { return written; }

    /// Why the latest call failed, in words for the user.
    const std::string& FailureReason() const { return failureReason; }

private:
    /// Frames buffered before a write.
    static constexpr uint32_t kBatchFrames = 1u << 18;

    bool Flush();
    /// Buffers one frame of floats, reduced to the format.
    bool Store(float left, float right);
    bool Fail(const std::string& why);
    /// One sample reduced to 16 bits (dithered when asked).
    int16_t To16(float value);

    RenderFormat format;
    uint32_t rate;
    bool dither;
    TpdfDither noise;
    std::unique_ptr<WaveFile> wave;   // canonical 16-bit WAV
    sf_private_tag* sound = nullptr;  // every other format
    uint32_t announced = 0;
    bool headerWritten = false;  // canonical WAV: the header goes with the first write
    uint64_t written = 0;
    std::unique_ptr<RateConverter> converter;  // with ResampleTo
    std::vector<float> interleaved;            // the converter's input and output
    // Interleaved frames waiting for a write; only the one the format needs is used.
    std::vector<uint8_t> bytes;
    std::vector<int32_t> integers;
    std::vector<float> floats;
    uint32_t buffered = 0;
    std::string failureReason;
};
