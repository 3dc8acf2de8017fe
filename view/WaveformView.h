#pragma once

#include <wx/image.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/FrameReader.h"
#include "audio/Level.h"
#include "view/ColumnPeaks.h"
#include "view/LevelDialog.h"
#include "view/PixelRaster.h"

class Workspace;
class WavePlayer;
class WaveFile;

/// Sent by the view (and passed up to its parents) whenever what it shows changes: the
/// source, the shown range, the selection or the insertion point.
wxDECLARE_EVENT(EVT_WAVEFORM_VIEW_CHANGED, wxCommandEvent);

/// The child window that shows the workspace, or one opened file alone, as two lanes of
/// vertical lines, one per pixel column, from each column's smallest to its largest sample:
/// the left channel in the upper half, the right channel in the lower half. It holds the
/// visible range and the selection in frames, turns left-button drags into a selection,
/// marks the selection by inverting a band of the full height, and carries the edit, zoom,
/// movement and source commands with their enabling rules. The insertion point (an empty
/// selection) is a line: one inverted column. The selection keeps an anchor, the end it was
/// started from: Shift with a click or a movement key moves only the other end.
///
/// The picture is drawn into the view's own pixel buffer and then copied to the window, so
/// that the band can be inverted pixel by pixel: a drag only inverts the old band and the new
/// one and never reads audio. The buffer is kept: the waveform is drawn again only when the
/// workspace, the shown range or the size changes; any other paint copies the kept picture.
///
/// Columns come from the files' peak tables, built in the background. While they are being
/// built, columns the tables do not reach yet are drawn as pending (unless reading them
/// directly is cheap), a timer fills them in as the tables grow, and how far the tables are
/// goes to whoever asked for it (the frame's status bar).
///
///     view->Create(frame, wxID_ANY);
///     view->Attach(&workspace, player);
///     view->ShowSource(-1);              // the workspace, all of it
///
/// Everything runs on the user-interface thread. Positions and lengths are frames of the
/// shown source.
class WaveformView : public wxWindow {
public:
    WaveformView();
    ~WaveformView() override;
    WaveformView(const WaveformView&) = delete;
    WaveformView& operator=(const WaveformView&) = delete;

    /// Creates the window with a sunken edge in place of any border the parent asks for, a
    /// black background, the arrow cursor, and a full repaint whenever the size changes.
    bool Create(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0);

    /// The workspace to show and the player whose state the update rules read; not owned.
    void Attach(Workspace* workspace, WavePlayer* player);

    /// Where the progress of the peak tables goes, as a text for the user ("Reading the
    /// waveform: 40%"), and an empty text once they are complete.
    void ReportProgressTo(std::function<void(const std::string&)> report) {
        reportProgress = std::move(report);
    }

    /// Makes frames [first, first + count) of `file`, whose rate is not the workspace's, into a
    /// new file at the workspace's rate and returns its path; "" when that failed (the user was
    /// told) or was cancelled.
    using RateConversion = std::function<std::string(std::shared_ptr<const WaveFile> file,
                                                     uint32_t first, uint32_t count)>;
    /// With a conversion, a Copy from a file of another rate is taken, and converted when it
    /// is pasted; without one it is refused.
    void ConvertRatesWith(RateConversion conversion) { convertRate = std::move(conversion); }

    /// Where the level commands ask for their settings (AskLevel unless a test answers).
    void AskLevelsWith(LevelAsker asker) { askLevel = std::move(asker); }

    /// Renders workspace frames [first, first + count) through the effects into a new file
    /// the session owns and returns its path; "" when that failed (the user was told) or was
    /// cancelled.
    using EffectApplication = std::function<std::string(uint32_t first, uint32_t count)>;
    /// With an application, Apply to Selection puts its file in the selection's place and then
    /// calls `applied` (which bypasses the effects); without one the command stays disabled.
    void ApplyEffectsWith(EffectApplication apply, std::function<void()> applied) {
        applyEffects = std::move(apply);
        afterApplied = std::move(applied);
    }

