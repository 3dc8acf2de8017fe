#pragma once

#include <cstdint>
#include <vector>

class Workspace;
class WaveFile;
struct PeakEntry;

/// The extremes of the frames one pixel column covers, per channel. Each starts from 0, so
/// the maxima are never below 0 and the minima never above 0: every column's line reaches
/// its lane's centre row.
struct ColumnPeaks {
    int16_t leftMax = 0;
    int16_t leftMin = 0;
    int16_t rightMax = 0;
    int16_t rightMin = 0;
};

/// Finds the extremes of one column, of the workspace or of one opened file alone. The column
/// covers framesPerPixel frames (at least one). Each run of a source file in it is folded from
/// that file's peak tables, with raw frames read only at the run's ragged ends, where the
/// column is narrower than the finest table entry, and where the tables are not built yet;
/// the result is exactly what reading every frame gives. A raw read that fails or ends early
/// leaves the rest of that run out.
class ColumnPeakReader {
public:
    static constexpr uint32_t kChunkFrames = 65535;

    /// Frames in a column: framesPerPixel truncated toward zero, 1 below 1.0 or for NaN.
    static uint32_t FramesPerColumn(double framesPerPixel);

    /// With readPending false, frames that tables still being built do not cover yet are not
    /// read: `pending` is set instead and the result leaves them out.
    ColumnPeaks Read(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                     uint32_t position, double framesPerPixel, bool readPending = true,
                     bool* pending = nullptr);

    /// Frames of [position, position + count) of the shown source that tables still being
    /// built do not cover yet.
    static uint64_t PendingFrames(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                                  uint32_t position, uint32_t count);

    /// Columns read so far, and the frames read one by one for them.
    uint64_t ColumnsRead() const { return columnsRead; }
    uint64_t RawFramesRead() const { return rawFramesRead; }

private:
    bool ReadRaw(const WaveFile& file, uint32_t from, uint32_t to, PeakEntry& into);

    std::vector<int16_t> samples;  // interleaved left, right
    uint64_t columnsRead = 0;
    uint64_t rawFramesRead = 0;
};
