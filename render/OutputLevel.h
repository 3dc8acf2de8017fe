#pragma once

#include <cstdint>
#include <optional>

/// Level changes a command-line render makes to its whole output, after the effects, on their
/// float output before it is written, in this order: gain, normalize (or loudness), fade in,
/// fade out.
struct OutputLevel {
    std::optional<double> gainDecibels;
    /// The output's largest sample goes to this level (dBFS; full scale is 1.0).
    std::optional<double> normalizeDbfs;
    double fadeInSeconds = 0.0;   // linear, from silence at the first frame
    double fadeOutSeconds = 0.0;  // linear, to silence at the last frame
    /// The output's integrated loudness (EBU R128) goes to this level (LUFS). Not together
    /// with normalizeDbfs: each sets the output's level.
    std::optional<double> loudnessLufs;

    bool Any() const {
        return gainDecibels || normalizeDbfs || loudnessLufs || fadeInSeconds > 0.0 ||
               fadeOutSeconds > 0.0;
    }
    /// Whether a pass over the whole output must come first: for its peak, or for its length
    /// when the fade out has to find the end of an effects' tail.
    bool NeedsMeasuring(bool lengthKnown) const {
        return normalizeDbfs.has_value() || loudnessLufs.has_value() ||
               (fadeOutSeconds > 0.0 && !lengthKnown);
    }
};

/// Applies an OutputLevel to the frames of one output in order, block by block, in place.
///
///     OutputLevelStage stage(level, 44100, measuredPeak, measuredLufs, measuredFrames);
///     stage.Process(left, right, 512);   // the next 512 frames of the output
class OutputLevelStage {
public:
    /// `peak` and `lufs`: the largest magnitude and the integrated loudness of the unchanged
    /// output (used by normalize and loudness; a silent output is left as it is). `frames`: the
    /// output's length (used by the fade out).
    OutputLevelStage(const OutputLevel& level, uint32_t rate, double peak, double lufs,
                     uint64_t frames);

    /// Scales the next `count` frames.
    void Process(float* left, float* right, uint32_t count);

private:
    double factor = 1.0;
    uint64_t fadeInFrames = 0;
    uint64_t fadeOutFrames = 0;
    uint64_t total = 0;
    uint64_t position = 0;
};
