// The workspace's editing operations. Every edit splits and joins the edit list at frame
// positions; no audio is copied and no file is touched. Each makes a new list that shares
// the untouched parts with the old one, then publishes it whole.
//
// The boundary rules, in terms of the list's two kinds of split:
// - Cut::kInside at p: pieces beginning before p (cut at p) | pieces beginning at or after p.
//   A piece ending at p stays whole on the left; a zero-length piece at p goes right.
// - Cut::kAtEnd at p: the same, except that a piece ending exactly at p leaves a zero-length
//   rest on the right. The first piece on the right is the one a paste at p splits.

#include <algorithm>

#include "audio/Workspace.h"

namespace {

constexpr uint64_t kMaxWorkspaceLength = 0xFFFFFFFFu;

}  // namespace

void Workspace::DeleteRange(uint32_t a, uint32_t b) {
    if (b < a) {
        return;  // a reversed range would duplicate frames in the split case
    }
    const EditList& list = state->segments;
    if (a > list.Length()) {
        return;  // every record lies before the range
    }
    Publish(list.Without(a, b));
}

void Workspace::CopyRange(uint32_t a, uint32_t b) {
    clipboard = EditList();
    if (b < a) {
        return;  // a reversed range would make pieces with start > end
    }
    // Pieces beginning before b, cut at b; of those, the ones ending at or after a, cut at a
    // (a piece ending exactly at a gives a zero-length piece).
    clipboard = state->segments.Slice(a, b);
}

void Workspace::CutRange(uint32_t a, uint32_t b) {
    CopyRange(a, b);
    DeleteRange(a, b);
}

void Workspace::PasteAt(uint32_t p) {
    const EditList& list = state->segments;
    if (clipboard.Empty() || list.Empty() || p > list.Length()) {
        return;
    }
    // The workspace length must stay countable in 32 bits.
    if (list.Length() + clipboard.Length() > kMaxWorkspaceLength) {
        return;
    }
    auto [head, tail] = list.Split(p, EditList::Cut::kAtEnd);
    if (clipboard.Count() == 1) {
        // The common paste of one piece: a single join instead of two concatenations.
        Publish(EditList::Joined(head, clipboard.Pieces().front(), tail));
        return;
    }
    Publish(EditList::Concat(EditList::Concat(head, clipboard), tail));
}

void Workspace::PasteInto(uint32_t p) {
    if (state->segments.Empty() && !clipboard.Empty() && p == 0 &&
        clipboard.Length() <= kMaxWorkspaceLength) {
        Publish(clipboard);
        return;
    }
    PasteAt(p);
}

bool Workspace::CopyFromFile(uint32_t a, uint32_t b, uint8_t fileIndex) {
    if (fileIndex < state->files->size() && FileSampleRate(fileIndex) != SampleRate()) {
        return false;
    }
    clipboard = EditList();
    if (fileIndex >= state->files->size()) {
        return true;  // no such file: nothing to copy
    }
    const std::shared_ptr<const WaveFile>& file = (*state->files)[fileIndex];
    // Clamp to the file so no record ever points past it or has start > end.
    const uint32_t end = std::min(b, file->FrameCount());
    const uint32_t start = std::min(a, end);
    clipboard = EditList::Of(Piece{start, end, file, {}});
    return true;
}
