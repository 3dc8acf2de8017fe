// Passing blocks of the workspace through the effect chain, and the conversions between
// 16-bit frames and the effects' floats.

#include <algorithm>
#include <cmath>

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

namespace {

// Full scale is +-1.0, as every VST 2 effect expects; every 16-bit sample is exact in a float.
constexpr float kToFloat = 1.0f / 32768.0f;
constexpr double kToInt = 32768.0;

int16_t ReadSample(const uint8_t* bytes) {
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

void WriteSample(uint8_t* bytes, int16_t sample) {
    const auto word = static_cast<uint16_t>(sample);
    bytes[0] = static_cast<uint8_t>(word & 0xFF);
    bytes[1] = static_cast<uint8_t>(word >> 8);
}

// Saturates instead of wrapping: a wrapped overshoot would be a full-scale click.
int16_t ToSample(float value) {
    const double scaled = static_cast<double>(value) * kToInt;
    if (std::isnan(scaled)) {
        return 0;
    }
    // Rounded to the nearest step, so a sample that went through unchanged comes back
    // exactly, and an effect's small gains are not biased toward zero.
    const double limited = std::fmin(std::fmax(std::round(scaled), -32768.0), 32767.0);
    return static_cast<int16_t>(limited);
}

}  // namespace

void PluginHost::Int16ToFloat(const uint8_t* frames, uint32_t count, float* left, float* right) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* frame = frames + static_cast<size_t>(i) * kBytesPerFrame;
        left[i] = static_cast<float>(ReadSample(frame)) * kToFloat;
        right[i] = static_cast<float>(ReadSample(frame + 2)) * kToFloat;
    }
}

void PluginHost::FloatToInt16(const float* left, const float* right, uint8_t* frames,
                              uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* frame = frames + static_cast<size_t>(i) * kBytesPerFrame;
        WriteSample(frame, ToSample(left[i]));
        WriteSample(frame + 2, ToSample(right[i]));
    }
}

bool PluginHost::Process(void* buffer, uint32_t& framesOut, uint32_t position) {
    if (chain.Empty()) {
        uint32_t delivered = 0;
        if (!ReadSource(buffer, blockFrames, delivered, position)) {
            delivered = 0;  // a failed read counts as no frames
        }
        framesOut = delivered;
        return true;
    }
    RunChain(position, 0);
    if (buffer == nullptr) {
        framesOut = 0;
        return true;
    }
    FloatToInt16(inputLeft.data(), inputRight.data(), static_cast<uint8_t*>(buffer), framesRead);
    framesOut = framesRead;
    return true;
}

bool PluginHost::ReadSource(void* buffer, uint32_t n, uint32_t& delivered,
                            uint32_t position) const {
    if (workspace == nullptr) {
        return false;
    }
    if (sourceFile < 0) {
        return workspace->ReadFrames(buffer, n, delivered, position);
    }
    // A file reads past its end as nothing, as the workspace does. This runs on the refill
    // thread: the files are looked at in one snapshot, never in the live workspace.
    const auto index = static_cast<uint32_t>(sourceFile);
    const Workspace::State state = workspace->Snapshot();
    if (index >= state->files->size() || position >= (*state->files)[index]->FrameCount()) {
        delivered = 0;
        return true;
    }
    return workspace->ReadFileFrames(index, buffer, n, delivered, position);
}

uint32_t PluginHost::ProcessPadded(void* buffer, uint32_t frames, uint64_t position) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (chain.Empty()) {
        // Nothing is processed, so any number of frames reads as well as one block.
        uint32_t delivered = 0;
        if (position >= UINT32_MAX ||
            !ReadSource(bytes, frames, delivered, static_cast<uint32_t>(position))) {
            delivered = 0;
        }
        delivered = std::min(delivered, frames);
        std::fill(bytes + size_t{delivered} * kBytesPerFrame,
                  bytes + size_t{frames} * kBytesPerFrame, uint8_t{0});
        return delivered;
    }
    frames = std::min(frames, blockFrames);
    const uint32_t delivered = RunChain(position, frames);
    FloatToInt16(inputLeft.data(), inputRight.data(), bytes, frames);
    return delivered;
}

uint32_t PluginHost::ProcessPaddedFloat(uint32_t frames, uint64_t position, const float*& left,
                                        const float*& right) {
    const uint32_t delivered = RunChain(position, std::min(frames, blockFrames));
    left = inputLeft.data();
    right = inputRight.data();
    return delivered;
}

uint32_t PluginHost::RunChain(uint64_t position, uint32_t padTo) {
    // The workspace is read once per block; then the signal lives in the input pair and every
    // effect, first to last, turns it into its own output, which becomes the next one's input.
    uint32_t delivered = 0;
    const uint32_t wanted = padTo != 0 ? padTo : blockFrames;
    if (blockFrames == 0 || position >= UINT32_MAX ||
        !ReadSource(sampleBuffer.data(), wanted, delivered, static_cast<uint32_t>(position))) {
        delivered = 0;
    }
    delivered = std::min(delivered, wanted);
    framesRead = delivered;
    Int16ToFloat(sampleBuffer.data(), framesRead, inputLeft.data(), inputRight.data());
    if (padTo > framesRead) {
        std::fill(inputLeft.begin() + framesRead, inputLeft.begin() + padTo, 0.0f);
        std::fill(inputRight.begin() + framesRead, inputRight.begin() + padTo, 0.0f);
        framesRead = padTo;
    }
    chain.Run(inputLeft.data(), inputRight.data(), outputLeft.data(), outputRight.data(),
              framesRead, blockFrames);
    return delivered;
}
