#include "view/ColumnPeaks.h"

#include <algorithm>
#include <limits>

#include "audio/Workspace.h"

uint32_t ColumnPeakReader::FramesPerColumn(double framesPerPixel) {
    if (!(framesPerPixel >= 1.0)) {
        return 1;  // below one frame per pixel, and NaN
    }
    constexpr double kMax = std::numeric_limits<uint32_t>::max();
    return framesPerPixel >= kMax ? std::numeric_limits<uint32_t>::max() : uint32_t(framesPerPixel);
}

ColumnPeaks ColumnPeakReader::Read(const Workspace& workspace, bool fromWorkspace,
                                   uint8_t fileIndex, uint32_t position, double framesPerPixel) {
    const uint32_t count = FramesPerColumn(framesPerPixel);
    samples.resize(size_t{std::min(count, kChunkFrames)} * 2);

    int16_t leftMax = 0, leftMin = 0, rightMax = 0, rightMin = 0;
    uint64_t done = 0;
    while (done < count) {
        const uint64_t at = uint64_t{position} + done;
        if (at > std::numeric_limits<uint32_t>::max()) {
            break;  // no frame position beyond 32 bits
        }
        const uint32_t wanted = uint32_t(std::min<uint64_t>(count - done, kChunkFrames));
        uint32_t got = 0;
        if (fromWorkspace) {
            workspace.ReadFrames(samples.data(), wanted, got, uint32_t(at));
        } else {
            workspace.ReadFileFrames(fileIndex, samples.data(), wanted, got, uint32_t(at));
        }
        got = std::min(got, wanted);
        const int16_t* s = samples.data();
        for (uint32_t i = 0; i < got; ++i) {
            leftMax = std::max(leftMax, s[2 * i]);
            leftMin = std::min(leftMin, s[2 * i]);
            rightMax = std::max(rightMax, s[2 * i + 1]);
            rightMin = std::min(rightMin, s[2 * i + 1]);
        }
        if (got < wanted) {
            break;  // end of the source, or a failed read
        }
        done += got;
    }
    return ColumnPeaks{leftMax, leftMin, rightMax, rightMin};
}
