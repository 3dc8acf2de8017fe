#include "view/WaveformView.h"

#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "audio/Workspace.h"
#include "playback/WavePlayer.h"
#include "resources/CommandIds.h"
#include "view/ViewMath.h"

using view_math::ToFrames;
using view_math::ToPixels;

wxDEFINE_EVENT(EVT_WAVEFORM_VIEW_CHANGED, wxCommandEvent);

namespace {
constexpr int kCursorIntervalMs = 25;     // 40 steps a second
constexpr double kWheelZoomStep = 1.25;   // one notch of Ctrl+wheel
constexpr double kWheelScrollStep = 0.1;  // one notch scrolls a tenth of the shown range
constexpr Rgb kCursorColour = 0xFFFF00;
}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(WaveformView, wxWindow)
    EVT_MENU(cmd::kCut, WaveformView::OnCut)
    EVT_MENU(cmd::kDelete, WaveformView::OnDelete)
    EVT_MENU(cmd::kCopy, WaveformView::OnCopy)
    EVT_MENU(cmd::kPaste, WaveformView::OnPaste)
    EVT_MENU(cmd::kZoomIn, WaveformView::OnZoomIn)
    EVT_MENU(cmd::kZoomOut, WaveformView::OnZoomOut)
    EVT_MENU(cmd::kZoomOutFull, WaveformView::OnZoomOutFull)
    EVT_MENU(cmd::kShowWorkspace, WaveformView::OnShowWorkspace)
    EVT_MENU_RANGE(cmd::kFirstWaveFile, cmd::kLastWaveFile, WaveformView::OnShowWaveFile)
    EVT_MENU_RANGE(cmd::kFirstMove, cmd::kLastMove, WaveformView::OnMove)
    EVT_MENU(cmd::kClearSelection, WaveformView::OnClearSelection)
    EVT_MENU(cmd::kZoomInAtInsertion, WaveformView::OnZoomAtInsertionPoint)
    EVT_MENU(cmd::kZoomOutAtInsertion, WaveformView::OnZoomAtInsertionPoint)
    EVT_MENU(cmd::kSnapToZeroCrossings, WaveformView::OnToggleSnap)
    EVT_MENU(cmd::kGain, WaveformView::OnLevelCommand)
    EVT_MENU(cmd::kNormalize, WaveformView::OnLevelCommand)
    EVT_MENU(cmd::kFadeIn, WaveformView::OnLevelCommand)
    EVT_MENU(cmd::kFadeOut, WaveformView::OnLevelCommand)
    EVT_MENU(cmd::kSilence, WaveformView::OnLevelCommand)
    EVT_MENU(cmd::kApplyToSelection, WaveformView::OnApplyToSelection)

    EVT_UPDATE_UI(cmd::kCut, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kDelete, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kPaste, WaveformView::OnUpdatePaste)
    EVT_UPDATE_UI(cmd::kCopy, WaveformView::OnUpdateCopyZoomIn)
    EVT_UPDATE_UI(cmd::kZoomIn, WaveformView::OnUpdateCopyZoomIn)
    EVT_UPDATE_UI(cmd::kZoomOut, WaveformView::OnUpdateZoomOut)
    EVT_UPDATE_UI(cmd::kZoomOutFull, WaveformView::OnUpdateZoomOut)
    EVT_UPDATE_UI(cmd::kShowWorkspace, WaveformView::OnUpdateShowWorkspace)
    EVT_UPDATE_UI_RANGE(cmd::kFirstWaveFile, cmd::kLastWaveFile,
                        WaveformView::OnUpdateShowWaveFile)
    EVT_UPDATE_UI_RANGE(cmd::kFirstMove, cmd::kLastMove, WaveformView::OnUpdateMoveAndZoomKeys)
    EVT_UPDATE_UI(cmd::kClearSelection, WaveformView::OnUpdateMoveAndZoomKeys)
    EVT_UPDATE_UI(cmd::kZoomInAtInsertion, WaveformView::OnUpdateMoveAndZoomKeys)
    EVT_UPDATE_UI(cmd::kZoomOutAtInsertion, WaveformView::OnUpdateMoveAndZoomKeys)
    EVT_UPDATE_UI(cmd::kSnapToZeroCrossings, WaveformView::OnUpdateSnap)
    EVT_UPDATE_UI(cmd::kGain, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kNormalize, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kFadeIn, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kFadeOut, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kSilence, WaveformView::OnUpdateCutDelete)
    EVT_UPDATE_UI(cmd::kApplyToSelection, WaveformView::OnUpdateApplyToSelection)

    EVT_PAINT(WaveformView::OnPaint)
    EVT_LEFT_DOWN(WaveformView::OnLButtonDown)
    EVT_MOTION(WaveformView::OnMouseMove)
    EVT_LEFT_UP(WaveformView::OnLButtonUp)
    EVT_MOUSE_CAPTURE_LOST(WaveformView::OnMouseCaptureLost)
    EVT_MOUSEWHEEL(WaveformView::OnMouseWheel)
    EVT_TIMER(wxID_ANY, WaveformView::OnCursorTimer)
