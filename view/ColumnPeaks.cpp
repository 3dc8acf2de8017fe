#include "view/ColumnPeaks.h"

#include <algorithm>
#include <limits>

#include "audio/Level.h"
#include "audio/PeakPyramid.h"
#include "audio/Workspace.h"

namespace {

using Visit = std::function<void(const PieceLevel&, const WaveFile&, uint32_t, uint32_t)>;

// Within a stretch of a fade folded from the tables, the gain moves by at most this much, so that
// scaling the stretch's extremes by the gain's bounds stays well within a pixel of the exact
// extremes (32 steps of a 16-bit sample).
constexpr double kGainTolerance = 1.0 / 1024;

const WaveFile* ShownFile(const Workspace& workspace, uint8_t fileIndex) {
    const WaveFile* file = workspace.File(fileIndex);
    return file != nullptr ? file : workspace.File(0);  // as the workspace's own file reads do
}

// The runs of source files that [position, position + count) of the shown source is made of,
// with the level each is heard at.
void ForEachRun(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                uint32_t position, uint32_t count, const Visit& visit) {
    if (fromWorkspace) {
        workspace.ForEachRun(position, count, [&](const Piece& piece, uint32_t first, uint32_t n) {
            visit(piece.level, *piece.file, first, n);
        });
        return;
    }
    static const PieceLevel kUnity;
    const WaveFile* file = ShownFile(workspace, fileIndex);
    const uint32_t length = file != nullptr ? file->FrameCount() : 0;
    if (position < length) {
        visit(kUnity, *file, position, std::min(count, length - position));
    }
}

// Folds the extremes `run` into `into` as they are heard at a gain somewhere in [lowest,
// highest] (at least 0): each extreme goes as far out as that gain can take it. Exact when the
// two are equal.
void MergeScaled(PeakEntry& into, const PeakEntry& run, double lowest, double highest) {
    if (run.leftMin > run.leftMax) {
        return;  // nothing was folded
    }
    const auto outward = [&](int16_t sample, bool upper) {
        const bool grows = upper ? sample >= 0 : sample <= 0;
        return level::Scale(sample, grows ? highest : lowest);
    };
    into.Merge(PeakEntry{outward(run.leftMin, false), outward(run.leftMax, true),
                         outward(run.rightMin, false), outward(run.rightMax, true)});
}

// The most a piece's gain moves from one frame to the next.
double GainStep(const PieceLevel& level) {
    double ceiling = 1.0;
    double steps = 0.0;
    for (const Ramp& ramp : level.ramps) {
        ceiling *= std::max({1.0, ramp.fromGain, ramp.toGain});
        steps += ramp.MaxStep();
    }
    return level.gain * ceiling * steps;
}

}  // namespace

uint32_t ColumnPeakReader::FramesPerColumn(double framesPerPixel) {
    if (!(framesPerPixel >= 1.0)) {
        return 1;  // below one frame per pixel, and NaN
    }
    constexpr double kMax = std::numeric_limits<uint32_t>::max();
    return framesPerPixel >= kMax ? std::numeric_limits<uint32_t>::max() : uint32_t(framesPerPixel);
}

uint64_t ColumnPeakReader::PendingFrames(const Workspace& workspace, bool fromWorkspace,
                                         uint8_t fileIndex, uint32_t position, uint32_t count) {
    uint64_t pending = 0;
    ForEachRun(workspace, fromWorkspace, fileIndex, position, count,
               [&](const PieceLevel&, const WaveFile& file, uint32_t first, uint32_t n) {
                   const PeakPyramid* peaks = workspace.Peaks(file);
                   if (peaks != nullptr && !peaks->Failed()) {
                       const uint64_t end = uint64_t{first} + n;
                       pending += end - std::clamp<uint64_t>(peaks->ReadyFrames(), first, end);
                   }
               });
    return pending;
}

