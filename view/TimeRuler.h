#pragma once

#include <wx/window.h>

class WaveformView;
class wxDC;

/// The strip above the waveform: which source is shown (a coloured tag in the left corner),
/// the shown range's start and end, time marks at a spacing that suits the zoom, and the
/// selection (a band) or the insertion point (a line) marked over them. It draws only from
/// the view's state, so a refresh after each change of the view keeps it in step.
///
///     auto* ruler = new TimeRuler(parent, view);
///     view->Bind(EVT_WAVEFORM_VIEW_CHANGED, [ruler](wxCommandEvent& e) { ruler->Refresh();
///     e.Skip(); });
class TimeRuler : public wxWindow {
public:
    /// Labels stand at least this far apart, in pixels.
    static constexpr int kMinMarkSpacing = 90;

    TimeRuler(wxWindow* parent, const WaveformView* view);

    /// The pixel offset of the view's first column in the ruler's client area.
    int ViewOffset() const;

    /// Draws the whole ruler, the size of its client area, as its paint does.
    void Draw(wxDC& dc) const;

private:
    void OnPaint(wxPaintEvent& event);

    const WaveformView* view;
    int lineHeight = 0;
};
