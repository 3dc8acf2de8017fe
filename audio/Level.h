#pragma once

#include <cstdint>
#include <vector>

/// How a fade's gain moves from one end to the other.
enum class FadeCurve : uint8_t {
    kLinear,       // straight from one gain to the other
    kEqualPower,   // a quarter sine: the sum of a fade out and a fade in keeps its power
    kLogarithmic,  // even steps in decibels over 60 dB: slow at the quiet end, as ears hear it
};

/// A gain that changes along a run of source frames: `fromGain` at source frame `origin`,
/// `toGain` at origin + length - 1, following `curve` between them; before and after it the
/// end gains hold. Its positions are frames of the source file, not of the workspace, so a
/// piece cut in two keeps the same ramp in both halves and each half reads its own part of the
/// curve.
///
///     Ramp in{FadeCurve::kLinear, 1000, 441, 0.0, 1.0};   // a 10 ms fade in at source 1000
///     double g = in.GainAt(1220);                         // 0.5
struct Ramp {
    FadeCurve curve = FadeCurve::kLinear;
    int64_t origin = 0;
    uint32_t length = 1;
    double fromGain = 1.0;
    double toGain = 1.0;

    /// The gain at source frame `frame`.
    double GainAt(int64_t frame) const;
    /// The steepest the gain changes per frame anywhere along the ramp.
    double MaxStep() const;
    bool operator==(const Ramp&) const = default;
};

/// What a piece does to the level of its frames as they are read: a constant gain times every
/// ramp's gain at the frame. Unity (gain 1, no ramp) reads the frames as they are, without
/// converting them.
struct PieceLevel {
    double gain = 1.0;
    std::vector<Ramp> ramps;

    bool IsUnity() const { return gain == 1.0 && ramps.empty(); }
    /// The factor for source frame `frame`.
    double GainAt(int64_t frame) const;
    /// The smallest and largest factor over source frames [first, first + count), from the
    /// ramps' ends (each ramp moves one way only).
    void GainBounds(int64_t first, uint32_t count, double& lowest, double& highest) const;
    /// Scales `count` interleaved stereo frames of source frames from `first` on in place.
    void Apply(int16_t* samples, int64_t first, uint32_t count) const;
    bool operator==(const PieceLevel&) const = default;
};

namespace level {

/// One sample times a gain, rounded to the nearest step (halves away from zero) and saturated to
/// 16 bits: how every levelled sample is made, read or drawn.
int16_t Scale(int32_t sample, double gain);

/// 20 log10 and back; -infinity dB is 0.
double FromDecibels(double decibels);

}  // namespace level
