#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <functional>
#include <string>
#include <vector>

#include "session/EditSession.h"
#include "session/EffectRecord.h"
#include "session/RecoveryFile.h"

class OpenRefusals;
class PluginHost;
class StatusController;
class TransportController;
class WavePlayer;
class WaveformView;
class Workspace;
class wxFrame;
class wxMenu;

namespace platform {
class FileChooser;
}  // namespace platform

/// The main window's files and session: New, Load Wave, Close Wave, Open Session, Save
/// Session (and As), Render to File, Undo, Redo and Select All, every edit as one undoable step,
/// the question about unsaved changes (before New, Open and closing the window), the title, the
/// "Wave files" menu, and the recovery copy that keeps unsaved edits through a crash, with its
/// offer at the next start.
///
///     SessionController sessions({*frame, session, host, player, chooser, *view,
///                                 *waveFilesMenu, status, transport});
///     sessions.OfferRecovery();
///     sessions.LoadWaves(commandLinePaths);
///     sessions.StartAfresh();
///
/// Everything runs on the user-interface thread; the frame and the parts outlive it.
class SessionController : public wxEvtHandler {
public:
    /// What the session commands work on and report to; not owned.
    struct Parts {
        wxFrame& frame;  // carries the commands, parents the dialogs, shows the title
        EditSession& session;
        PluginHost& host;
        WavePlayer& player;
        platform::FileChooser& fileDialogs;
        WaveformView& view;
        wxMenu& waveFilesMenu;
        StatusController& status;  // the readouts, and the recovery copy's trouble
        TransportController& transport;
        /// The effect chain as the session keeps it now, and the chain to bring back once a
        /// session is opened, recovered or started anew.
        std::function<std::vector<EffectRecord>()> captureEffects;
        std::function<void(const std::vector<EffectRecord>&)> restoreEffects;
    };

    explicit SessionController(const Parts& parts);
    SessionController(const SessionController&) = delete;
    SessionController& operator=(const SessionController&) = delete;

    /// Opens a WAV file into the workspace exactly as "Load Wave..." does once a file is
    /// chosen: the "Wave files" menu gains it, and the view shows it as the workspace when it
    /// is the first file of an empty workspace, alone otherwise. On failure the user is told
    /// and nothing changes.
    bool LoadWave(const wxString& path, const wxString& name);
    /// Opens several files in order as LoadWave does, and reports every refused one in a
    /// single message (the files named on the command line).
    void LoadWaves(const std::vector<wxString>& paths);
    /// Opens a saved session in place of the workspace, as "Open Session..." does once a
    /// file is chosen (without asking about unsaved changes). On failure the user is told
    /// which file is at fault and nothing changes.
    bool OpenSession(const wxString& path);
    /// The state now counts as saved, with no history: after the start-up's files.
    void StartAfresh();
    /// Offers, newest first, each copy of unsaved edits a finished run left behind (Restore,
    /// Discard or Later); called once at start-up. True when one was restored.
    bool OfferRecovery();
    /// Asks to save unsaved changes: true when the caller may go on (saved or not wanted).
    bool ConfirmDiscardChanges();

    /// The effect chain or an effect's settings changed: the session counts as changed, and
    /// the recovery copy keeps the new chain.
    void EffectsChanged();

    /// Runs edit command `event` (Cut, Paste, Delete) through `runInView` as one undoable
    /// step; false, without running it, for any other event. Otherwise what `runInView` says:
    /// whether the view handled it.
    bool RunAsEditStep(wxEvent& event, const std::function<bool()>& runInView);

    /// The title and the status bar's readouts, from what the view shows now.
    void ShowWhereYouAre();

    RecoveryFile& Recovery() { return recovery; }

private:
    void OnNew(wxCommandEvent& event);
    void OnLoadWave(wxCommandEvent& event);
    void OnCloseWave(wxCommandEvent& event);
    void OnOpenSession(wxCommandEvent& event);
    void OnSaveSession(wxCommandEvent& event);
    void OnSaveSessionAs(wxCommandEvent& event);
    void OnRenderToFile(wxCommandEvent& event);
    void OnUndo(wxCommandEvent& event);
    void OnRedo(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnViewChanged(wxCommandEvent& event);
    void OnUpdateCloseWave(wxUpdateUIEvent& event);
    void OnUpdateNoFilesLoaded(wxUpdateUIEvent& event);
    void OnUpdateUndoRedo(wxUpdateUIEvent& event);
    void OnUpdateSelectAll(wxUpdateUIEvent& event);
    void OnUpdateRenderToFile(wxUpdateUIEvent& event);
    void OnRecoveryTimer(wxTimerEvent& event);

    bool AddWave(const wxString& path, const wxString& name, OpenRefusals& refused);
    /// Saves to the session's file, asking for one when it has none or `askName` is set;
    /// false if not saved.
    bool SaveSession(bool askName = false);
    std::vector<EffectRecord> CaptureEffects() const;
    /// The chain of the session just opened, recovered or made anew.
    void RestoreEffects();
    /// Restores a left-behind copy into this run; the copy goes once this run's own copy
    /// holds its edits. A failure is shown and the copy kept.
    bool RestoreLeftBehind(RecoveryFile::LeftBehindCopy& copy);
    /// After each write of the recovery copy: a failure is shown in the status bar and, the
    /// first time in a row, in a message; a success clears it.
    void OnRecoveryWritten(const std::string& failure);
    /// The recovery copy's trouble in the status bar's first pane ("" withdraws it).
    void ShowRecoveryStatus(const wxString& text);
    /// Brings the title, the "Wave files" menu and the recovery file up to the workspace.
    void AfterWorkspaceChange(bool filesChanged);
    void RebuildWaveFilesMenu();
    void ShowSessionError(uint32_t stringId, const std::string& why);
    void ShowError(const wxString& text);
    EditSelection ViewSelection() const;

    wxFrame& frame;
    EditSession& session;
    Workspace& workspace;
    PluginHost& host;
    WavePlayer& player;
    platform::FileChooser& fileDialogs;
    WaveformView& view;
    wxMenu& waveFilesMenu;
    StatusController& status;
    TransportController& transport;
    std::function<std::vector<EffectRecord>()> captureEffects;
    std::function<void(const std::vector<EffectRecord>&)> restoreEffects;
    RecoveryFile recovery;         // the unsaved edits' copy on disk
    bool recoveryFailing = false;  // its latest write failed (and was reported)
    wxTimer recoveryTimer;
};