    /// Multiplies the selected frames' level by `factor` (0 or more): Gain, and Normalize
    /// once its measure has come down to a gain.
    void ScaleSelection(double factor);
    /// Brings the selection's largest sample to `dbfs` (full scale is 32768); false, with
    /// nothing changed, when the selection is silent.
    bool NormalizeSelectionPeak(double dbfs);
    /// Brings the selection's integrated loudness (EBU R128) to `lufs`, measuring it first with
    /// a progress dialog; false, with nothing changed, when it has no loudness (silent, or
    /// shorter than 0.4 s), empty when cancelled or unreadable.
    std::optional<bool> NormalizeSelectionLoudness(double lufs);
    /// Fades the selection in or out along `curve`.
    void FadeSelection(FadeCurve curve, bool fadeIn);
    /// Replaces the selection with the effects' rendering of it (Apply to Selection); false
    /// when nothing changed.
    bool ApplyEffectsToSelection();

    /// The next mouse move, of any kind, leaves the selection alone; the frame calls this
    /// before a file dialog whose closing click would otherwise reach the view as a drag.
    void SuppressNextDrag() { suppressDrag = true; }

    /// Shows the workspace (index -1) or opened file `index` (0 to 255) alone, all of it,
    /// with no selection, and repaints at once.
    void ShowSource(int index);

    /// Shows the whole workspace with [start, start + length) selected, clamped to it: where
    /// undo and redo leave the view.
    void ShowWorkspaceSelection(uint32_t start, uint32_t length);

    /// Selects all of the shown source, whatever the zoom (Select All).
    void SelectWholeSource();

    /// The length of the shown source: the workspace's, or the shown file's.
    uint32_t SourceLength() const;

    /// The shown source's sample rate (the workspace's, or the shown file's own), which every
    /// time shown for it is read at and which it plays at; 0 with no file open.
    uint32_t SampleRate() const;

    /// Reads the shown source (the workspace, or the shown file) as it is now: it holds that
    /// state, so it reads the same frames on any thread whatever is edited meanwhile.
    FrameReader ShownSourceReader() const;

    /// Whether selection edges and the insertion point set with the mouse move to the
    /// nearest zero crossing within 10 ms (Snap to Zero Crossings); off at first.
    bool SnapsToZeroCrossings() const { return snapToZeroCrossings; }
    void SetSnapToZeroCrossings(bool on) { snapToZeroCrossings = on; }

    /// What is shown, for titles and labels: "Workspace", or the shown file's name.
    wxString ShownSourceName() const;

    /// Moves the shown range to start at `start` (clamped so it stays inside the source),
    /// keeping its length.
    void ScrollTo(uint32_t start);
    /// Shows `length` frames (at least a little over half a frame per pixel, at most the
    /// whole source) such that `frame` stays at pixel column `x` where the source allows.
    void ZoomAround(uint32_t frame, int x, uint32_t length);
    /// An empty selection at `frame` (clamped to the source), scrolled into view.
    void PlaceInsertionPoint(uint32_t frame);
    /// Moves the selection's free end to `frame` (clamped to the source), keeping its anchor:
    /// the selection then runs between the two. The free end is scrolled into view.
    void ExtendSelectionTo(uint32_t frame);
    /// The frames where the shown source's pieces meet, with 0 and its end, in order: the
    /// workspace's splice points, or just the two ends of a file shown alone.
    std::vector<uint32_t> SplicePoints() const;

    /// Shows the playback cursor on the frame the player's device is playing while the
    /// source that was shown at the call (workspace or file) is on screen; it follows the
    /// sound until playback ends.
    void FollowPlayback();
    /// The column of the playback cursor as last drawn, or -1 when none is drawn.
    int CursorColumn() const { return cursorColumn; }

