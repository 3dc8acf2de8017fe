#pragma once

#include <wx/aui/framemanager.h>
#include <wx/event.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include <chrono>

#include "playback/LevelMeter.h"

class WavePlayer;
class wxFrame;

/// The docked "Levels" pane: a bar per channel (L above R) showing the RMS level of what the
/// sound device is sounding, a tick at its peak, on a scale from -60 to 0 dBFS, and at the
/// right end of each bar a clip light that holds once a sample of that channel reached full
/// scale; a click on a channel's row puts its light out. While nothing plays the bars fall away.
///
///     auto* pane = new LevelsPane(frame, player);
///     docking.AddPane(pane, LevelsPane::PaneInfo());
///
/// Runs on the user-interface thread; its timer runs only while the pane is shown.
class LevelsPane : public wxPanel {
public:
    LevelsPane(wxWindow* parent, WavePlayer& player);
    ~LevelsPane() override;

    /// Where and how the pane docks: along the bottom, hidden at first.
    static wxAuiPaneInfo PaneInfo();

    /// Starts the timer that polls the player; it stops by itself once the pane is hidden.
    void StartPolling();
    /// Takes the player's levels and repaints: what the timer does every tick.
    void Poll();
    const MeterReading& Reading() const { return meter.Reading(); }
    /// The row of channel 0 (left) or 1 (right), in client coordinates; a click there resets
    /// that channel's clip light.
    wxRect RowOf(int channel) const;

    /// The lowest level the bars show, in dBFS.
    static constexpr double kScaleFloorDb = -60;

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnTimer(wxTimerEvent& event);
    /// The part of a bar's width that `level` (1 = full scale) fills, from 0 to 1.
    static double Fill(float level);

    LevelFollower meter;
    wxTimer timer;
    std::chrono::steady_clock::time_point lastPoll;
};

/// Puts the Levels pane into the frame's docking and carries View > Levels, which shows and
/// hides it.
///
///     levels = std::make_unique<LevelsController>(frame, docking, player);
class LevelsController : public wxEvtHandler {
public:
    LevelsController(wxFrame& frame, wxAuiManager& docking, WavePlayer& player);

    LevelsPane& Pane() const { return *pane; }

private:
    void OnTogglePane(wxCommandEvent& event);
    void OnUpdateTogglePane(wxUpdateUIEvent& event);

    wxAuiManager& docking;
    LevelsPane* pane = nullptr;  // owned by the frame's window tree
};
