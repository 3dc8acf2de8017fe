// The view's commands and their update rules: choosing the source, zoom, and the edits.
// The handlers rely on the update rules (the framework applies them before a menu or
// accelerator command runs) and do not test them again.

#include <algorithm>
#include <cmath>

#include <wx/filename.h>

#include "audio/Workspace.h"
#include "platform/gui/MessageBox.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/ViewMath.h"
#include "view/WaveformView.h"
#include "view/ZeroCrossing.h"

using view_math::RangeEnd;
using view_math::ToFrames;

namespace {

// Why a Copy from a file of another rate was refused where no conversion is at hand: its
// frames would play at the wrong speed.
wxString RateMismatchText(const wxString& fileName, uint32_t fileRate, uint32_t workspaceRate) {
    return wxString::Format("Cannot copy from %s: it is at %u Hz and the workspace at %u Hz.",
                            fileName, fileRate, workspaceRate);
}

}  // namespace

// ---- Source ----

void WaveformView::ShowSource(int index) {
    fileIndex = uint8_t(index);
    ShowWholeSource(index == -1);
    Update();
}

void WaveformView::OnShowWaveFile(wxCommandEvent& event) {
    fileIndex = uint8_t(event.GetId() - cmd::kFirstWaveFile);
    ShowWholeSource(false);
}

void WaveformView::OnShowWorkspace(wxCommandEvent&) {
    ShowWholeSource(true);
}

void WaveformView::ShowWholeSource(bool workspaceShown) {
    showWorkspace = workspaceShown;
    viewStart = 0;
    viewLength = SourceLength();
    selectionStart = 0;
    selectionLength = 0;
    InvalidateAll(true);
}

void WaveformView::ShowWorkspaceSelection(uint32_t start, uint32_t length) {
    ShowWholeSource(true);
    const uint32_t source = SourceLength();
    selectionStart = std::min(start, source);
    selectionLength = std::min(length, source - selectionStart);
    InvalidateAll(false);  // the readouts and the ruler show the selection too
    Update();
}

void WaveformView::SelectWholeSource() {
    selectionStart = 0;
    selectionLength = SourceLength();
    selectionAnchor = 0;
    InvalidateAll(false);
}

// ---- Zoom ----

void WaveformView::OnZoomIn(wxCommandEvent&) {
    // The deepest zoom is a little over half a frame per pixel.
    if (double(selectionLength) / ClientWidth() > 0.5) {
        viewStart = selectionStart;
        viewLength = selectionLength;
        InvalidateAll(true);
    }
}

void WaveformView::OnZoomOut(wxCommandEvent&) {
    // A quarter of the length is added on each side, the start held at 0 and the end at
    // the end of the source.
    const uint32_t start = ToFrames(viewStart - 0.25 * viewLength);
    uint32_t length = ToFrames(1.5 * viewLength);
    const uint32_t source = SourceLength();
    if (uint64_t{start} + length > source) {
        length = source > start ? source - start : 0;
    }
    viewStart = start;
    viewLength = length;
    InvalidateAll(true);
}

void WaveformView::OnZoomOutFull(wxCommandEvent&) {
    viewStart = 0;
    viewLength = SourceLength();
    InvalidateAll(true);
}

void WaveformView::ZoomAround(uint32_t frame, int x, uint32_t length) {
    const uint32_t source = SourceLength();
    const int width = ClientWidth();
    if (width <= 0 || source == 0) {
        return;
    }
    // No deeper than the zoom-in command goes: a little over half a frame per pixel.
    const uint32_t deepest = std::min(uint32_t(width / 2 + 1), source);
    length = std::clamp(length, deepest, source);
    const double start = double(frame) - double(x) * length / width;
    viewStart = ToFrames(std::clamp(std::round(start), 0.0, double(source - length)));
    viewLength = length;
    InvalidateAll(true);
}

void WaveformView::ScrollTo(uint32_t start) {
    const uint32_t source = SourceLength();
    const uint32_t latest = source > viewLength ? source - viewLength : 0;
    const uint32_t clamped = std::min(start, latest);
    if (clamped != viewStart) {
        viewStart = clamped;
        InvalidateAll(true);
    }
}

void WaveformView::OnZoomAtInsertionPoint(wxCommandEvent& event) {
    // The insertion point keeps its column; one out of sight is brought to the middle.
    const int width = ClientWidth();
    const uint32_t frame = selectionStart;
    int x = width / 2;
    if (viewLength != 0 && frame >= viewStart && frame - viewStart <= viewLength) {
        x = int(double(frame - viewStart) * width / viewLength);
    }
    const bool in = event.GetId() == cmd::kZoomInAtInsertion;
    ZoomAround(frame, x, in ? viewLength / 2 : ToFrames(2.0 * viewLength));
}

