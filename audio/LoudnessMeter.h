#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "audio/FrameReader.h"

/// The loudness of a stretch of stereo audio, as broadcast loudness meters report it.
/// Silence (or a stretch too short to gate) reads -infinity for the loudness and the peaks.
struct LoudnessFigures {
    double integratedLufs = 0;   // gated programme loudness, LUFS
    double loudnessRangeLu = 0;  // spread of the short-term loudness, LU
    double truePeakDbtp = 0;     // highest inter-sample peak of either channel, dBTP
    double samplePeakDbfs = 0;   // highest sample of either channel, dBFS
};

/// The integrated loudness of float stereo audio (full scale 1.0) handed over block by block,
/// for a render's output, which never exists as 16-bit frames before it is written.
///
///     IntegratedLoudness meter(44100);
///     meter.Add(left, right, 512);   // every block of the output, in order
///     double lufs = meter.Lufs();
class IntegratedLoudness {
public:
    explicit IntegratedLoudness(uint32_t rate);
    ~IntegratedLoudness();
    IntegratedLoudness(const IntegratedLoudness&) = delete;
    IntegratedLoudness& operator=(const IntegratedLoudness&) = delete;

    void Add(const float* left, const float* right, uint32_t count);
    /// LUFS; -infinity for silence, a stretch too short to gate, or a rate of 0.
    double Lufs() const;

private:
    struct Meter;  // libebur128's state, kept out of this header
    std::unique_ptr<Meter> meter;
};

/// Measures the integrated loudness, the loudness range, the true peak and the sample peak of
/// frames [first, first + count) of a stereo 16-bit source, reading it in blocks.
///
///     const auto figures = MeasureLoudness(
///         [&](void* b, uint32_t n, uint32_t& got, uint32_t at) {
///             return workspace.ReadFrames(b, n, got, at); },
///         0, workspace.TotalLength(), workspace.SampleRate(), nullptr);
///
/// `progress` (may be empty) is told the fraction done after each block and stops the
/// measurement by returning false. Runs on any thread; the reader is called on that thread.
/// Empty when cancelled, when the rate is 0, or when a read fails before `count` frames.
std::optional<LoudnessFigures> MeasureLoudness(const FrameReader& reader, uint32_t first,
                                               uint32_t count, uint32_t rate,
                                               const std::function<bool(double)>& progress);
