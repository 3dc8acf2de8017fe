#pragma once

#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <vector>

#include "app/PlaybackPatience.h"
#include "app/StatusLine.h"
#include "audio/Workspace.h"
#include "plugins/HostSeams.h"
#include "session/EditSession.h"
#include "session/RecoveryFile.h"

class BackgroundScan;
class PluginEditors;
class PluginHost;
class WavePlayer;
class WaveformPanel;
class WaveformView;
class wxMenu;

namespace platform {
class AudioOutput;
class FileChooser;
}  // namespace platform

/// What the main window's windows show and drive, in dependency order: the edit session (the
/// workspace, its files and its history), the plug-in host that reads the workspace, the
/// player that runs the host. The frame derives from it first, so it is built before the
/// frame's windows and destroyed after them: the view and the editor windows point into it
/// until they are gone.
struct FrameModel {
    explicit FrameModel(platform::AudioOutput& audio);

    EditSession session;
    Workspace& workspace = session.Edits();
    std::unique_ptr<PluginHost> host;
    std::unique_ptr<WavePlayer> player;
};

/// Shows the host's messages in boxes over a window, for as long as this object lives: it
/// registers with the host when built and withdraws when destroyed.
class HostMessageBoxes : public HostMessages {
public:
    HostMessageBoxes(PluginHost& host, wxWindow* parent);
    ~HostMessageBoxes() override;
    HostMessageBoxes(const HostMessageBoxes&) = delete;
    HostMessageBoxes& operator=(const HostMessageBoxes&) = delete;

    void ShowMessage(uint32_t stringId) override;

private:
    PluginHost& host;
    wxWindow* parent;
};

/// The main window. It owns every long-lived object of the program (the edit session, the
/// waveform view, the plug-in host, the player, the menus, toolbars and status bar), keeps
/// the "Wave files" menu in step with the opened files, routes every command first to the
/// plug-in items, then to the view, then to its own handlers, and carries the file, window,
/// transport and plug-in commands.
///
///     CMainFrame* frame = new CMainFrame({audioOutput, fileChooser});
///     frame->Show();
///
/// Everything runs on the user-interface thread.
class CMainFrame : private FrameModel, public wxFrame {
public:
    struct Services {
        platform::AudioOutput& audio;        // the sound device
        platform::FileChooser& fileDialogs;  // the open and save dialogs
    };

    explicit CMainFrame(const Services& services);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

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

    /// Shows a message of `topic` in the status bar's first pane, in place of that topic's
    /// earlier one: a note or warning passes after a while, an error stays until withdrawn.
    /// The most important message wins the pane; its tooltip holds every message whole.
    ///
    ///     frame->ShowStatusMessage("recovery", "No recovery copy: disk full", kError);
    void ShowStatusMessage(const std::string& topic, const wxString& text,
                           StatusLine::Priority priority);
    /// Takes `topic`'s message away (what it said is over).
    void WithdrawStatusMessage(const std::string& topic);
    const StatusLine& Status() const { return status; }

    Workspace& GetWorkspace() { return workspace; }
    EditSession& Session() { return session; }
    RecoveryFile& Recovery() { return recovery; }
    WaveformView* View() const { return view; }
    WaveformPanel* ViewPanel() const { return viewPanel; }
    PluginHost& Host() const { return *host; }
    WavePlayer& Player() const { return *player; }
    PluginEditors& Editors() const { return *editors; }
    int SelectedPlugin() const { return selectedPlugin; }
    wxAuiManager& Docking() { return docking; }
    wxMenu* WaveFilesMenu() const { return waveFilesMenu; }
    wxMenu* PluginMenu() const { return pluginMenu; }

    /// Waits for a running or still awaited plug-in scan to end and fills the menu from it, as
    /// the scan's timer would when it notices the end.
    void WaitForPluginScan();
    bool IsScanningPlugins() const { return scan != nullptr || scanAwaitsWindow; }
    /// Makes catalogue entry `index` the active effect, as its menu item does.
    void ChoosePlugin(int index);

private:
    // Construction
    void OpenSoundDevice();
    void PreparePlugins();
    void CreateWindows();
    void CreateToolBars();
    void CreateStatusBarPanes();
    /// The first pane's text and tooltip brought up to the status line.
    void ShowStatusLine();
    /// The status bar's tooltip for the pane the pointer was last over, kept up to date.
    void ShowStatusTip();
    void SetStatusProgress(const std::string& topic, const wxString& text);
    void OnStatusTimer(wxTimerEvent& event);
    /// The tooltip of the pane under the pointer: the status line whole over the first pane,
    /// the frames of the selection over the readouts.
    void OnStatusBarMotion(wxMouseEvent& event);
    /// A menu item's or tool's help, shown in the first pane while it is pointed at.
    void DoGiveHelp(const wxString& help, bool show) override;
    void FillPluginMenu();

    // Routing
    bool TryBefore(wxEvent& event) override;
    bool RoutePluginRange(wxEvent& event);
    bool IsCommandEnabled(int id);

