// The workspace's level operations: gain, silence and fades change what the pieces of a range
// carry (see PieceLevel), never a frame of a file, so each is instant for any length. The
// range's ends cut pieces as every edit does; a ramp is kept in source frames, so those cuts
// leave each part with its own stretch of the curve.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/Workspace.h"

namespace {

constexpr uint32_t kReadFrames = 65536;

// The magnitude of a sample: 32768 for the lowest.
uint32_t Magnitude(int32_t sample) {
    return static_cast<uint32_t>(std::abs(sample));
}

// The largest magnitude of frames [first, first + count) of `file` at `level`, read frame by
// frame.
uint32_t ReadPeak(const WaveFile& file, const PieceLevel& level, uint32_t first, uint32_t count) {
    std::vector<int16_t> samples(size_t{std::min(count, kReadFrames)} * 2);
    uint32_t peak = 0;
    for (uint32_t done = 0; done < count;) {
        const uint32_t wanted = std::min(kReadFrames, count - done);
        const uint32_t got = file.ReadFramesAt(samples.data(), wanted, first + done);
        level.Apply(samples.data(), int64_t{first} + done, got);
        for (size_t i = 0; i < size_t{got} * 2; ++i) {
            peak = std::max(peak, Magnitude(samples[i]));
        }
        if (got < wanted) {
            break;  // the file is shorter than when the piece was made: nothing more is heard
        }
        done += got;
    }
    return peak;
}

}  // namespace

void Workspace::ChangeLevels(uint32_t a, uint32_t b,
                             const std::function<void(Piece&, uint64_t)>& change) {
    const EditList& list = state->segments;
    b = static_cast<uint32_t>(std::min<uint64_t>(b, list.Length()));
    if (b <= a) {
        return;
    }
    auto [head, rest] = list.Split(a, EditList::Cut::kInside);
    auto [middle, tail] = rest.Split(b - a, EditList::Cut::kInside);
    std::vector<Piece> pieces = middle.Pieces();
    uint64_t offset = 0;
    for (Piece& piece : pieces) {
        change(piece, offset);
        offset += piece.Length();
    }
    Publish(EditList::Concat(EditList::Concat(head, EditList::FromPieces(pieces)), tail));
}

void Workspace::ScaleRange(uint32_t a, uint32_t b, double factor) {
    if (!(factor >= 0.0) || std::isinf(factor) || factor == 1.0) {
        return;  // no level to change, or none that could be heard
    }
    ChangeLevels(a, b, [factor](Piece& piece, uint64_t) {
        if (factor == 0.0) {
            piece.level = PieceLevel{0.0, {}};
        } else {
            piece.level.gain *= factor;
        }
    });
}

void Workspace::FadeRange(uint32_t a, uint32_t b, FadeCurve curve, bool fadeIn) {
    const uint32_t length = b > a ? b - a : 0;
    ChangeLevels(a, b, [&](Piece& piece, uint64_t offset) {
        if (piece.level.gain == 0.0 || piece.Length() == 0) {
            return;  // silence stays silent
        }
        // The fade's first frame, in the piece's source frames: before the piece's start
        // when the piece begins inside the range.
        const int64_t origin = int64_t{piece.start} - static_cast<int64_t>(offset);
        piece.level.ramps.push_back(
            Ramp{curve, origin, length, fadeIn ? 0.0 : 1.0, fadeIn ? 1.0 : 0.0});
    });
}

uint32_t Workspace::PeakMagnitude(uint32_t a, uint32_t b) const {
    const State held = Snapshot();
    uint32_t peak = 0;
    if (b <= a) {
        return peak;
    }
    held->ForEachRun(a, b - a, [&](const Piece& piece, uint32_t first, uint32_t count) {
        const WaveFile& file = *piece.file;
        if (!piece.level.ramps.empty()) {
            peak = std::max(peak, ReadPeak(file, piece.level, first, count));
            return;
        }
        // A constant gain moves every sample the same way: the scaled extremes are the
        // extremes of the scaled samples.
        PeakEntry extremes;
        const auto raw = [&](uint32_t from, uint32_t to) {
            std::vector<int16_t> samples;
            for (uint32_t at = from; at < to;) {
                const uint32_t wanted = std::min(kReadFrames, to - at);
                samples.resize(size_t{wanted} * 2);
                const uint32_t got = file.ReadFramesAt(samples.data(), wanted, at);
                extremes.MergeFrames(samples.data(), got);
                if (got < wanted) {
                    break;
                }
                at += got;
            }
        };
        if (const PeakPyramid* tables = Peaks(file); tables != nullptr) {
            tables->Fold(first, first + count, extremes, raw);
        } else {
            raw(first, first + count);
        }
        if (extremes.leftMin > extremes.leftMax) {
            return;  // nothing was folded in: the file came up short at once
        }
        for (const int16_t sample :
             {extremes.leftMin, extremes.leftMax, extremes.rightMin, extremes.rightMax}) {
            peak = std::max(peak, Magnitude(level::Scale(sample, piece.level.gain)));
        }
    });
    return peak;
}

bool Workspace::ReplaceRangeWithFile(uint32_t a, uint32_t b, uint32_t fileIndex) {
    const EditList& list = state->segments;
    if (fileIndex >= state->files->size() || a > b || b > list.Length()) {
        return false;
    }
    const std::shared_ptr<const WaveFile>& file = (*state->files)[fileIndex];
    if (list.Length() - (b - a) + file->FrameCount() > 0xFFFFFFFFu) {
        return false;  // the workspace length must stay countable in 32 bits
    }
    auto [head, rest] = list.Split(a, EditList::Cut::kInside);
    EditList tail = rest.Split(b - a, EditList::Cut::kInside).second;
    Publish(EditList::Joined(head, Piece{0, file->FrameCount(), file, {}}, tail));
    return true;
}
