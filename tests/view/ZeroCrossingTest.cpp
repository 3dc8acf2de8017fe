#include "view/ZeroCrossing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <vector>

namespace {

constexpr uint32_t kFrames = 3000;

// Interleaved left and right samples, frame k from left(k) and right(k).
using Channel = std::function<int16_t(uint32_t k)>;

std::vector<int16_t> Frames(const Channel& left, const Channel& right) {
    std::vector<int16_t> samples;
    for (uint32_t k = 0; k < kFrames; ++k) {
        samples.push_back(left(k));
        samples.push_back(right(k));
    }
    return samples;
}

Channel Sine(double hertz, double amplitude) {
    return [=](uint32_t k) {
        return int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * k / 44100)));
    };
}

Channel Alternating(int16_t size) {
    return [=](uint32_t k) { return int16_t(k % 2 == 0 ? size : -size); };
}

// A constant level with exact zeros at the frames listed.
Channel ZerosAt(std::vector<uint32_t> zeros) {
    return [=](uint32_t k) {
        return int16_t(std::find(zeros.begin(), zeros.end(), k) != zeros.end() ? 0 : 500);
    };
}

struct SnapCase {
    const char* name;
    Channel left;
    Channel right;
    uint32_t frame;
    uint32_t rate;
    uint32_t snapped;
};

TEST(SnapToZeroCrossing, MovesToTheNearestCrossingOfTheLouderChannelWithin10ms) {
    // A 1 kHz sine at 44.1 kHz changes sign every 22.05 frames: between frames 992 and 993,
    // then between 1014 and 1015. Both channels are looked at; the louder one decides.
    const SnapCase cases[] = {
        {"a sine's nearest sign change", Sine(1000, 16000), Sine(1000, 16000), 1000, 44100, 993},
        {"none within 10 ms of a 20 Hz crest", Sine(20, 16000), Sine(20, 16000), 551, 44100, 551},
        {"the louder right channel rules", Alternating(3), Sine(1000, 16000), 1000, 44100, 993},
        {"the louder left channel rules", Alternating(20000), Sine(1000, 100), 1000, 44100, 1000},
        {"an exact zero", ZerosAt({1003}), ZerosAt({1003}), 1000, 44100, 1003},
        {"two zeros equally near: the earlier", ZerosAt({995, 1005}), ZerosAt({995, 1005}), 1000,
         44100, 995},
        {"a zero 100 frames away is within 10 ms at 44.1 kHz", ZerosAt({1100}), ZerosAt({1100}),
         1000, 44100, 1100},
        {"but not at 8 kHz", ZerosAt({1100}), ZerosAt({1100}), 1000, 8000, 1000},
        {"the reach ends at 10 ms before the frame", ZerosAt({559}), ZerosAt({559}), 1000, 44100,
         559},
        {"and goes no further", ZerosAt({558}), ZerosAt({558}), 1000, 44100, 1000},
    };
    for (const SnapCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int16_t> samples = Frames(c.left, c.right);
        const FrameReader reader = [&](void* buffer, uint32_t n, uint32_t& got, uint32_t at) {
            if (at > kFrames) {
                return false;
            }
            got = std::min(n, kFrames - at);
            std::memcpy(buffer, samples.data() + size_t{at} * 2, size_t{got} * 4);
            return true;
        };
        EXPECT_EQ(SnapToZeroCrossing(reader, c.frame, c.rate), c.snapped);
    }
}

}  // namespace