wxEND_EVENT_TABLE()
    // clang-format on

    WaveformView::WaveformView()
    : cursorTimer(this) {
    // The paint handler covers every pixel from the buffer; nothing is erased underneath.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    peakTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &WaveformView::OnPeakTimer, this, peakTimer.GetId());
}

WaveformView::~WaveformView() {
    peakTimer.Stop();
    cursorTimer.Stop();
    // A window must not go while it holds the mouse, as when it closes in mid-drag.
    if (HasCapture()) {
        ReleaseMouse();
    }
}

bool WaveformView::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                          long style) {
    style = (style & ~wxBORDER_MASK) | wxBORDER_SUNKEN | wxFULL_REPAINT_ON_RESIZE;
    if (!wxWindow::Create(parent, id, pos, size, style)) {
        return false;
    }
    SetBackgroundColour(*wxBLACK);
    SetCursor(wxCursor(wxCURSOR_ARROW));
    return true;
}

void WaveformView::Attach(Workspace* ws, WavePlayer* wavePlayer) {
    workspace = ws;
    player = wavePlayer;
    fullRepaint = true;
}

uint32_t WaveformView::SourceLength() const {
    if (workspace == nullptr) {
        return 0;
    }
    return showWorkspace ? workspace->TotalLength() : workspace->FileLength(fileIndex);
}

uint32_t WaveformView::SampleRate() const {
    if (workspace == nullptr) {
        return 0;
    }
    return showWorkspace ? workspace->SampleRate() : workspace->FileSampleRate(fileIndex);
}

wxString WaveformView::ShownSourceName() const {
    if (showWorkspace || workspace == nullptr || workspace->File(fileIndex) == nullptr) {
        return "Workspace";
    }
    const std::filesystem::path path(workspace->File(fileIndex)->Path());
    return wxString::FromUTF8(path.filename().string());
}

bool WaveformView::IsFileOpen() const {
    return workspace != nullptr && !workspace->IsEmpty();
}

bool WaveformView::IsPlaying() const {
    return player != nullptr && player->IsPlaying();
}

bool WaveformView::IsSourceDrawable() const {
    // A file shown alone is drawn whatever its length; the workspace only when not empty.
    return IsFileOpen() && (!showWorkspace || workspace->TotalLength() != 0);
}

::ColumnPeaks WaveformView::ColumnPeaks(uint32_t position, double framesPerPixel,
                                        bool fromWorkspace) {
    if (workspace == nullptr) {
        return {};
    }
    return peakReader.Read(*workspace, fromWorkspace, fileIndex, position, framesPerPixel);
}

void WaveformView::InvalidateAll(bool erase) {
    if (erase) {
        fullRepaint = true;
        redrawPending = true;
    }
    Refresh(erase);
    NotifyChanged();
}

void WaveformView::NotifyChanged() {
    wxCommandEvent changed(EVT_WAVEFORM_VIEW_CHANGED, GetId());
    changed.SetEventObject(this);
    ProcessWindowEvent(changed);
}

// ---- Painting ----

void WaveformView::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    PaintBuffer();

    wxRect area = GetUpdateRegion().GetBox();
    area.Intersect(wxRect(0, 0, raster.Width(), raster.Height()));
    if (area.IsEmpty()) {
        return;
    }
    // The image borrows the buffer's bytes; only the part to show is converted.
    wxImage whole(raster.Width(), raster.Height(), raster.Data(), true);
    if (area.GetSize() == whole.GetSize()) {
        dc.DrawBitmap(wxBitmap(whole), 0, 0);
    } else {
        dc.DrawBitmap(wxBitmap(whole.GetSubImage(area)), area.GetPosition());
    }
    // The playback cursor lies over the picture, never in it, so moving it redraws nothing.
    if (cursorColumn >= 0 && cursorColumn < raster.Width()) {
        const wxColour colour((kCursorColour >> 16) & 0xFF, (kCursorColour >> 8) & 0xFF,
                              kCursorColour & 0xFF);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(colour));
        dc.DrawRectangle(cursorColumn, 0, 1, raster.Height());
    }
}

