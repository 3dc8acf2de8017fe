#pragma once

#include <cstdint>
#include <deque>

class WavePlayer;

/// The levels of one block the player queued, per channel (left, right), and where the block
/// lies: the frames [frame, frame + frames) of the range, in the frames PlayingFrame reports,
/// of playback number `playback`.
struct BlockLevels {
    uint32_t playback = 0;
    int64_t frame = 0;
    uint32_t frames = 0;
    float peak[2] = {0, 0};            // the largest magnitude, 1 = full scale
    float rms[2] = {0, 0};             // root mean square, 1 = a full-scale square wave
    bool clipped[2] = {false, false};  // a sample reached full scale
};

/// Peak, RMS and clipping of `frames` interleaved stereo 16-bit frames (cheap enough for the
/// audio thread: no allocation, one pass).
BlockLevels MeasureBlock(const int16_t* samples, uint32_t frames);

/// What a level meter shows: per channel the peak and RMS of the block being heard, and a
/// clip indicator that holds until reset.
struct MeterReading {
    float peak[2] = {0, 0};
    float rms[2] = {0, 0};
    bool clipHeld[2] = {false, false};
};

/// Follows the levels a player hands over in step with its sound device: each Update shows
/// the block whose frames the device is sounding now, not the later blocks already prepared.
/// A clip in any block the device played, seen at an update or not, holds the channel's clip
/// indicator. When nothing is heard (stopped, paused, played out) the levels fall away to nothing.
///
///     LevelFollower meter(player);
///     every 40 ms: const MeterReading& r = meter.Update(0.040); draw r;
///     on a click:  meter.ResetClip(channel);
///
/// Runs on the user-interface thread, the one thread that takes the player's levels.
class LevelFollower {
public:
    explicit LevelFollower(WavePlayer& player) : player(player) {}

    /// Takes the levels the player queued since the last call and returns the reading for
    /// the device's position now; `elapsedSeconds` since the last call sets how far levels
    /// fall while nothing is heard.
    const MeterReading& Update(double elapsedSeconds);
    /// Clears the held clip indicator of channel 0 (left) or 1 (right).
    void ResetClip(int channel);
    const MeterReading& Reading() const { return reading; }

    /// How fast the shown levels fall once nothing is heard, and where they count as nothing.
    static constexpr double kFallDbPerSecond = 40;
    static constexpr double kFloorDb = -70;

private:
    /// Drops the queued blocks that the device has passed, or that belong to an earlier
    /// playback; the block being heard is then the first one left, if it covers `frame`.
    const BlockLevels* HeardBlock(uint32_t playback, int64_t frame);
    void Fall(double elapsedSeconds);

    WavePlayer& player;
    std::deque<BlockLevels> queued;  // the blocks taken and not yet passed, in queueing order
    MeterReading reading;
};
