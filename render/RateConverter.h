#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct soxr;

/// Converts a stream of stereo float frames (interleaved, full scale +-1.0) from one sample
/// rate to another with libsoxr at its very high quality. The output lines up with the input
/// (the filter's delay is taken out) and, once drained, holds exactly the input's length at the
/// new rate, rounded to the nearest frame.
///
///     RateConverter converter(48000, 44100);
///     std::vector<float> out;
///     converter.Push(block.data(), frames, out);  // as often as needed
///     converter.Drain(out);                       // the rest
class RateConverter {
public:
    RateConverter(uint32_t fromRate, uint32_t toRate);
    ~RateConverter();
    RateConverter(const RateConverter&) = delete;
    RateConverter& operator=(const RateConverter&) = delete;

    /// False when the converter could not be made (Failure says why).
    bool IsReady() const { return converter != nullptr; }
    const std::string& Failure() const { return failure; }

    /// Converts `count` interleaved frames and appends what comes out to `out`.
    bool Push(const float* frames, uint32_t count, std::vector<float>& out);
    /// Appends the frames still inside the filter; afterwards no more may be pushed.
    bool Drain(std::vector<float>& out);

    /// How many frames `frames` at `fromRate` become at `toRate`: rounded to the nearest.
    static uint64_t ConvertedLength(uint64_t frames, uint32_t fromRate, uint32_t toRate);

private:
    /// Appends at most the frames still owed to the output, counting them.
    void Keep(const float* frames, size_t count, std::vector<float>& out);

    soxr* converter = nullptr;
    uint32_t from;
    uint32_t to;
    uint64_t framesIn = 0;
    uint64_t framesOut = 0;
    std::vector<float> scratch;
    std::string failure;
};
