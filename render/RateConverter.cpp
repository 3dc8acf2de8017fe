#include "render/RateConverter.h"

#include <soxr.h>

#include <algorithm>

namespace {

constexpr unsigned kChannels = 2;
// Frames the converter hands back per call.
constexpr size_t kScratchFrames = 16384;

}  // namespace

RateConverter::RateConverter(uint32_t fromRate, uint32_t toRate) : from(fromRate), to(toRate) {
    if (fromRate == 0 || toRate == 0) {
        failure = "a sample rate of 0 cannot be converted";
        return;
    }
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    soxr_error_t error = nullptr;
    converter = soxr_create(fromRate, toRate, kChannels, &error, &io, &quality, nullptr);
    if (error != nullptr) {
        failure = std::string("the sample-rate converter failed to start: ") + error;
        soxr_delete(converter);
        converter = nullptr;
    }
    scratch.resize(kScratchFrames * kChannels);
}

RateConverter::~RateConverter() {
    soxr_delete(converter);
}

uint64_t RateConverter::ConvertedLength(uint64_t frames, uint32_t fromRate, uint32_t toRate) {
    if (fromRate == 0) {
        return 0;
    }
    return (frames * toRate + fromRate / 2) / fromRate;
}

bool RateConverter::Push(const float* frames, uint32_t count, std::vector<float>& out) {
    if (converter == nullptr) {
        return false;
    }
    framesIn += count;
    size_t offset = 0;
    // The converter may take less than it is given when its output space runs out.
    while (offset < count) {
        size_t taken = 0;
        size_t made = 0;
        const soxr_error_t error =
            soxr_process(converter, frames + offset * kChannels, count - offset, &taken,
                         scratch.data(), kScratchFrames, &made);
        if (error != nullptr) {
            failure = std::string("the sample-rate conversion failed: ") + error;
            return false;
        }
        Keep(scratch.data(), made, out);
        offset += taken;
        if (taken == 0 && made == 0) {
            break;  // cannot happen with room to write; never spin
        }
    }
    return true;
}

bool RateConverter::Drain(std::vector<float>& out) {
    if (converter == nullptr) {
        return false;
    }
    const uint64_t wanted = ConvertedLength(framesIn, from, to);
    while (framesOut < wanted) {
        size_t made = 0;
        const soxr_error_t error =
            soxr_process(converter, nullptr, 0, nullptr, scratch.data(), kScratchFrames, &made);
        if (error != nullptr) {
            failure = std::string("the sample-rate conversion failed: ") + error;
            return false;
        }
        if (made == 0) {
            break;
        }
        Keep(scratch.data(), made, out);
    }
    // Should the filter give a frame less than the rounded length, silence makes it up.
    if (framesOut < wanted) {
        out.resize(out.size() + (wanted - framesOut) * kChannels, 0.0f);
        framesOut = wanted;
    }
    return true;
}

void RateConverter::Keep(const float* frames, size_t count, std::vector<float>& out) {
    const uint64_t room = ConvertedLength(framesIn, from, to) -
                          std::min(framesOut, ConvertedLength(framesIn, from, to));
    const size_t kept = static_cast<size_t>(std::min<uint64_t>(count, room));
    out.insert(out.end(), frames, frames + kept * kChannels);
    framesOut += kept;
}
