#pragma once

#include <cstdint>
#include <vector>

#include "platform/VstAbi.h"

/// Runs one effect on the host's stereo signal whatever channel counts the effect declares.
///
/// Effects read as many input buffers and write as many output buffers as their numInputs and
/// numOutputs say, so each gets pointer arrays of exactly those sizes (at least two each):
/// inputs beyond the second are silent, outputs beyond the second go to scratch memory and are
/// dropped. A one-input effect hears (L + R) / 2; a one-output effect feeds both channels.
///
///     EffectChannels channels;
///     channels.Run(effect, left, right, outLeft, outRight, frames, blockFrames);
///
/// The arrays and scratch memory are kept between blocks and grow only when the effect's
/// declared counts or the block length change.
class EffectChannels {
public:
    /// Larger declared counts are not believed: such an effect is passed over.
    static constexpr int32_t kMaxChannels = 256;

    /// Processes `frames` frames (at most blockFrames) of the signal in left/right through the
    /// effect and leaves the result in left/right. outLeft/outRight are the host's output pair
    /// (blockFrames floats each). An effect without processReplacing, without outputs or with
    /// unbelievable counts is passed over: left/right stay as they were. Returns whether the
    /// effect ran.
    bool Run(vst::AEffect* effect, float* left, float* right, float* outLeft, float* outRight,
             uint32_t frames, uint32_t blockFrames);

private:
    void Prepare(int32_t numInputs, int32_t numOutputs, uint32_t blockFrames);

    std::vector<float*> inputs;
    std::vector<float*> outputs;
    std::vector<float> mono;     // the mix handed to a one-input effect
    std::vector<float> silence;  // one slice per input beyond the second
    std::vector<float> scratch;  // one slice per output beyond the second
    int32_t preparedInputs = -1;
    int32_t preparedOutputs = -1;
    uint32_t preparedFrames = 0;
};
