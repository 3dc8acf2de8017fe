#include "app/LevelsPane.h"

#include <wx/dcbuffer.h>
#include <wx/frame.h>

#include <algorithm>
#include <cmath>

#include "resources/CommandIds.h"

namespace {

constexpr int kPollMs = 40;  // 25 pictures a second
constexpr int kLabelWidth = 16;
constexpr int kClipWidth = 14;
constexpr int kMargin = 3;

const wxColour kTrackColour(32, 32, 32);
const wxColour kRmsColour(40, 200, 60);
const wxColour kLoudColour(230, 200, 40);  // RMS within 6 dB of full scale
const wxColour kPeakColour(240, 240, 240);
const wxColour kClipOnColour(230, 30, 30);
const wxColour kClipOffColour(70, 20, 20);

}  // namespace

LevelsPane::LevelsPane(wxWindow* parent, WavePlayer& player)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE),
      meter(player),
      timer(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetToolTip("Peak and RMS level of what is heard; click a row to reset its clip light");
    Bind(wxEVT_PAINT, &LevelsPane::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &LevelsPane::OnLeftDown, this);
    Bind(wxEVT_TIMER, &LevelsPane::OnTimer, this);
    lastPoll = std::chrono::steady_clock::now();
}

LevelsPane::~LevelsPane() {
    timer.Stop();
}

wxAuiPaneInfo LevelsPane::PaneInfo() {
    const wxSize best = wxWindow::FromDIP(wxSize(400, 54), nullptr);
    return wxAuiPaneInfo()
        .Name("levels")
        .Caption("Levels")
        .Bottom()
        .BestSize(best)
        .FloatingSize(best)
        .MinSize(wxWindow::FromDIP(wxSize(160, 40), nullptr))
        .CloseButton(true)
        .MaximizeButton(false)
        .Hide();
}

void LevelsPane::Poll() {
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - lastPoll).count();
    lastPoll = now;
    meter.Update(elapsed);
    Refresh(false);
}

wxRect LevelsPane::RowOf(int channel) const {
    const wxSize size = GetClientSize();
    const int height = std::max(1, (size.y - 3 * kMargin) / 2);
    return wxRect(0, kMargin + channel * (height + kMargin), size.x, height);
}

double LevelsPane::Fill(float level) {
    if (level <= 0) {
        return 0;
    }
    const double db = 20 * std::log10(double(level));
    return std::clamp((db - kScaleFloorDb) / -kScaleFloorDb, 0.0, 1.0);
}

void LevelsPane::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    const MeterReading& reading = meter.Reading();
    dc.SetTextForeground(GetForegroundColour());
    for (int channel = 0; channel < 2; ++channel) {
        const wxRect row = RowOf(channel);
        dc.DrawLabel(channel == 0 ? "L" : "R", wxRect(row.x, row.y, kLabelWidth, row.height),
                     wxALIGN_CENTER);
        const int barLeft = row.x + kLabelWidth;
        const int barWidth = std::max(1, row.width - kLabelWidth - kClipWidth - 2 * kMargin);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(kTrackColour));
        dc.DrawRectangle(barLeft, row.y, barWidth, row.height);

        const float rms = reading.rms[channel];
        const bool loud = rms > 0 && 20 * std::log10(rms) > -6;
        dc.SetBrush(wxBrush(loud ? kLoudColour : kRmsColour));
        dc.DrawRectangle(barLeft, row.y, int(std::lround(Fill(rms) * barWidth)), row.height);

        if (reading.peak[channel] > 0) {
            const int x = barLeft + int(std::lround(Fill(reading.peak[channel]) * barWidth));
            dc.SetBrush(wxBrush(kPeakColour));
            dc.DrawRectangle(std::min(x, barLeft + barWidth - 2), row.y, 2, row.height);
        }
        dc.SetBrush(wxBrush(reading.clipHeld[channel] ? kClipOnColour : kClipOffColour));
        dc.DrawRectangle(barLeft + barWidth + kMargin, row.y, kClipWidth, row.height);
    }
}

void LevelsPane::OnLeftDown(wxMouseEvent& event) {
    for (int channel = 0; channel < 2; ++channel) {
        if (RowOf(channel).Contains(event.GetPosition())) {
            meter.ResetClip(channel);
            Refresh(false);
        }
    }
    event.Skip();
}

void LevelsPane::OnTimer(wxTimerEvent&) {
    if (!IsShownOnScreen()) {
        timer.Stop();  // closed (its close box, or the menu): no work while nobody looks
        return;
    }
    Poll();
}

void LevelsPane::StartPolling() {
    if (!timer.IsRunning()) {
        lastPoll = std::chrono::steady_clock::now();
        timer.Start(kPollMs);
    }
}

LevelsController::LevelsController(wxFrame& frame, wxAuiManager& docking, WavePlayer& player)
    : docking(docking) {
    pane = new LevelsPane(&frame, player);
    docking.AddPane(pane, LevelsPane::PaneInfo());
    frame.Bind(wxEVT_MENU, &LevelsController::OnTogglePane, this, cmd::kToggleLevelsPane);
    frame.Bind(wxEVT_UPDATE_UI, &LevelsController::OnUpdateTogglePane, this,
               cmd::kToggleLevelsPane);
}

void LevelsController::OnTogglePane(wxCommandEvent&) {
    wxAuiPaneInfo& info = docking.GetPane(pane);
    info.Show(!info.IsShown());
    docking.Update();
    if (info.IsShown()) {
        pane->StartPolling();
    }
}

void LevelsController::OnUpdateTogglePane(wxUpdateUIEvent& event) {
    event.Check(docking.GetPane(pane).IsShown());
}
