#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <string>

#include "app/StatusLine.h"

class WaveformView;
class wxFrame;

/// The main window's status bar: its first pane shows the status line (the prompt, the
/// progress of long work, messages) or the help of the menu item pointed at, with a tooltip
/// that holds every entry whole; five readouts say where the shown source's selection lies
/// (their tooltip gives it in frames); three panes show the lock keys. It makes the bar's panes
/// when built, passes notes and warnings after their time, and carries Toggle Status Bar.
///
///     StatusController status(*frame);
///     status.ShowMessage("recovery", "No recovery copy: disk full", StatusLine::Priority::kError);
///     status.ShowReadouts(*view, !workspace.IsEmpty());
///
/// Everything runs on the user-interface thread; the frame outlives the controller.
class StatusController : public wxEvtHandler {
public:
    /// Makes `frame`'s status bar panes and starts watching the lock keys.
    explicit StatusController(wxFrame& frame);
    StatusController(const StatusController&) = delete;
    StatusController& operator=(const StatusController&) = delete;

    /// Shows a message of `topic` in the first pane, in place of that topic's earlier one: a
    /// note or warning passes after a while, an error stays until withdrawn.
    void ShowMessage(const std::string& topic, const wxString& text, StatusLine::Priority priority);
    /// Takes `topic`'s message away (what it said is over).
    void WithdrawMessage(const std::string& topic);
    /// The progress of `topic`'s work in the first pane; an empty text ends it.
    void SetProgress(const std::string& topic, const wxString& text);
    /// A menu item's or tool's help, shown in the first pane while it is pointed at.
    void ShowMenuHelp(const wxString& help, bool show);
    /// The readouts and the prompt for what `view` shows; blank readouts without audio.
    void ShowReadouts(const WaveformView& view, bool hasAudio);

    /// The first pane's entries.
    const StatusLine& Line() const { return line; }

private:
    void CreatePanes();
    /// The first pane's text and tooltip brought up to the status line.
    void ShowStatusLine();
    /// The status bar's tooltip for the pane the pointer was last over, kept up to date.
    void ShowStatusTip();
    void OnStatusTimer(wxTimerEvent& event);
    void OnLockKeysTimer(wxTimerEvent& event);
    /// The tooltip of the pane under the pointer: the status line whole over the first pane,
    /// the frames of the selection over the readouts.
    void OnStatusBarMotion(wxMouseEvent& event);
    void OnToggleStatusBar(wxCommandEvent& event);
    void OnUpdateToggleStatusBar(wxUpdateUIEvent& event);

    wxFrame& frame;
    StatusLine line;                // the first pane's entries
    wxTimer statusTimer;            // expires passing status messages
    wxTimer lockKeysTimer;          // polls the lock keys' state
    wxString menuHelp;              // the help of the menu item pointed at, if any
    wxString readoutsTip;           // the readout panes' tooltip: the selection in frames
    bool tipOverFirstPane = false;  // the pointer was last over the first pane
};