void WaveformView::PaintBuffer() {
    const wxSize client = GetClientSize();
    const int width = std::max(client.x, 0);
    const int height = std::max(client.y, 0);

    const uint64_t revision = workspace != nullptr ? workspace->Revision() : 0;
    bool redraw = fullRepaint || revision != drawnRevision;
    if (raster.Width() != width || raster.Height() != height) {
        // A new size holds no picture yet, so only a full drawing can be right.
        raster.Resize(width, height);
        band = Band{};
        redraw = true;
    }
    if (redraw) {
        redrawPending = false;
        DrawWaveform(width, height);
        fullRepaint = false;
        drawnRevision = revision;
    } else {
        raster.InvertRect(band.left, 0, band.right, height);  // takes the old band away
    }

    band = SelectionBand(width);
    raster.InvertRect(band.left, 0, band.right, height);
}

void WaveformView::DrawWaveform(int width, int height) {
    pendingDrawn = false;
    pendingColumns.assign(size_t(width), 0);
    raster.Fill(kBackgroundColour);
    raster.HorizontalLine(0, width, height / 2, kWaveColour);
    if (!IsFileOpen()) {
        DrawNoWaveData(width, height);
        return;
    }
    if (!IsSourceDrawable() || width == 0) {
        return;
    }
    const bool readPending = ReadsPendingFrames();
    for (int x = 0; x < width; ++x) {
        DrawColumn(x, width, height, readPending, false);
    }
    WatchPeakBuilding();
}

bool WaveformView::ReadsPendingFrames() const {
    // While the tables are being built, frames they do not reach yet are read directly only
    // when that is cheap; otherwise their columns show as pending until the tables get there.
    return ColumnPeakReader::PendingFrames(*workspace, showWorkspace, fileIndex, viewStart,
                                           viewLength) <= kDirectReadFrames;
}

bool WaveformView::DrawColumn(int x, int width, int height, bool readPending, bool overPending) {
    const double framesPerPixel = double(viewLength) / width;
    const uint32_t position = ToFrames(viewStart + x * framesPerPixel);
    bool pending = false;
    const ::ColumnPeaks peaks = peakReader.Read(*workspace, showWorkspace, fileIndex, position,
                                                framesPerPixel, readPending, &pending);
    pendingColumns[size_t(x)] = pending;
    if (pending) {
        pendingDrawn = true;
        if (!overPending) {
            raster.VerticalLine(x, 0, height, kPendingColour);
        }
        return false;
    }
    if (overPending) {
        // The column as a full drawing starts it: background and the centre line.
        raster.VerticalLine(x, 0, height, kBackgroundColour);
        raster.SetPixel(x, height / 2, kWaveColour);
    }
    const int64_t h = height / 4;
    auto drawLane = [&](int64_t centre, int16_t min, int16_t max) {
        const int64_t low = h * min / 32768;
        const int64_t high = h * max / 32768;
        if (low == high) {
            raster.SetPixel(x, int(centre), kWaveColour);
        } else {
            raster.VerticalLine(x, int(centre - low), int(centre - high), kWaveColour);
        }
    };
    drawLane(h, peaks.leftMin, peaks.leftMax);
    drawLane(3 * h, peaks.rightMin, peaks.rightMax);
    return true;
}

void WaveformView::FillPendingColumns() {
    const int width = raster.Width();
    const int height = raster.Height();
    const uint64_t revision = workspace != nullptr ? workspace->Revision() : 0;
    if (fullRepaint || revision != drawnRevision || GetClientSize() != wxSize(width, height) ||
        pendingColumns.size() != size_t(width) || !IsSourceDrawable()) {
        InvalidateAll(true);  // the picture is out of date anyway: all of it is drawn again
        return;
    }
    pendingDrawn = false;
    const bool readPending = ReadsPendingFrames();
    int left = width, right = 0;
    for (int x = 0; x < width; ++x) {
        if (pendingColumns[size_t(x)] != 0 && DrawColumn(x, width, height, readPending, true)) {
            if (x >= std::min(band.left, band.right) && x < std::max(band.left, band.right)) {
                raster.InvertRect(x, 0, x + 1, height);  // the band lies over the picture
            }
            left = std::min(left, x);
            right = x + 1;
        }
    }
    if (left < right) {
        const wxRect changed(left, 0, right - left, height);
        Refresh(false, &changed);  // copies the kept picture, which now holds the new columns
    }
}

