#pragma once

#include <cstdint>
#include <vector>

class Workspace;
class WaveFile;
struct PeakEntry;
struct PieceLevel;

/// The extremes of the frames one pixel column covers, per channel. Each starts from 0, so
/// the maxima are never below 0 and the minima never above 0: every column's line reaches
/// its lane's centre row.
struct ColumnPeaks {
    int16_t leftMax = 0;
    int16_t leftMin = 0;
    int16_t rightMax = 0;
    int16_t rightMin = 0;
};

/// Finds the extremes of one column, of the workspace or of one opened file alone, as they are
/// heard: a piece's constant gain scales its extremes exactly (rounded and saturated as its
/// samples are), and under a fade the extremes come from stretches of the tables scaled by the
/// gain's bounds there, within a pixel of the exact ones, or from the frames themselves. The column
/// covers framesPerPixel frames (at least one). Each run of a source file in it is folded from
/// that file's peak tables, with raw frames read only at the run's ragged ends, where the
/// column is narrower than the finest table entry, and where the tables are not built yet;
/// the result is exactly what reading every frame gives. A raw read that fails or ends early
/// leaves the rest of that run out.
///
/// A ragged end is read as the whole finest entry around it, which is kept: the next column's
/// other end usually lies in the same entry, so a picture reads each boundary once.
class ColumnPeakReader {
public:
    static constexpr uint32_t kChunkFrames = 65535;

    /// Frames in a column: framesPerPixel truncated toward zero, 1 below 1.0 or for NaN.
    static uint32_t FramesPerColumn(double framesPerPixel);

    /// With `pending` given, the column never waits for the disk while a file's tables are
    /// being built (the builder is reading it): raw frames not in memory already leave the
    /// column pending (`*pending` set, the result incomplete). With readPending false, frames
    /// the tables do not cover yet are not read either: they leave the column pending too.
    ColumnPeaks Read(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                     uint32_t position, double framesPerPixel, bool readPending = true,
                     bool* pending = nullptr);

    /// Frames of [position, position + count) of the shown source that tables still being
    /// built do not cover yet.
    static uint64_t PendingFrames(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                                  uint32_t position, uint32_t count);

    /// Columns read so far, and the frames they took raw rather than from the tables.
    uint64_t ColumnsRead() const { return columnsRead; }
    uint64_t RawFramesRead() const { return rawFramesRead; }

private:
    enum class RawRead { kDone, kShort, kNotInMemory };

    RawRead ReadRaw(const WaveFile& file, uint32_t from, uint32_t to, bool cachedOnly,
                    PeakEntry& into);
    /// Folds frames [from, from + count) of `file` at `level` into `into`, frame by frame; false
    /// when the file came up short.
    bool ReadLevelled(const WaveFile& file, const PieceLevel& level, uint32_t from, uint32_t count,
                      PeakEntry& into);
    /// Reads [from, to) into `samples`; how many frames came, and whether some were missing.
    uint32_t ReadInto(std::vector<int16_t>& to, const WaveFile& file, uint32_t from, uint32_t count,
                      bool cachedOnly, bool& missing);

    std::vector<int16_t> samples;  // interleaved left, right
    uint64_t columnsRead = 0;
    uint64_t rawFramesRead = 0;

    // The finest entry read last, with what it was read from.
    std::vector<int16_t> block;
    const Workspace* blockWorkspace = nullptr;
    uint64_t blockRevision = 0;
    const WaveFile* blockFile = nullptr;
    uint32_t blockStart = 0;
    uint32_t blockFrames = 0;
};