// ---- Insertion point ----

void WaveformView::PlaceInsertionPoint(uint32_t frame) {
    frame = std::min(frame, SourceLength());
    selectionStart = frame;
    selectionLength = 0;
    selectionAnchor = frame;
    ScrollToShow(frame);
    InvalidateAll(true);
}

void WaveformView::ExtendSelectionTo(uint32_t frame) {
    frame = std::min(frame, SourceLength());
    // An anchor left behind by another change of the selection falls back to its start.
    const uint32_t end = RangeEnd(selectionStart, selectionLength);
    const uint32_t anchor = selectionAnchor == end ? end : selectionStart;
    selectionStart = std::min(anchor, frame);
    selectionLength = std::max(anchor, frame) - selectionStart;
    selectionAnchor = anchor;
    ScrollToShow(frame);
    InvalidateAll(false);
}

uint32_t WaveformView::FreeEnd() const {
    const uint32_t end = RangeEnd(selectionStart, selectionLength);
    return selectionAnchor == end ? selectionStart : end;
}

void WaveformView::ScrollToShow(uint32_t frame) {
    if (frame < viewStart) {
        ScrollTo(frame);
    } else if (frame - viewStart > viewLength) {
        ScrollTo(frame - viewLength);
    }
}

std::vector<uint32_t> WaveformView::SplicePoints() const {
    std::vector<uint32_t> points{0};
    if (showWorkspace && workspace != nullptr) {
        for (const Segment& piece : workspace->Segments()) {
            if (piece.Length() != 0) {
                points.push_back(points.back() + piece.Length());
            }
        }
    }
    if (points.back() != SourceLength()) {
        points.push_back(SourceLength());
    }
    return points;
}

uint32_t WaveformView::MoveTarget(int command) const {
    const int extendOffset = cmd::kExtendBack - cmd::kMoveBack;
    const int move = command >= cmd::kExtendBack ? command - extendOffset : command;
    const uint32_t from = FreeEnd();
    const uint32_t source = SourceLength();
    const uint32_t step = std::max<uint32_t>(viewLength / 10, 1);
    switch (move) {
        case cmd::kMoveBack:
            return from > step ? from - step : 0;
        case cmd::kMoveForward:
            return std::min(RangeEnd(from, step), source);
        case cmd::kMoveToPreviousSplice: {
            const std::vector<uint32_t> points = SplicePoints();
            const auto after = std::lower_bound(points.begin(), points.end(), from);
            return after == points.begin() ? 0 : *(after - 1);
        }
        case cmd::kMoveToNextSplice: {
            const std::vector<uint32_t> points = SplicePoints();
            const auto after = std::upper_bound(points.begin(), points.end(), from);
            return after == points.end() ? source : *after;
        }
        case cmd::kGoToStart:
            return 0;
        default:
            return source;  // exactly the length: a paste there appends
    }
}

void WaveformView::OnMove(wxCommandEvent& event) {
    const uint32_t target = MoveTarget(event.GetId());
    if (event.GetId() >= cmd::kExtendBack) {
        ExtendSelectionTo(target);
    } else {
        PlaceInsertionPoint(target);
    }
}

void WaveformView::OnClearSelection(wxCommandEvent&) {
    PlaceInsertionPoint(selectionStart);
}

// ---- Edits ----

void WaveformView::FitViewToSource() {
    const uint32_t source = SourceLength();
    if (uint64_t{viewStart} + viewLength > source) {
        viewLength = source > viewStart ? source - viewStart : 0;
    }
}

void WaveformView::OnCut(wxCommandEvent&) {
    RemoveSelection(true);
}

void WaveformView::OnDelete(wxCommandEvent&) {
    RemoveSelection(false);
}

void WaveformView::RemoveSelection(bool toClipboard) {
    if (workspace == nullptr) {
        return;
    }
    const uint32_t end = RangeEnd(selectionStart, selectionLength);
    if (toClipboard) {
        crossRateCopy.reset();
        workspace->CutRange(selectionStart, end);
    } else {
        workspace->DeleteRange(selectionStart, end);
    }
    FitViewToSource();
    selectionLength = 0;
    InvalidateAll(true);
}

