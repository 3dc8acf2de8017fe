#include "render/OutputLevel.h"

#include <algorithm>
#include <cmath>

#include "audio/Level.h"

namespace {

uint64_t FramesOf(double seconds, uint32_t rate) {
    return static_cast<uint64_t>(std::llround(std::max(seconds, 0.0) * rate));
}

}  // namespace

OutputLevelStage::OutputLevelStage(const OutputLevel& level, uint32_t rate, double peak,
                                   double lufs, uint64_t frames)
    : fadeInFrames(FramesOf(level.fadeInSeconds, rate)),
      fadeOutFrames(FramesOf(level.fadeOutSeconds, rate)),
      total(frames) {
    if (level.gainDecibels) {
        factor = level::FromDecibels(*level.gainDecibels);
    }
    // Normalize comes after the gain, so it measures the peak the gain left.
    if (level.normalizeDbfs && peak * factor > 0.0) {
        factor = level::FromDecibels(*level.normalizeDbfs) / peak;
    }
    // The target sets the level whatever the gain was: the unchanged output measured `lufs`.
    if (level.loudnessLufs && std::isfinite(lufs) && factor > 0.0) {
        factor = level::FromDecibels(*level.loudnessLufs - lufs);
    }
}

void OutputLevelStage::Process(float* left, float* right, uint32_t count) {
    const Ramp in{FadeCurve::kLinear, 0, static_cast<uint32_t>(std::max<uint64_t>(fadeInFrames, 1)),
                  0.0, 1.0};
    const int64_t outStart = static_cast<int64_t>(total) - static_cast<int64_t>(fadeOutFrames);
    const Ramp out{FadeCurve::kLinear, outStart,
                   static_cast<uint32_t>(std::max<uint64_t>(fadeOutFrames, 1)), 1.0, 0.0};
    for (uint32_t i = 0; i < count; ++i, ++position) {
        const auto at = static_cast<int64_t>(position);
        double g = factor;
        if (fadeInFrames > 0) {
            g *= in.GainAt(at);
        }
        if (fadeOutFrames > 0) {
            g *= out.GainAt(at);
        }
        left[i] = static_cast<float>(left[i] * g);
        right[i] = static_cast<float>(right[i] * g);
    }
}
