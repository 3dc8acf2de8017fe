#pragma once

#include <cstdint>
#include <vector>

class Workspace;

/// The extremes of the frames one pixel column covers, per channel. Each starts from 0, so
/// the maxima are never below 0 and the minima never above 0: every column's line reaches
/// its lane's centre row.
struct ColumnPeaks {
    int16_t leftMax = 0;
    int16_t leftMin = 0;
    int16_t rightMax = 0;
    int16_t rightMin = 0;
};

/// Reads the frames of one column, from the workspace or from one opened file alone, and
/// finds their extremes. The column covers framesPerPixel frames (at least one) and every one
/// of them is examined, read in chunks of at most kChunkFrames into a buffer kept between
/// columns. A read that fails or ends early leaves the rest of the column out.
class ColumnPeakReader {
public:
    static constexpr uint32_t kChunkFrames = 65535;

    /// Frames in a column: framesPerPixel truncated toward zero, 1 below 1.0 or for NaN.
    static uint32_t FramesPerColumn(double framesPerPixel);

    ColumnPeaks Read(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                     uint32_t position, double framesPerPixel);

private:
    std::vector<int16_t> samples;  // interleaved left, right
};
