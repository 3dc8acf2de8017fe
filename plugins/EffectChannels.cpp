#include "plugins/EffectChannels.h"

#include <algorithm>
#include <cstring>

void EffectChannels::Prepare(int32_t numInputs, int32_t numOutputs, uint32_t blockFrames) {
    if (numInputs == preparedInputs && numOutputs == preparedOutputs &&
        blockFrames == preparedFrames) {
        return;
    }
    const size_t extraInputs = static_cast<size_t>(std::max(numInputs, 2) - 2);
    const size_t extraOutputs = static_cast<size_t>(std::max(numOutputs, 2) - 2);
    inputs.assign(static_cast<size_t>(std::max(numInputs, 2)), nullptr);
    outputs.assign(static_cast<size_t>(std::max(numOutputs, 2)), nullptr);
    mono.assign(numInputs == 1 ? blockFrames : 0, 0.0f);
    silence.assign(extraInputs * blockFrames, 0.0f);
    scratch.assign(extraOutputs * blockFrames, 0.0f);
    for (size_t k = 0; k < extraOutputs; ++k) {
        outputs[2 + k] = scratch.data() + k * blockFrames;
    }
    for (size_t k = 0; k < extraInputs; ++k) {
        inputs[2 + k] = silence.data() + k * blockFrames;
    }
    preparedInputs = numInputs;
    preparedOutputs = numOutputs;
    preparedFrames = blockFrames;
}

bool EffectChannels::Run(vst::AEffect* effect, float* left, float* right, float* outLeft,
                         float* outRight, uint32_t frames, uint32_t blockFrames) {
    if (effect == nullptr || effect->processReplacing == nullptr || frames > blockFrames) {
        return false;
    }
    // Counts are read on every block: a plug-in may change its configuration while loaded.
    const int32_t numInputs = effect->numInputs;
    const int32_t numOutputs = effect->numOutputs;
    if (numInputs < 0 || numInputs > kMaxChannels || numOutputs < 1 || numOutputs > kMaxChannels) {
        return false;
    }
    Prepare(numInputs, numOutputs, blockFrames);

    if (numInputs == 1) {
        for (uint32_t i = 0; i < frames; ++i) {
            mono[i] = (left[i] + right[i]) * 0.5f;  // exact: both are multiples of 2^-16
        }
        inputs[0] = mono.data();
        inputs[1] = right;  // not declared, so never read
    } else {
        inputs[0] = left;
        inputs[1] = right;
    }
    if (!silence.empty()) {
        // An effect may scribble on its inputs; the extra ones must be silent every block.
        std::fill(silence.begin(), silence.end(), 0.0f);
    }
    outputs[0] = outLeft;
    outputs[1] = outRight;

    effect->processReplacing(effect, inputs.data(), outputs.data(), static_cast<int32_t>(frames));

    std::memcpy(left, outLeft, frames * sizeof(float));
    std::memcpy(right, numOutputs == 1 ? outLeft : outRight, frames * sizeof(float));
    return true;
}
