// The workspace's editing operations. Every edit trims, splits, removes or inserts Segment
// records; no audio is copied and no file is touched.
//
// During a walk, `offset` is the position of the visited segment in the workspace as it was
// when the call began, so a and b keep their meaning while records change under the walk.

#include <algorithm>
#include <iterator>

#include "audio/Workspace.h"

namespace {

constexpr uint64_t kMaxWorkspaceLength = 0xFFFFFFFFu;

uint64_t LengthOf(const std::list<Segment>& records) {
    uint64_t total = 0;
    for (const Segment& s : records) {
        total += s.Length();
    }
    return total;
}

}  // namespace

void Workspace::DeleteRange(uint32_t a, uint32_t b) {
    if (b < a) {
        return;  // a reversed range would duplicate frames in the split case
    }
    ++revision;
    uint32_t offset = 0;
    for (auto it = segments.begin(); it != segments.end() && offset < b;) {
        const uint32_t len = it->Length();
        const uint32_t segEnd = offset + len;
        auto next = std::next(it);
        if (segEnd >= a) {
            if (offset >= a) {
                if (segEnd > b) {
                    it->start += b - offset;  // begins inside, reaches past: trim its head
                } else {
                    segments.erase(it);  // wholly inside
                }
            } else if (segEnd > b) {
                // The range lies strictly inside: keep the part before it as a new record.
                segments.insert(it, Segment{it->start, it->start + (a - offset), it->file});
                it->start += b - offset;
            } else {
                it->end = it->start + (a - offset);  // ends inside the range or at its start
            }
        }
        offset += len;
        it = next;
    }
}

void Workspace::CopyRange(uint32_t a, uint32_t b) {
    clipboard.clear();
    if (b < a) {
        return;  // a reversed range would make pieces with start > end
    }
    uint32_t offset = 0;
    for (auto it = segments.begin(); it != segments.end() && offset < b; ++it) {
        const uint32_t segEnd = offset + it->Length();
        if (segEnd >= a) {
            Segment piece{it->start, it->end, it->file};
            if (offset < a) {
                piece.start = it->start + (a - offset);
            }
            if (segEnd > b) {
                piece.end = it->start + (b - offset);
            }
            clipboard.push_back(piece);
        }
        offset = segEnd;
    }
}

void Workspace::CutRange(uint32_t a, uint32_t b) {
    CopyRange(a, b);
    DeleteRange(a, b);
}

void Workspace::PasteAt(uint32_t p) {
    if (clipboard.empty() || segments.empty()) {
        return;
    }
    // The workspace length must stay countable in 32 bits.
    if (LengthOf(segments) + LengthOf(clipboard) > kMaxWorkspaceLength) {
        return;
    }
    ++revision;
    uint32_t offset = 0;
    for (auto it = segments.begin(); it != segments.end(); ++it) {
        const uint32_t segEnd = offset + it->Length();
        if (offset == p) {
            segments.insert(it, clipboard.begin(), clipboard.end());
            return;
        }
        if (offset < p && segEnd >= p) {
            // Split at p: the head becomes its own record, the clipboard goes between.
            const Segment head{it->start, it->start + (p - offset), it->file};
            segments.insert(it, head);
            it->start += head.Length();
            segments.insert(it, clipboard.begin(), clipboard.end());
            return;
        }
        offset = segEnd;
    }
}

bool Workspace::CopyFromFile(uint32_t a, uint32_t b, uint8_t fileIndex) {
    if (fileIndex < files.size() && FileSampleRate(fileIndex) != SampleRate()) {
        return false;
    }
    clipboard.clear();
    if (fileIndex >= files.size()) {
        return true;  // no such file: nothing to copy
    }
    WaveFile* file = std::next(files.begin(), fileIndex)->get();
    // Clamp to the file so no record ever points past it or has start > end.
    const uint32_t end = std::min(b, file->FrameCount());
    const uint32_t start = std::min(a, end);
    clipboard.push_back(Segment{start, end, file});
    return true;
}
