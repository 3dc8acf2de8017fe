#pragma once

#include <wx/panel.h>

class TimeRuler;
class WaveformView;
class wxScrollBar;
class wxScrollEvent;

/// The waveform with what surrounds it: the time ruler above, the view, and a horizontal
/// scrollbar over the whole source below, shown only while the view shows a part of it.
/// Every change of the view reaches the ruler and the scrollbar here, and then the parents.
///
///     auto* panel = new WaveformPanel(frame);
///     panel->View()->Attach(&workspace, &player);
class WaveformPanel : public wxPanel {
public:
    explicit WaveformPanel(wxWindow* parent);

    WaveformView* View() const { return view; }
    TimeRuler* Ruler() const { return ruler; }
    wxScrollBar* ScrollBar() const { return scrollBar; }

    /// Frames per scrollbar unit: 1, or more for sources too long for the toolkit's ints.
    double FramesPerScrollUnit() const;

private:
    void OnViewChanged(wxCommandEvent& event);
    void OnScroll(wxScrollEvent& event);
    void UpdateScrollBar();

    TimeRuler* ruler = nullptr;
    WaveformView* view = nullptr;
    wxScrollBar* scrollBar = nullptr;
};