ColumnPeaks ColumnPeakReader::Read(const Workspace& workspace, bool fromWorkspace,
                                   uint8_t fileIndex, uint32_t position, double framesPerPixel,
                                   bool readPending, bool* pending) {
    ++columnsRead;
    if (blockWorkspace != &workspace || blockRevision != workspace.Revision()) {
        blockFile = nullptr;  // the kept entry may belong to a file closed since
        blockWorkspace = &workspace;
        blockRevision = workspace.Revision();
    }
    PeakEntry extremes{0, 0, 0, 0};  // every line reaches its lane's centre
    bool cutShort = false;           // as one read through the column would, stop at a short read
    bool missing = false;            // frames left for the tables or the disk: the column waits
    ForEachRun(workspace, fromWorkspace, fileIndex, position, FramesPerColumn(framesPerPixel),
               [&](const PieceLevel& level, const WaveFile& file, uint32_t first, uint32_t count) {
                   if (cutShort || missing) {
                       return;
                   }
                   const PeakPyramid* peaks = workspace.Peaks(file);
                   // Tables that will never get further (a failed build) are no reason to wait.
                   const bool building =
                       peaks != nullptr && !peaks->IsComplete() && !peaks->Failed();
                   // While its tables are built the disk is the builder's: a caller that can show
                   // the column as pending never waits behind it.
                   const bool cachedOnly = building && pending != nullptr;
                   // The source's own extremes of [from, to), from the tables and raw frames.
                   const auto fold = [&](uint32_t from, uint32_t to, PeakEntry& into) {
                       const auto raw = [&](uint32_t rawFrom, uint32_t rawTo) {
                           if (cutShort || missing) {
                               return;
                           }
                           const RawRead result = ReadRaw(file, rawFrom, rawTo, cachedOnly, into);
                           cutShort = result == RawRead::kShort;
                           missing = result == RawRead::kNotInMemory;
                       };
                       const uint32_t ready =
                           peaks != nullptr ? std::clamp(peaks->ReadyFrames(), from, to) : from;
                       if (ready > from) {
                           peaks->Fold(from, ready, into, raw);
                       }
                       if (ready < to) {
                           if (readPending || !building) {
                               raw(ready, to);
                           } else {
                               missing = true;
                           }
                       }
                   };
                   const uint32_t end = first + count;
                   if (level.IsUnity()) {
                       fold(first, end, extremes);
                       return;
                   }
                   // A constant gain scales the extremes exactly. Under a fade the run goes in
                   // stretches short enough for the gain's bounds to stay close to every frame's
                   // gain, or, where even the finest table entry is too long for that, frame by
                   // frame.
                   const double step = GainStep(level);
                   const double stretch = step > 0.0 ? kGainTolerance / step : double(count);
                   if (stretch < PeakPyramid::kEntryFrames[0]) {
                       cutShort = !ReadLevelled(file, level, first, count, extremes);
                       return;
                   }
                   const uint32_t chunk = stretch >= count ? count : uint32_t(stretch);
                   for (uint32_t from = first; from < end && !cutShort && !missing;) {
                       const uint32_t to = end - from > chunk ? from + chunk : end;
                       PeakEntry run;
                       fold(from, to, run);
                       double lowest = 0.0;
                       double highest = 0.0;
                       level.GainBounds(from, to - from, lowest, highest);
                       MergeScaled(extremes, run, lowest, highest);
                       from = to;
                   }
               });
    if (missing && pending != nullptr) {
        *pending = true;
    }
    return ColumnPeaks{extremes.leftMax, extremes.leftMin, extremes.rightMax, extremes.rightMin};
}

bool ColumnPeakReader::ReadLevelled(const WaveFile& file, const PieceLevel& level, uint32_t from,
                                    uint32_t count, PeakEntry& into) {
    for (uint32_t at = from; at < from + count;) {
        const uint32_t wanted = std::min(from + count - at, kChunkFrames);
        bool missing = false;
        const uint32_t got = ReadInto(samples, file, at, wanted, false, missing);
        level.Apply(samples.data(), at, got);
        into.MergeFrames(samples.data(), got);
        rawFramesRead += got;
        if (got < wanted) {
            return false;
        }
        at += got;
    }
    return true;
}

uint32_t ColumnPeakReader::ReadInto(std::vector<int16_t>& to, const WaveFile& file, uint32_t from,
                                    uint32_t count, bool cachedOnly, bool& missing) {
    to.resize(size_t{count} * 2);
    const uint32_t got =
        std::min(cachedOnly ? file.ReadCachedFramesAt(to.data(), count, from, missing)
                            : file.ReadFramesAt(to.data(), count, from),
                 count);
    return got;
}

ColumnPeakReader::RawRead ColumnPeakReader::ReadRaw(const WaveFile& file, uint32_t from,
                                                    uint32_t to, bool cachedOnly, PeakEntry& into) {
    constexpr uint32_t kEntry = PeakPyramid::kEntryFrames[0];
    const uint32_t entry = from - from % kEntry;
    if (uint64_t{to} - entry <= kEntry) {
        // Within one finest entry: the whole entry is read, and kept for the next column.
        if (blockFile != &file || blockStart != entry) {
            bool missing = false;
            const uint32_t got = ReadInto(block, file, entry, kEntry, cachedOnly, missing);
            if (missing && got < to - entry) {
                blockFile = nullptr;
                return RawRead::kNotInMemory;
            }
            // A read that came up short for another reason is kept as it is: the file ends.
            blockFile = missing ? nullptr : &file;
            blockStart = entry;
            blockFrames = got;
        }
        const uint32_t available = std::min(to, blockStart + blockFrames);
        if (available > from) {
            into.MergeFrames(block.data() + size_t{from - entry} * 2, available - from);
            rawFramesRead += available - from;
        }
        return available < to ? RawRead::kShort : RawRead::kDone;
    }
    for (uint32_t at = from; at < to;) {
        const uint32_t wanted = std::min(to - at, kChunkFrames);
        bool missing = false;
        const uint32_t got = ReadInto(samples, file, at, wanted, cachedOnly, missing);
        into.MergeFrames(samples.data(), got);
        rawFramesRead += got;
        if (got < wanted) {
            // Not in memory yet, or the file is shorter than when the run was made, or a read
            // failed.
            return missing ? RawRead::kNotInMemory : RawRead::kShort;
        }
        at += got;
    }
    return RawRead::kDone;
}
