#include "view/ColumnPeaks.h"

#include <algorithm>
#include <limits>

#include "audio/PeakPyramid.h"
#include "audio/Workspace.h"

namespace {

using Visit = std::function<void(const WaveFile&, uint32_t, uint32_t)>;

const WaveFile* ShownFile(const Workspace& workspace, uint8_t fileIndex) {
    const WaveFile* file = workspace.File(fileIndex);
    return file != nullptr ? file : workspace.File(0);  // as the workspace's own file reads do
}

// The runs of source files that [position, position + count) of the shown source is made of.
void ForEachRun(const Workspace& workspace, bool fromWorkspace, uint8_t fileIndex,
                uint32_t position, uint32_t count, const Visit& visit) {
    if (fromWorkspace) {
        workspace.ForEachPiece(position, count, visit);
        return;
    }
    const WaveFile* file = ShownFile(workspace, fileIndex);
    const uint32_t length = file != nullptr ? file->FrameCount() : 0;
    if (position < length) {
        visit(*file, position, std::min(count, length - position));
    }
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
               [&](const WaveFile& file, uint32_t first, uint32_t n) {
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
    PeakEntry extremes{0, 0, 0, 0};  // every line reaches its lane's centre
    bool cutShort = false;           // as one read through the column would, stop at a short read
    const auto raw = [&](const WaveFile& file, uint32_t from, uint32_t to) {
        cutShort = cutShort || !ReadRaw(file, from, to, extremes);
    };
    ForEachRun(workspace, fromWorkspace, fileIndex, position, FramesPerColumn(framesPerPixel),
               [&](const WaveFile& file, uint32_t first, uint32_t count) {
                   if (cutShort) {
                       return;
                   }
                   const uint32_t end = first + count;
                   const PeakPyramid* peaks = workspace.Peaks(file);
                   const uint32_t ready =
                       peaks != nullptr ? std::clamp(peaks->ReadyFrames(), first, end) : first;
                   if (ready > first) {
                       peaks->Fold(first, ready, extremes, [&](uint32_t from, uint32_t to) {
                           if (!cutShort) {
                               raw(file, from, to);
                           }
                       });
                   }
                   if (ready < end && !cutShort) {
                       // Tables that will never get there (a failed build) are no reason
                       // to wait.
                       if (readPending || peaks == nullptr || peaks->Failed()) {
                           raw(file, ready, end);
                       } else if (pending != nullptr) {
                           *pending = true;
                       }
                   }
               });
    return ColumnPeaks{extremes.leftMax, extremes.leftMin, extremes.rightMax, extremes.rightMin};
}

bool ColumnPeakReader::ReadRaw(const WaveFile& file, uint32_t from, uint32_t to, PeakEntry& into) {
    samples.resize(size_t{std::min(to - from, kChunkFrames)} * 2);
    for (uint32_t at = from; at < to;) {
        const uint32_t wanted = std::min(to - at, kChunkFrames);
        const uint32_t got = std::min(file.ReadFramesAt(samples.data(), wanted, at), wanted);
        into.MergeFrames(samples.data(), got);
        rawFramesRead += got;
        if (got < wanted) {
            return false;  // the file is shorter than when the run was made, or a read failed
        }
        at += got;
    }
    return true;
}
