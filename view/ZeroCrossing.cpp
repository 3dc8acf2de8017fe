#include "view/ZeroCrossing.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t kWindowsPerSecond = 100;  // 10 ms either way

bool CrossesAt(const std::vector<int16_t>& channel, size_t k) {
    if (channel[k] == 0) {
        return true;
    }
    return k > 0 && channel[k - 1] != 0 && (channel[k - 1] < 0) != (channel[k] < 0);
}

}  // namespace

uint32_t SnapToZeroCrossing(const FrameReader& reader, uint32_t frame, uint32_t rate) {
    const uint32_t reach = rate / kWindowsPerSecond;
    if (reach == 0) {
        return frame;
    }
    // The frames around the edge: from `reach` before it, and the frame before that which
    // the earliest candidate edge is judged against, to `reach` after it.
    const uint32_t first = frame - std::min(frame, reach + 1);
    const uint32_t wanted = frame - first + reach + 1;
    std::vector<int16_t> samples(size_t{wanted} * 2);
    uint32_t got = 0;
    if (!reader(samples.data(), wanted, got, first) || got == 0) {
        return frame;
    }
    got = std::min(got, wanted);

    uint64_t loudness[2] = {0, 0};
    for (uint32_t i = 0; i < got; ++i) {
        loudness[0] += std::abs(samples[size_t{i} * 2]);
        loudness[1] += std::abs(samples[size_t{i} * 2 + 1]);
    }
    const int louder = loudness[1] > loudness[0] ? 1 : 0;
    std::vector<int16_t> channel(got);
    for (uint32_t i = 0; i < got; ++i) {
        channel[i] = samples[size_t{i} * 2 + louder];
    }

    // Edge k of the source is index k - first here; the first index has no frame before it
    // unless it is the source's own start.
    const size_t at = frame - first;
    const auto candidate = [&](size_t k) {
        return k < got && (k > 0 || first == 0) && CrossesAt(channel, k);
    };
    for (size_t distance = 0; distance <= reach; ++distance) {
        if (distance <= at && candidate(at - distance)) {
            return uint32_t(first + at - distance);
        }
        if (candidate(at + distance)) {
            return uint32_t(first + at + distance);
        }
    }
    return frame;
}
