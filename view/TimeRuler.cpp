#include "view/TimeRuler.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

#include "view/TimeScale.h"
#include "view/ViewMath.h"
#include "view/WaveformView.h"

namespace {

const wxColour kBackground(0x26, 0x26, 0x26);
const wxColour kText(0xDD, 0xDD, 0xDD);
const wxColour kMarks(0x90, 0x90, 0x90);
const wxColour kSelection(0x2F, 0x4F, 0x7F);
const wxColour kInsertion(0x7F, 0xC8, 0xFF);
const wxColour kWorkspaceTag(0x2E, 0x7D, 0x32);
const wxColour kFileTag(0xA0, 0x60, 0x00);
constexpr int kTickHeight = 6;
constexpr int kPad = 4;

}  // namespace

TimeRuler::TimeRuler(wxWindow* parent, const WaveformView* shownView)
    : wxWindow(parent, wxID_ANY), view(shownView) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    lineHeight = GetCharHeight();
    const int height = 2 * lineHeight + kTickHeight + 2 * kPad;
    SetMinSize(wxSize(-1, height));
    SetInitialSize(wxSize(-1, height));
    Bind(wxEVT_PAINT, &TimeRuler::OnPaint, this);
}

int TimeRuler::ViewOffset() const {
    return view->GetScreenPosition().x + view->GetClientAreaOrigin().x -
           (GetScreenPosition().x + GetClientAreaOrigin().x);
}

void TimeRuler::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Draw(dc);
}

void TimeRuler::Draw(wxDC& dc) const {
    const wxSize size = GetClientSize();
    dc.SetBackground(wxBrush(kBackground));
    dc.Clear();
    dc.SetFont(GetFont());
    dc.SetPen(*wxTRANSPARENT_PEN);

    const int offset = ViewOffset();
    const int width = view->GetClientSize().x;
    const uint32_t start = view->ViewStart();
    const uint32_t length = view->ViewLength();
    const uint32_t rate = view->SampleRate();
    const bool hasAudio = length != 0 && width > 0;

    // The selection first, so that the texts and marks stay readable over it: over the same
    // columns as the view's band, and the insertion point two columns wide from its column.
    if (hasAudio) {
        const view_math::Columns columns = view_math::SelectionColumns(
            view->SelectionStart(), view->SelectionLength(), start, length, width);
        if (view->SelectionLength() != 0 && columns.left < columns.right) {
            dc.SetBrush(wxBrush(kSelection));
            dc.DrawRectangle(offset + columns.left, 0, columns.right - columns.left, size.y);
        } else if (view->SelectionLength() == 0 && columns.left < columns.right) {
            dc.SetBrush(wxBrush(kInsertion));
            dc.DrawRectangle(offset + std::min(columns.left, width - 2), 0, 2, size.y);
        }
    }

    // The shown source, in the left corner.
    const bool workspace = view->IsWorkspaceShown();
    const wxString tag = workspace ? wxString("Workspace") : "File: " + view->ShownSourceName();
    const wxSize tagSize = dc.GetTextExtent(tag);
    dc.SetBrush(wxBrush(workspace ? kWorkspaceTag : kFileTag));
    dc.DrawRoundedRectangle(kPad, kPad / 2, tagSize.x + 2 * kPad, lineHeight + kPad, 3);
    dc.SetTextForeground(*wxWHITE);
    dc.DrawText(tag, 2 * kPad, kPad);
    if (!hasAudio) {
        return;
    }

    // The shown range, in the right corner.
    dc.SetTextForeground(kText);
    const wxString range =
        wxString::FromUTF8(time_scale::FormatTime(start, rate) + " \u2013 " +
                           time_scale::FormatTime(uint64_t{start} + length, rate));
    const int rangeX = size.x - dc.GetTextExtent(range).x - kPad;
    if (rangeX > tagSize.x + 4 * kPad) {
        dc.DrawText(range, rangeX, kPad);
    }

    // The marks, each label right of its tick, as many as fit without overlapping.
    const int tickTop = size.y - kTickHeight;
    const int labelY = tickTop - lineHeight - 1;
    dc.SetPen(wxPen(kMarks));
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
    int labelsEnd = -1;
    for (const time_scale::Mark& mark :
         time_scale::RulerMarks(start, length, width, rate, kMinMarkSpacing)) {
        const int x = offset + mark.x;
        dc.DrawLine(x, tickTop, x, size.y);
        const wxString label = wxString::FromUTF8(mark.label);
        const int labelWidth = dc.GetTextExtent(label).x;
        if (x + 2 > labelsEnd && x + 2 + labelWidth <= size.x) {
            dc.DrawText(label, x + 2, labelY);
            labelsEnd = x + 2 + labelWidth + kPad;
        }
    }
}
