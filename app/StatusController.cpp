#include "app/StatusController.h"

#include <wx/frame.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <algorithm>

#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/TimeScale.h"
#include "view/WaveformView.h"

namespace {

constexpr int kReadoutPanes = 5;  // start, end, length, total, rate
constexpr int kLockKeyPanes = 3;
constexpr int kStatusTimerId = 1;
constexpr int kLockKeysTimerId = 2;
constexpr int kStatusTimerMilliseconds = 1000;
constexpr int kLockKeysMilliseconds = 250;

}  // namespace

StatusController::StatusController(wxFrame& owner)
    : frame(owner), statusTimer(this, kStatusTimerId), lockKeysTimer(this, kLockKeysTimerId) {
    Bind(wxEVT_TIMER, &StatusController::OnStatusTimer, this, kStatusTimerId);
    Bind(wxEVT_TIMER, &StatusController::OnLockKeysTimer, this, kLockKeysTimerId);
    frame.Bind(wxEVT_MENU, &StatusController::OnToggleStatusBar, this, cmd::kToggleStatusBar);
    frame.Bind(wxEVT_UPDATE_UI, &StatusController::OnUpdateToggleStatusBar, this,
               cmd::kToggleStatusBar);
    CreatePanes();
}

void StatusController::CreatePanes() {
    constexpr int kPanes = 1 + kReadoutPanes + kLockKeyPanes;
    // The bar's own tips (for cut-off panes) would refuse the readouts' tooltip.
    frame.CreateStatusBar(kPanes, wxSTB_DEFAULT_STYLE & ~wxSTB_SHOW_TIPS);
    int widths[kPanes] = {-1, 135, 120, 145, 125, 70, 36, 36, 36};
    // Those widths suit a small font. With the desktop's own a pane grows to hold the longest
    // text it shows (hours of audio) whole.
    const wxString longest[kReadoutPanes] = {"Insertion 00:00:00.000", "End 00:00:00.000",
                                             "Length 00:00:00.000", "Total 00:00:00.000",
                                             "192000 Hz"};
    wxStatusBar* statusBar = frame.GetStatusBar();
    for (int i = 0; i < kReadoutPanes; ++i) {
        const int needed = statusBar->GetTextExtent(longest[i]).x + 4 * statusBar->GetBorderX();
        widths[1 + i] = std::max(widths[1 + i], needed);
    }
    frame.SetStatusWidths(kPanes, widths);
    line.SetPrompt(str::Text(str::kReady));
    ShowStatusLine();
    statusBar->Bind(wxEVT_MOTION, &StatusController::OnStatusBarMotion, this);
    lockKeysTimer.Start(kLockKeysMilliseconds);
}

void StatusController::ShowMessage(const std::string& topic, const wxString& text,
                                   StatusLine::Priority priority) {
    line.Post(topic, text.utf8_string(), priority, StatusLine::Clock::now());
    if (line.HasExpiring() && !statusTimer.IsRunning()) {
        statusTimer.Start(kStatusTimerMilliseconds);
    }
    ShowStatusLine();
}

void StatusController::WithdrawMessage(const std::string& topic) {
    line.Withdraw(topic);
    ShowStatusLine();
}

void StatusController::SetProgress(const std::string& topic, const wxString& text) {
    line.SetProgress(topic, text.utf8_string());
    ShowStatusLine();
}

void StatusController::ShowMenuHelp(const wxString& help, bool show) {
    menuHelp = show ? help : wxString();
    ShowStatusLine();
}

void StatusController::ShowReadouts(const WaveformView& view, bool hasAudio) {
    wxStatusBar* statusBar = frame.GetStatusBar();
    if (statusBar == nullptr) {
        return;
    }
    const time_scale::Readouts r = time_scale::MakeReadouts(
        view.SelectionStart(), view.SelectionLength(), view.SourceLength(), view.SampleRate());
    const std::string texts[kReadoutPanes] = {r.start, r.end, r.length, r.total, r.rate};
    for (int i = 0; i < kReadoutPanes; ++i) {
        const wxString text = hasAudio ? wxString::FromUTF8(texts[i]) : wxString();
        if (statusBar->GetStatusText(1 + i) != text) {
            frame.SetStatusText(text, 1 + i);
        }
    }
    readoutsTip = hasAudio ? wxString::FromUTF8(r.frames) : wxString();
    const wxString prompt = view.IsWorkspaceShown() || !hasAudio ? str::Text(str::kReady)
                                                                 : str::Text(str::kFileShownAlone);
    line.SetPrompt(prompt.utf8_string());
    ShowStatusLine();
}

void StatusController::OnStatusTimer(wxTimerEvent&) {
    if (line.Expire(StatusLine::Clock::now())) {
        ShowStatusLine();
    }
    if (!line.HasExpiring()) {
        statusTimer.Stop();
    }
}

void StatusController::ShowStatusLine() {
    wxStatusBar* statusBar = frame.GetStatusBar();
    if (statusBar == nullptr) {
        return;
    }
    const wxString text = !menuHelp.empty() ? menuHelp : wxString::FromUTF8(line.Text());
    if (statusBar->GetStatusText(0) != text) {
        frame.SetStatusText(text, 0);
    }
    ShowStatusTip();
}

void StatusController::ShowStatusTip() {
    wxStatusBar* statusBar = frame.GetStatusBar();
    const wxString tip = tipOverFirstPane ? wxString::FromUTF8(line.FullText()) : readoutsTip;
    if (statusBar != nullptr && statusBar->GetToolTipText() != tip) {
        statusBar->SetToolTip(tip);
    }
}

void StatusController::OnStatusBarMotion(wxMouseEvent& event) {
    wxRect first;
    tipOverFirstPane =
        frame.GetStatusBar()->GetFieldRect(0, first) && event.GetPosition().x < first.GetRight();
    ShowStatusTip();
    event.Skip();
}

void StatusController::OnLockKeysTimer(wxTimerEvent&) {
    const struct {
        wxKeyCode key;
        const char* text;
    } locks[] = {{WXK_CAPITAL, "CAP"}, {WXK_NUMLOCK, "NUM"}, {WXK_SCROLL, "SCRL"}};
    wxStatusBar* statusBar = frame.GetStatusBar();
    for (int i = 0; i < kLockKeyPanes; ++i) {
        const wxString text = wxGetKeyState(locks[i].key) ? locks[i].text : "";
        const int pane = 1 + kReadoutPanes + i;
        if (statusBar != nullptr && statusBar->GetStatusText(pane) != text) {
            frame.SetStatusText(text, pane);
        }
    }
}

void StatusController::OnToggleStatusBar(wxCommandEvent&) {
    wxStatusBar* statusBar = frame.GetStatusBar();
    statusBar->Show(!statusBar->IsShown());
    frame.SendSizeEvent();
}

void StatusController::OnUpdateToggleStatusBar(wxUpdateUIEvent& event) {
    event.Check(frame.GetStatusBar() != nullptr && frame.GetStatusBar()->IsShown());
}