void WaveformView::OnCopy(wxCommandEvent&) {
    if (workspace == nullptr) {
        return;
    }
    const uint32_t end = RangeEnd(selectionStart, selectionLength);
    if (showWorkspace) {
        workspace->CopyRange(selectionStart, end);
        crossRateCopy.reset();
    } else if (workspace->CopyFromFile(selectionStart, end, fileIndex)) {
        crossRateCopy.reset();
    } else if (convertRate) {
        // Another rate: the range is converted when it is pasted, and only then.
        const Workspace::State state = workspace->Snapshot();
        const std::shared_ptr<const WaveFile> file = (*state->files)[fileIndex];
        const uint32_t last = std::min(end, file->FrameCount());
        const uint32_t first = std::min(selectionStart, last);
        crossRateCopy = CrossRateCopy{file, first, last - first};
    } else {
        const WaveFile* file = workspace->File(fileIndex);
        platform::ShowMessageBox(
            this, {RateMismatchText(wxFileName(file->Path()).GetFullName(), file->SampleRate(),
                                    workspace->SampleRate()),
                   str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
    }
}

bool WaveformView::ConvertCopiedRange() {
    const std::string converted =
        convertRate(crossRateCopy->file, crossRateCopy->first, crossRateCopy->count);
    if (converted.empty()) {
        return false;
    }
    std::string why;
    if (!workspace->AddFile(converted.c_str(), &why)) {
        platform::ShowMessageBox(
            this, {wxString::Format("Cannot open the converted audio %s: %s",
                                    wxString::FromUTF8(converted), wxString::FromUTF8(why)),
                   str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
        return false;
    }
    const auto index = static_cast<uint32_t>(workspace->FileCount() - 1);
    workspace->CopyFromFile(0, workspace->FileLength(index), static_cast<uint8_t>(index));
    crossRateCopy.reset();  // from now on the clipboard holds the converted frames
    return true;
}

void WaveformView::OnPaste(wxCommandEvent&) {
    if (workspace == nullptr) {
        return;
    }
    // Converted first: a cancelled conversion leaves the selection and everything else as is.
    if (crossRateCopy.has_value() && !ConvertCopiedRange()) {
        return;
    }
    const bool wholeShown = viewStart == 0 && viewLength == SourceLength();
    if (selectionLength != 0) {
        // The pasted material takes the selection's place.
        workspace->DeleteRange(selectionStart, RangeEnd(selectionStart, selectionLength));
        selectionLength = 0;
    }
    workspace->PasteInto(selectionStart);
    // The zoom and the scroll position stay where they still fit; a whole view stays whole.
    const uint32_t source = SourceLength();
    viewLength = wholeShown ? source : std::min(viewLength, source);
    viewStart = std::min(viewStart, source - viewLength);
    InvalidateAll(true);
}

FrameReader WaveformView::ShownSourceReader() const {
    if (workspace == nullptr) {
        return [](void*, uint32_t, uint32_t&, uint32_t) { return false; };
    }
    const Workspace::State state = workspace->Snapshot();
    if (showWorkspace) {
        return [state](void* buffer, uint32_t n, uint32_t& got, uint32_t at) {
            return state->ReadFrames(buffer, n, got, at);
        };
    }
    const std::shared_ptr<const WaveFile> file =
        fileIndex < state->files->size() ? (*state->files)[fileIndex] : nullptr;
    return [file](void* buffer, uint32_t n, uint32_t& got, uint32_t at) {
        if (file == nullptr || n == 0) {
            return false;
        }
        got = file->ReadFramesAt(buffer, n, at);
        return true;
    };
}

// ---- Snapping ----

uint32_t WaveformView::SnappedEdge(uint32_t frame) const {
    if (!snapToZeroCrossings || !IsFileOpen()) {
        return frame;
    }
    return SnapToZeroCrossing(ShownSourceReader(), frame, SampleRate());
}

void WaveformView::OnToggleSnap(wxCommandEvent&) {
    snapToZeroCrossings = !snapToZeroCrossings;
}

void WaveformView::OnUpdateSnap(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(snapToZeroCrossings);
}

// ---- Update rules ----

void WaveformView::OnUpdateCutDelete(wxUpdateUIEvent& event) {
    event.Enable(showWorkspace && IsFileOpen() && selectionLength != 0 && !IsPlaying());
}

void WaveformView::OnUpdatePaste(wxUpdateUIEvent& event) {
    event.Enable(showWorkspace && workspace != nullptr &&
                 (!workspace->IsClipboardEmpty() || crossRateCopy.has_value()) && !IsPlaying());
}

void WaveformView::OnUpdateCopyZoomIn(wxUpdateUIEvent& event) {
    event.Enable(IsFileOpen() && selectionLength != 0);
}

void WaveformView::OnUpdateZoomOut(wxUpdateUIEvent& event) {
    const bool wholeSourceShown = viewStart == 0 && viewLength == SourceLength();
    event.Enable(IsFileOpen() && !wholeSourceShown);
}

void WaveformView::OnUpdateShowWorkspace(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(showWorkspace);
}

void WaveformView::OnUpdateMoveAndZoomKeys(wxUpdateUIEvent& event) {
    event.Enable(IsSourceDrawable());
}

void WaveformView::OnUpdateShowWaveFile(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(!showWorkspace && fileIndex == event.GetId() - cmd::kFirstWaveFile);
}
