#include "playback/LevelMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "playback/WavePlayer.h"

namespace {

constexpr double kFullScale = 32768.0;

}  // namespace

BlockLevels MeasureBlock(const int16_t* samples, uint32_t frames) {
    BlockLevels levels;
    levels.frames = frames;
    if (frames == 0) {
        return levels;
    }
    for (int channel = 0; channel < 2; ++channel) {
        int largest = 0;
        double squares = 0;
        for (uint32_t i = 0; i < frames; ++i) {
            const int sample = samples[size_t{i} * 2 + channel];
            largest = std::max(largest, std::abs(sample));
            squares += double(sample) * sample;
        }
        levels.peak[channel] = float(largest / kFullScale);
        levels.rms[channel] = float(std::sqrt(squares / frames) / kFullScale);
        // -32768 and 32767 both mean the converter is at its limit.
        levels.clipped[channel] = largest >= 32767;
    }
    return levels;
}

const MeterReading& LevelFollower::Update(double elapsedSeconds) {
    BlockLevels taken;
    while (player.TakeLevels(taken)) {
        queued.push_back(taken);
    }
    const BlockLevels* heard = HeardBlock(player.PlaybackNumber(), player.PlayingFrame());
    if (heard == nullptr || player.IsPaused()) {
        Fall(elapsedSeconds);
        return reading;
    }
    for (int channel = 0; channel < 2; ++channel) {
        reading.peak[channel] = heard->peak[channel];
        reading.rms[channel] = heard->rms[channel];
        reading.clipHeld[channel] = reading.clipHeld[channel] || heard->clipped[channel];
    }
    return reading;
}

const BlockLevels* LevelFollower::HeardBlock(uint32_t playback, int64_t frame) {
    while (!queued.empty()) {
        const BlockLevels& front = queued.front();
        const bool stale = front.playback != playback;
        const bool passed = frame >= 0 && front.frame + int64_t{front.frames} <= frame;
        if (!stale && !passed) {
            break;
        }
        if (!stale) {
            // Heard between two updates: its levels are gone, but a clip in it still shows.
            reading.clipHeld[0] = reading.clipHeld[0] || front.clipped[0];
            reading.clipHeld[1] = reading.clipHeld[1] || front.clipped[1];
        }
        queued.pop_front();
    }
    if (frame < 0 || queued.empty() || queued.front().frame > frame) {
        return nullptr;
    }
    return &queued.front();
}

void LevelFollower::Fall(double elapsedSeconds) {
    const double factor = std::pow(10.0, -kFallDbPerSecond * elapsedSeconds / 20);
    const float floor = float(std::pow(10.0, kFloorDb / 20));
    for (float* level : {&reading.peak[0], &reading.peak[1], &reading.rms[0], &reading.rms[1]}) {
        *level = *level * float(factor) < floor ? 0.0f : *level * float(factor);
    }
}

void LevelFollower::ResetClip(int channel) {
    if (channel == 0 || channel == 1) {
        reading.clipHeld[channel] = false;
    }
}