    uint32_t SelectionStart() const { return selectionStart; }
    uint32_t SelectionLength() const { return selectionLength; }
    uint32_t ViewStart() const { return viewStart; }
    uint32_t ViewLength() const { return viewLength; }
    bool IsWorkspaceShown() const { return showWorkspace; }
    /// The file shown alone, or -1 when the workspace is shown.
    int ShownFile() const { return showWorkspace ? -1 : fileIndex; }

    /// The extremes of the frames a column at `position` covers, from the workspace or from
    /// the file shown alone.
    ::ColumnPeaks ColumnPeaks(uint32_t position, double framesPerPixel, bool fromWorkspace);

    /// The picture as the last paint left it, the size of the client area then.
    const PixelRaster& Pixels() const { return raster; }

    /// Columns computed from the model so far: what a paint from the kept picture avoids.
    uint64_t ColumnsRead() const { return peakReader.ColumnsRead(); }
    /// True when the last drawing left columns pending for tables still being built.
    bool HasPendingColumns() const { return pendingDrawn; }

    /// Pending frames up to this many are read directly rather than shown as pending.
    static constexpr uint64_t kDirectReadFrames = uint64_t{1} << 20;

    static constexpr Rgb kWaveColour = 0x00FF00;
    static constexpr Rgb kPendingColour = 0x404040;
    static constexpr Rgb kTextColour = 0xFFFFFF;
    static constexpr Rgb kBackgroundColour = 0x000000;

private:
    struct Band {
        int left = 0;
        int right = 0;
    };

    // Commands
    void OnCut(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);
    void OnPaste(wxCommandEvent& event);
    void OnZoomIn(wxCommandEvent& event);
    void OnZoomOut(wxCommandEvent& event);
    void OnZoomOutFull(wxCommandEvent& event);
    void OnMove(wxCommandEvent& event);
    void OnClearSelection(wxCommandEvent& event);
    void OnZoomAtInsertionPoint(wxCommandEvent& event);
    void OnShowWorkspace(wxCommandEvent& event);
    void OnShowWaveFile(wxCommandEvent& event);
    void OnToggleSnap(wxCommandEvent& event);
    void OnLevelCommand(wxCommandEvent& event);
    void OnApplyToSelection(wxCommandEvent& event);

    // Update rules
    void OnUpdateCutDelete(wxUpdateUIEvent& event);
    void OnUpdatePaste(wxUpdateUIEvent& event);
    void OnUpdateCopyZoomIn(wxUpdateUIEvent& event);
    void OnUpdateZoomOut(wxUpdateUIEvent& event);
    void OnUpdateShowWorkspace(wxUpdateUIEvent& event);
    void OnUpdateShowWaveFile(wxUpdateUIEvent& event);
    void OnUpdateMoveAndZoomKeys(wxUpdateUIEvent& event);
    void OnUpdateSnap(wxUpdateUIEvent& event);
    void OnUpdateApplyToSelection(wxUpdateUIEvent& event);

