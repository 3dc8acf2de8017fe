#pragma once

#include <wx/event.h>

#include <cstdint>

class PluginHost;
class WavePlayer;
class WaveformView;
class Workspace;
class wxWindow;

/// Play, Stop, Pause and Play or Stop with their enabling rules, and the sound device: opened
/// at start-up at the default rate, then reopened at the rate of whatever is played (the
/// workspace, or a file shown alone) so that every source plays at its own speed and pitch.
///
///     const bool sound = TransportController::OpenSoundDevice(player, frame);
///     TransportController transport(*frame, {player, host, workspace, *view}, sound);
///     transport.FollowWorkspaceRate();  // before a render, after a change of files
///
/// Everything runs on the user-interface thread; the window and the parts outlive it.
class TransportController : public wxEvtHandler {
public:
    /// What the transport drives and reads; not owned.
    struct Parts {
        WavePlayer& player;
        PluginHost& host;
        Workspace& workspace;
        WaveformView& view;  // what is shown is what plays
    };

    /// Opens `player`'s device at the default rate, offering Retry on failure (a box over
    /// `parent`); false when the user gave up and the program runs silent.
    static bool OpenSoundDevice(WavePlayer& player, wxWindow* parent);

    /// Carries the transport commands of `window` (their menu items, tools and keys).
    /// `soundEnabled`: OpenSoundDevice succeeded, so the device follows every rate change.
    TransportController(wxWindow& window, const Parts& parts, bool soundEnabled);
    TransportController(const TransportController&) = delete;
    TransportController& operator=(const TransportController&) = delete;

    /// The device and the effects at the workspace's rate, as a render and a change of files
    /// need them.
    void FollowWorkspaceRate();
    /// The device (reopened) and the effects at `rate`; a failed reopen is told.
    void FollowRate(uint32_t rate);

private:
    void OnPlay(wxCommandEvent& event);
    void OnStop(wxCommandEvent& event);
    void OnPause(wxCommandEvent& event);
    void OnPlayOrStop(wxCommandEvent& event);
    /// Plays [start, end) of the shown source (the workspace, or a file alone) with the
    /// playback cursor following it.
    void PlayShown(uint32_t start, uint32_t end);
    void OnUpdatePlay(wxUpdateUIEvent& event);
    void OnUpdatePlayOrStop(wxUpdateUIEvent& event);
    void OnUpdateStopPause(wxUpdateUIEvent& event);

    wxWindow& window;
    WavePlayer& player;
    PluginHost& host;
    Workspace& workspace;
    WaveformView& view;
    bool soundEnabled;  // the device opened at start-up (else Orvane runs silent)
};