    // File and window commands
    void OnNew(wxCommandEvent& event);
    void OnOpenSession(wxCommandEvent& event);
    void OnSaveSession(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnLoadWave(wxCommandEvent& event);
    void OnCloseWave(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnToggleToolBar(wxCommandEvent& event);
    void OnToggleStatusBar(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnRenderToFile(wxCommandEvent& event);
    void OnUpdateDisabled(wxUpdateUIEvent& event);
    void OnUpdateCloseWave(wxUpdateUIEvent& event);
    void OnUpdateToggleToolBar(wxUpdateUIEvent& event);
    void OnUpdateToggleStatusBar(wxUpdateUIEvent& event);
    void OnUpdateRenderToFile(wxUpdateUIEvent& event);

    // Opening files
    bool AddWave(const wxString& path, const wxString& name, class OpenRefusals& refused);
    /// The device and the effects at the workspace's rate, as a render and a change of files
    /// need them.
    void FollowWorkspaceRate();
    /// The device (reopened) and the effects at `rate`; a failed reopen is told.
    void FollowRate(uint32_t rate);

    // Session commands (MainFrameSession.cpp)
    void OnUndo(wxCommandEvent& event);
    void OnRedo(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnUpdateUndoRedo(wxUpdateUIEvent& event);
    void OnUpdateSelectAll(wxUpdateUIEvent& event);
    void OnRecoveryTimer(wxTimerEvent& event);
    /// Restores a left-behind copy into this run; the copy goes once this run's own copy
    /// holds its edits. A failure is shown and the copy kept.
    bool RestoreLeftBehind(RecoveryFile::LeftBehindCopy& copy);
    /// After each write of the recovery copy: a failure is shown in the status bar and, the
    /// first time in a row, in a message; a success clears it.
    void OnRecoveryWritten(const std::string& failure);
    /// The recovery copy's trouble in the status bar's first pane ("" withdraws it).
    void ShowRecoveryStatus(const wxString& text);
    /// Runs an edit command through the view as one undoable step.
    bool RouteEditToView(wxEvent& event);
    /// Asks to save unsaved changes: true when the caller may go on (saved or not wanted).
    bool ConfirmDiscardChanges();
    /// Saves to the session's file, asking for one when it has none; false if not saved.
    bool SaveSession();
    /// Brings the title, the "Wave files" menu and the recovery file up to the workspace.
    void AfterWorkspaceChange(bool filesChanged);
    void RebuildWaveFilesMenu();
    void ShowSessionError(uint32_t stringId, const std::string& why);
    EditSelection ViewSelection() const;

    // Transport and plug-in commands
    void StartPluginScan(bool rescan);
    void OnFirstViewPaint(wxPaintEvent& event);
    void OnScanTimer(wxTimerEvent& event);
    void FinishPluginScan();
    void OnChoosePlugin(wxCommandEvent& event);
    void OnRescanPlugins(wxCommandEvent& event);
    void OnUpdateRescanPlugins(wxUpdateUIEvent& event);
    bool RetryPlugin(size_t index);
    void OnPlay(wxCommandEvent& event);
    void OnStop(wxCommandEvent& event);
    void OnPause(wxCommandEvent& event);
    void OnPlayOrStop(wxCommandEvent& event);
    /// Plays [start, end) of the shown source (the workspace, or a file alone) with the
    /// playback cursor following it.
    void PlayShown(uint32_t start, uint32_t end);
    void OnEditPlugin(wxCommandEvent& event);
    void OnRemovePlugin(wxCommandEvent& event);
    void OnUpdatePlay(wxUpdateUIEvent& event);
    void OnUpdatePlayOrStop(wxUpdateUIEvent& event);
    void OnUpdateStopPause(wxUpdateUIEvent& event);
    void OnUpdatePluginCommands(wxUpdateUIEvent& event);

    // Window messages
    void OnSetFocus(wxFocusEvent& event);
    void OnLockKeysTimer(wxTimerEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnViewChanged(wxCommandEvent& event);

    /// Shows the editor of the chain's effect at `position`.
    void OpenPluginEditor(int position);
    /// The chain position the Edit and Remove commands act on.
    int SelectedSlot() const;
    wxAuiToolBar* ToolBarOf(int toggleCommand) const;
    void ArrangeToolBars();
    /// The title and the status bar's readouts, from what the view shows now.
    void ShowWhereYouAre();

    // The frame's own members go before its windows (the wx base destroys its children
    // after them) and before the model (a base class): the editors close their window while
    // the host still exists.
    Services services;
    wxAuiManager docking;
    HostMessageBoxes hostMessages;
    PlaybackPatience playbackPatience;       // while the window waits for a stuck effect
    RecoveryFile recovery;                   // the unsaved edits' copy on disk
    bool recoveryFailing = false;            // its latest write failed (and was reported)
    std::unique_ptr<PluginEditors> editors;  // the one plug-in editor window
    std::unique_ptr<BackgroundScan> scan;    // the plug-in scan while it runs
    bool scanAwaitsWindow = false;           // the start-up scan waits for the first paint
    int selectedPlugin = -1;
    bool soundEnabled = false;    // the device opened at start-up (else Orvane runs silent)
    size_t fixedPluginItems = 0;  // the "VST Plugins" items before the vendor submenus

    WaveformPanel* viewPanel = nullptr;
    WaveformView* view = nullptr;
    std::vector<wxAuiToolBar*> toolBars;  // edit, navigation, zoom
    wxMenu* waveFilesMenu = nullptr;
    wxMenu* pluginMenu = nullptr;
    wxTimer lockKeysTimer;
    wxTimer recoveryTimer;
    wxTimer scanTimer;
    wxTimer statusTimer;            // expires passing status messages
    StatusLine status;              // the first pane's entries
    wxString menuHelp;              // the help of the menu item pointed at, if any
    wxString readoutsTip;           // the readout panes' tooltip: the selection in frames
    bool tipOverFirstPane = false;  // the pointer was last over the first pane
    bool routing = false;           // an event is being offered to the view

    wxDECLARE_EVENT_TABLE();
};