// ---- Peak tables in the making ----

double WaveformView::PeakProgress() const {
    uint64_t ready = 0;
    uint64_t total = 0;
    for (uint32_t i = 0; workspace != nullptr && i < workspace->FileCount(); ++i) {
        const PeakPyramid* peaks = workspace->Peaks(*workspace->File(i));
        if (peaks != nullptr && !peaks->Failed()) {
            ready += peaks->ReadyFrames();
            total += peaks->Frames();
        }
    }
    return total == 0 ? 1.0 : double(ready) / double(total);
}

void WaveformView::WatchPeakBuilding() {
    if (PeakProgress() < 1.0 && !peakTimer.IsRunning()) {
        peakTimer.Start(100);
    }
}

void WaveformView::OnPeakTimer(wxTimerEvent&) {
    const double progress = PeakProgress();
    ShowPeakProgress(progress);
    if (pendingDrawn) {
        FillPendingColumns();  // as far as the tables reach by now
    }
    if (progress >= 1.0) {
        peakTimer.Stop();
    }
}

void WaveformView::ShowPeakProgress(double progress) {
    if (!reportProgress) {
        return;
    }
    if (progress < 1.0) {
        char text[48];
        std::snprintf(text, sizeof text, "Reading the waveform: %d%%", int(progress * 100));
        reportProgress(text);
        progressShown = true;
    } else if (progressShown) {
        reportProgress("");
        progressShown = false;
    }
}

void WaveformView::DrawNoWaveData(int width, int height) {
    if (!noWaveDataText.IsOk()) {
        // The text is drawn once, opaque white on black, in the default GUI font.
        const wxString text = "No Wave Data";
        wxMemoryDC dc;
        dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
        wxBitmap bitmap(dc.GetTextExtent(text), 24);
        dc.SelectObject(bitmap);
        dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        dc.SetTextBackground(*wxBLACK);
        dc.SetTextForeground(*wxWHITE);
        dc.DrawText(text, 0, 0);
        dc.SelectObject(wxNullBitmap);
        noWaveDataText = bitmap.ConvertToImage();
    }
    raster.CopyBlock(width / 2 - 48, height / 2 - 8, noWaveDataText.GetWidth(),
                     noWaveDataText.GetHeight(), noWaveDataText.GetData());
}

WaveformView::Band WaveformView::SelectionBand(int width) const {
    if (!IsSourceDrawable()) {
        return {};
    }
    // The insertion point is a band one column wide: the same inversion marks it.
    const view_math::Columns columns =
        view_math::SelectionColumns(selectionStart, selectionLength, viewStart, viewLength, width);
    return Band{columns.left, columns.right};
}

// ---- Mouse ----

void WaveformView::OnLButtonDown(wxMouseEvent& event) {
    if (!HasCapture()) {
        CaptureMouse();
    }
    const float framesPerPixel = float(double(viewLength) / ClientWidth());
    if (IsSourceDrawable()) {
        uint32_t frame = ToFrames(event.GetX() * double(framesPerPixel) + viewStart);
        if (event.GetX() >= ClientWidth() - 1) {
            // The last column reaches the end of the shown range, so a paste can append.
            frame = view_math::RangeEnd(viewStart, viewLength);
        } else {
            frame = SnappedEdge(frame);
        }
        if (event.ShiftDown()) {
            ExtendSelectionTo(frame);  // the drag that may follow leaves it alone
        } else {
            selectionLength = 0;
            selectionStart = frame;
            selectionAnchor = frame;
            anchorX = event.GetX();
            InvalidateAll(true);
        }
        Update();
    }
    event.Skip();
}