    // Window messages
    void OnPaint(wxPaintEvent& event);
    void OnLButtonDown(wxMouseEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnLButtonUp(wxMouseEvent& event);
    void OnMouseCaptureLost(wxMouseCaptureLostEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnCursorTimer(wxTimerEvent& event);
    void OnPeakTimer(wxTimerEvent& event);

    /// Starts the timer while any file's tables are still being built.
    void WatchPeakBuilding();
    /// How far the tables of every open file are, from 0 to 1.
    double PeakProgress() const;
    void ShowPeakProgress(double progress);

    /// `frame` moved to the nearest zero crossing of the shown source when snapping is on.
    uint32_t SnappedEdge(uint32_t frame) const;

    bool IsFileOpen() const;
    bool IsPlaying() const;
    bool IsSourceDrawable() const;
    int ClientWidth() const { return GetClientSize().x; }

    /// Asks for a repaint of the whole view. With erase the picture is wiped, so the next
    /// paint redraws the waveform rather than only moving the band.
    void InvalidateAll(bool erase);
    /// Tells the parents that the view's state changed (EVT_WAVEFORM_VIEW_CHANGED).
    void NotifyChanged();
    /// The frame the playback cursor should stand on now, or -1 when none is to be drawn.
    int64_t CursorFrame() const;
    /// Moves the cursor to where playback is, paging the view after it; repaints only the
    /// cursor's old and new columns when the view stays.
    void UpdateCursor();
    /// The end of the selection that moves: the one away from the anchor.
    uint32_t FreeEnd() const;
    /// Where movement `command` (one of the kFirstMove..kLastMove keys) takes the free end.
    uint32_t MoveTarget(int command) const;
    /// Scrolls the least that brings `frame` into the shown range.
    void ScrollToShow(uint32_t frame);
    /// Shows all of the workspace, or of file `fileIndex`, with no selection.
    void ShowWholeSource(bool workspaceShown);
    /// Shortens the visible range where it reaches past the end of the source.
    void FitViewToSource();
    /// Cut (onto the clipboard) or Delete: removes the selected frames from the workspace and
    /// leaves an empty selection where they began.
    void RemoveSelection(bool toClipboard);

    /// Brings the buffer up to date, as one paint does: the waveform when a full repaint is
    /// due, then the band.
    void PaintBuffer();
    void DrawWaveform(int width, int height);
    /// Draws column x of a picture `width` wide over a cleared column (or over a pending one,
    /// with overPending), or marks it pending; false when it is pending.
    bool DrawColumn(int x, int width, int height, bool readPending, bool overPending);
    /// Draws into the kept picture the columns it shows as pending that the tables (or memory)
    /// reach by now, and repaints only those.
    void FillPendingColumns();
    /// Whether frames that the tables do not cover yet are few enough to read directly.
    bool ReadsPendingFrames() const;
    void DrawNoWaveData(int width, int height);
    /// The columns the band covers at this width: the selection's, clamped to the view, or
    /// the insertion point's one column.
    Band SelectionBand(int width) const;

    /// Converts the range copied from a file of another rate and puts the result on the
    /// clipboard; false (nothing changed) when the conversion failed or was cancelled.
    bool ConvertCopiedRange();

    /// A Copy from a file of another rate, waiting for the paste that converts it.
    struct CrossRateCopy {
        std::shared_ptr<const WaveFile> file;
        uint32_t first = 0;
        uint32_t count = 0;
    };
    std::optional<CrossRateCopy> crossRateCopy;
    RateConversion convertRate;
    LevelAsker askLevel = AskLevel;
    LevelRequest lastLevel;  // the settings the level commands asked for last
    EffectApplication applyEffects;
    std::function<void()> afterApplied;

    bool showWorkspace = true;
    uint8_t fileIndex = 0;
    Workspace* workspace = nullptr;
    WavePlayer* player = nullptr;
    uint32_t viewStart = 0;
    uint32_t viewLength = 0;
    uint32_t selectionStart = 0;
    uint32_t selectionLength = 0;
    int32_t anchorX = 0;
    uint32_t selectionAnchor = 0;  // the fixed end of the selection, for Shift with a move
    bool fullRepaint = true;
    uint64_t drawnRevision = 0;  // the workspace revision the kept picture shows
    bool pendingDrawn = false;
    std::vector<uint8_t> pendingColumns;  // 1 for each column of the kept picture left pending
    bool progressShown = false;
    std::function<void(const std::string&)> reportProgress;
    wxTimer peakTimer;
    bool suppressDrag = false;
    bool snapToZeroCrossings = false;
    Band band;                   // the band the last paint left in the buffer; 0, 0 for none
    bool redrawPending = false;  // a full repaint was asked for and has not happened yet

    wxTimer cursorTimer;
    bool cursorOnWorkspace = true;  // the source playback reads
    uint8_t cursorFile = 0;
    int cursorColumn = -1;

    PixelRaster raster;
    ColumnPeakReader peakReader;
    wxImage noWaveDataText;  // rendered once, white on black

    wxDECLARE_EVENT_TABLE();
};
