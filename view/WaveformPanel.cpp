#include "view/WaveformPanel.h"

#include <wx/scrolbar.h>
#include <wx/sizer.h>

#include <algorithm>
#include <cmath>

#include "view/TimeRuler.h"
#include "view/ViewMath.h"
#include "view/WaveformView.h"

namespace {
constexpr double kMaxScrollUnits = 1e9;  // well inside the toolkit's int positions
}  // namespace

WaveformPanel::WaveformPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
    view = new WaveformView;
    ruler = new TimeRuler(this, view);
    view->Create(this, wxID_ANY);
    scrollBar = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
    scrollBar->Hide();

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(ruler, 0, wxEXPAND);
    sizer->Add(view, 1, wxEXPAND);
    sizer->Add(scrollBar, 0, wxEXPAND);
    SetSizer(sizer);

    view->Bind(EVT_WAVEFORM_VIEW_CHANGED, &WaveformPanel::OnViewChanged, this);
    scrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_THUMBRELEASE, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_LINEUP, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_LINEDOWN, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_PAGEUP, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_PAGEDOWN, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_TOP, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_BOTTOM, &WaveformPanel::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_CHANGED, &WaveformPanel::OnScroll, this);
}

double WaveformPanel::FramesPerScrollUnit() const {
    return std::max(1.0, double(view->SourceLength()) / kMaxScrollUnits);
}

void WaveformPanel::OnViewChanged(wxCommandEvent& event) {
    UpdateScrollBar();
    ruler->Refresh(false);
    event.Skip();  // the frame shows the same change in its title and status bar
}

void WaveformPanel::UpdateScrollBar() {
    const uint32_t source = view->SourceLength();
    const bool partShown = view->ViewLength() != 0 && view->ViewLength() < source;
    if (partShown) {
        const double unit = FramesPerScrollUnit();
        const int range = int(std::ceil(source / unit));
        const int thumb = std::max(1, int(view->ViewLength() / unit));
        scrollBar->SetScrollbar(int(view->ViewStart() / unit), thumb, range, thumb);
    }
    if (scrollBar->IsShown() != partShown) {
        scrollBar->Show(partShown);
        Layout();
    }
}

void WaveformPanel::OnScroll(wxScrollEvent& event) {
    // A line is a tenth of the shown range; the thumb and the page go by the bar's units.
    const double unit = FramesPerScrollUnit();
    const uint32_t length = view->ViewLength();
    const uint32_t start = view->ViewStart();
    const uint32_t line = std::max<uint32_t>(1, length / 10);
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_SCROLL_LINEUP) {
        view->ScrollTo(start > line ? start - line : 0);
    } else if (type == wxEVT_SCROLL_LINEDOWN) {
        view->ScrollTo(view_math::RangeEnd(start, line));
    } else {
        view->ScrollTo(view_math::ToFrames(std::round(event.GetPosition() * unit)));
    }
}