void WaveformView::OnMouseMove(wxMouseEvent& event) {
    const int width = ClientWidth();
    const double framesPerPixel = double(viewLength) / width;
    if (IsSourceDrawable() && view_math::IsLeftButtonAlone(event) && !suppressDrag) {
        const int x = event.GetX();
        const double anchorFrame = viewStart + anchorX * framesPerPixel;
        if (x < anchorX) {
            selectionStart = ToFrames(viewStart + std::max(x, 0) * framesPerPixel);
            selectionLength = ToFrames(anchorFrame - selectionStart);
        } else {
            selectionStart = ToFrames(anchorFrame);
            // At or past the right edge the selection takes the shown range to its last frame,
            // which the product of a pixel and a fraction may fall just short of.
            const double end =
                x >= width ? double(viewStart) + viewLength : viewStart + x * framesPerPixel;
            selectionLength = ToFrames(end - selectionStart);
        }
        if (snapToZeroCrossings) {
            // Both edges snap; the one at the source's end stays, so a paste can append.
            const uint32_t sourceEnd = SourceLength();
            const auto snap = [&](uint32_t edge) {
                return edge >= sourceEnd ? edge : SnappedEdge(edge);
            };
            const uint32_t first = snap(selectionStart);
            const uint32_t last = snap(selectionStart + selectionLength);
            selectionStart = std::min(first, last);
            selectionLength = std::max(first, last) - selectionStart;
        }
        // The anchor is the end the drag started from, for a later Shift with a move.
        selectionAnchor =
            x < anchorX ? view_math::RangeEnd(selectionStart, selectionLength) : selectionStart;
        // Only the columns of the old and the new band change.
        const Band next = SelectionBand(width);
        int left = width, right = 0;
        for (const Band& b : {band, next}) {
            if (b.left != b.right) {
                left = std::min({left, b.left, b.right});
                right = std::max({right, b.left, b.right});
            }
        }
        left = std::max(left, 0);
        right = std::min(right, width);
        if (left < right) {
            const wxRect changed(left, 0, right - left, GetClientSize().y);
            Refresh(false, &changed);
        }
        NotifyChanged();
    }
    suppressDrag = false;
    event.Skip();
}

void WaveformView::OnLButtonUp(wxMouseEvent& event) {
    if (HasCapture()) {
        ReleaseMouse();
    }
    event.Skip();
}

void WaveformView::OnMouseCaptureLost(wxMouseCaptureLostEvent&) {
    // The capture is gone already; the selection made so far stays.
}

void WaveformView::OnMouseWheel(wxMouseEvent& event) {
    const int width = ClientWidth();
    if (!IsSourceDrawable() || viewLength == 0 || width <= 0 || event.GetWheelDelta() == 0) {
        return;
    }
    const double notches = double(event.GetWheelRotation()) / event.GetWheelDelta();
    const double framesPerPixel = double(viewLength) / width;
    if (event.ControlDown()) {
        // Up zooms in, down zooms out, around the frame under the pointer.
        const int x = std::clamp(event.GetX(), 0, width);
        const uint32_t frame = ToFrames(viewStart + x * framesPerPixel);
        ZoomAround(frame, x, ToFrames(viewLength / std::pow(kWheelZoomStep, notches)));
        return;
    }
    // Down, or a sideways wheel to the right, moves on through the source.
    const bool sideways = event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL;
    const double shift = (sideways ? notches : -notches) * kWheelScrollStep * viewLength;
    ScrollTo(ToFrames(std::round(viewStart + shift)));
}

// ---- Playback cursor ----

void WaveformView::FollowPlayback() {
    cursorOnWorkspace = showWorkspace;
    cursorFile = fileIndex;
    cursorTimer.Start(kCursorIntervalMs);
    UpdateCursor();
}

int64_t WaveformView::CursorFrame() const {
    if (player == nullptr || cursorOnWorkspace != showWorkspace ||
        (!showWorkspace && cursorFile != fileIndex)) {
        return -1;
    }
    return player->PlayingFrame();
}

void WaveformView::OnCursorTimer(wxTimerEvent&) {
    UpdateCursor();
}

void WaveformView::UpdateCursor() {
    const int64_t frame = CursorFrame();
    const int width = ClientWidth();
    int column = -1;
    if (frame >= 0 && viewLength != 0 && width > 0) {
        if (frame < viewStart || frame >= int64_t{viewStart} + viewLength) {
            ScrollTo(uint32_t(frame));  // the next page begins where the sound is
        }
        const double x = double(frame - viewStart) * width / viewLength;
        column = x >= 0 && x < width ? int(x) : -1;
    }
    if (column != cursorColumn) {
        if (!redrawPending) {
            fullRepaint = false;  // the picture stays; only the two columns are copied again
        }
        for (int x : {cursorColumn, column}) {
            if (x >= 0) {
                const wxRect strip(x, 0, 1, GetClientSize().y);
                Refresh(false, &strip);
            }
        }
        cursorColumn = column;
    }
    if (player == nullptr || player->PlayingFrame() < 0) {
        cursorTimer.Stop();
    }
}
