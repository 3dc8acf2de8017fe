#include "audio/Level.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The curve rising from 0 at t = 0 to 1 at t = 1.
double Rise(FadeCurve curve, double t) {
    switch (curve) {
        case FadeCurve::kEqualPower:
            return std::sin(t * std::numbers::pi / 2);
        case FadeCurve::kLogarithmic:
            return (std::pow(10.0, 3.0 * t) - 1.0) / 999.0;  // 60 dB in even steps
        case FadeCurve::kLinear:
            break;
    }
    return t;
}

// The steepest slope of Rise over [0, 1].
double SteepestRise(FadeCurve curve) {
    switch (curve) {
        case FadeCurve::kEqualPower:
            return std::numbers::pi / 2;
        case FadeCurve::kLogarithmic:
            return 3.0 * std::numbers::ln10 * 1000.0 / 999.0;
        case FadeCurve::kLinear:
            break;
    }
    return 1.0;
}

}  // namespace

double Ramp::GainAt(int64_t frame) const {
    double t = frame >= origin ? 1.0 : 0.0;
    if (length > 1) {
        t = std::clamp(static_cast<double>(frame - origin) / (length - 1), 0.0, 1.0);
    }
    // A falling ramp is the rising one played backwards, so a fade out mirrors a fade in.
    if (toGain >= fromGain) {
        return fromGain + (toGain - fromGain) * Rise(curve, t);
    }
    return toGain + (fromGain - toGain) * Rise(curve, 1.0 - t);
}

double Ramp::MaxStep() const {
    return std::abs(toGain - fromGain) * SteepestRise(curve) / std::max<uint32_t>(length - 1, 1);
}

double PieceLevel::GainAt(int64_t frame) const {
    double g = gain;
    for (const Ramp& ramp : ramps) {
        g *= ramp.GainAt(frame);
    }
    return g;
}

void PieceLevel::GainBounds(int64_t first, uint32_t count, double& lowest, double& highest) const {
    lowest = gain;
    highest = gain;
    const int64_t last = first + std::max<uint32_t>(count, 1) - 1;
    for (const Ramp& ramp : ramps) {
        // Every gain is at least 0, so the product's bounds are the products of the bounds.
        const double a = ramp.GainAt(first);
        const double b = ramp.GainAt(last);
        lowest *= std::min(a, b);
        highest *= std::max(a, b);
    }
}

void PieceLevel::Apply(int16_t* samples, int64_t first, uint32_t count) const {
    if (ramps.empty()) {
        for (size_t i = 0; i < size_t{count} * 2; ++i) {
            samples[i] = level::Scale(samples[i], gain);
        }
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const double g = GainAt(first + i);
        samples[2 * i] = level::Scale(samples[2 * i], g);
        samples[2 * i + 1] = level::Scale(samples[2 * i + 1], g);
    }
}

namespace level {

int16_t Scale(int32_t sample, double gain) {
    const double scaled = std::round(sample * gain);  // halves away from zero
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

double FromDecibels(double decibels) {
    return std::isinf(decibels) && decibels < 0 ? 0.0 : std::pow(10.0, decibels / 20.0);
}

}  // namespace level
