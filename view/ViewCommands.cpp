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

// Why a Copy from a file of another rate was refused: its frames would play at the wrong speed.
wxString RateMismatchText(const wxString& fileName, uint32_t fileRate, uint32_t workspaceRate) {
    return wxString::Format(
        "Cannot copy from %s: it is at %u Hz and the workspace at %u Hz. "
        "Orvane does not convert sample rates.",
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

void WaveformView::SelectVisibleRange() {
    selectionStart = viewStart;
    selectionLength = viewLength;
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
    if (frame < viewStart) {
        ScrollTo(frame);
    } else if (frame - viewStart > viewLength) {
        ScrollTo(frame - viewLength);
    }
    InvalidateAll(true);
}

void WaveformView::OnGoToStart(wxCommandEvent&) {
    PlaceInsertionPoint(0);
}

void WaveformView::OnGoToEnd(wxCommandEvent&) {
    PlaceInsertionPoint(SourceLength());  // exactly the length: a paste there appends
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
    } else {
        if (!workspace->CopyFromFile(selectionStart, end, fileIndex)) {
            const WaveFile* file = workspace->File(fileIndex);
            platform::ShowMessageBox(
                this, {RateMismatchText(wxFileName(file->Path()).GetFullName(), file->SampleRate(),
                                        workspace->SampleRate()),
                       str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                       platform::MessageIcon::kError});
        }
    }
}

void WaveformView::OnPaste(wxCommandEvent&) {
    if (workspace == nullptr) {
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
    event.Enable(showWorkspace && workspace != nullptr && !workspace->IsClipboardEmpty() &&
                 !IsPlaying());
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
