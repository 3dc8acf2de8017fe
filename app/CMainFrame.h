#pragma once

#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>

#include "audio/Workspace.h"
#include "plugins/HostSeams.h"
#include "session/EditSession.h"
#include "session/RecoveryFile.h"

class PluginEditors;
class PluginHost;
class WavePlayer;
class WaveformView;
class wxMenu;

namespace platform {
class AudioOutput;
class FileChooser;
}  // namespace platform

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
class CMainFrame : public wxFrame, private HostMessages {
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
    /// chosen: the "Wave files" menu gains it and the view shows it alone. On failure the
    /// user is told and nothing changes.
    bool LoadWave(const wxString& path, const wxString& name);

    /// Opens a saved session in place of the workspace, as "Open Session..." does once a
    /// file is chosen (without asking about unsaved changes). On failure the user is told
    /// which file is at fault and nothing changes.
    bool OpenSession(const wxString& path);

    /// The state now counts as saved, with no history: after the start-up's files.
    void StartAfresh();

    /// Offers to restore edits a previous run left behind (recovery files); called once at
    /// start-up. True when one was restored.
    bool OfferRecovery();

    Workspace& GetWorkspace() { return session.Edits(); }
    EditSession& Session() { return session; }
    WaveformView* View() const { return view; }
    PluginHost& Host() const { return *host; }
    WavePlayer& Player() const { return *player; }
    PluginEditors& Editors() const { return *editors; }
    int SelectedPlugin() const { return selectedPlugin; }
    wxAuiManager& Docking() { return docking; }
    wxMenu* WaveFilesMenu() const { return waveFilesMenu; }
    wxMenu* PluginMenu() const { return pluginMenu; }

private:
    // Construction
    void OpenSoundDevice();
    void PreparePlugins();
    void CreateWindows();
    void CreateToolBars();
    void CreateStatusBarPanes();
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
    void OnUpdateToggleToolBar(wxUpdateUIEvent& event);
    void OnUpdateToggleStatusBar(wxUpdateUIEvent& event);
    void OnUpdateRenderToFile(wxUpdateUIEvent& event);

    // Session commands (MainFrameSession.cpp)
    void OnUndo(wxCommandEvent& event);
    void OnRedo(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnUpdateUndoRedo(wxUpdateUIEvent& event);
    void OnUpdateSelectAll(wxUpdateUIEvent& event);
    void OnRecoveryTimer(wxTimerEvent& event);
    /// Runs an edit command through the view as one undoable step.
    bool RouteEditToView(wxEvent& event);
    /// Asks to save unsaved changes: true when the caller may go on (saved or not wanted).
    bool ConfirmDiscardChanges();
    /// Saves to the session's file, asking for one when it has none; false if not saved.
    bool SaveSession();
    /// Brings the title, the "Wave files" menu and the recovery file up to the workspace.
    void AfterWorkspaceChange(bool filesChanged);
    void RebuildWaveFilesMenu();
    void UpdateTitle();
    void ShowSessionError(uint32_t stringId, const std::string& why);
    EditSelection ViewSelection() const;

    // Transport and plug-in commands
    void ChoosePlugin(int index);
    void OnPlay(wxCommandEvent& event);
    void OnStop(wxCommandEvent& event);
    void OnPause(wxCommandEvent& event);
    void OnEditPlugin(wxCommandEvent& event);
    void OnRemovePlugin(wxCommandEvent& event);
    void OnUpdatePlay(wxUpdateUIEvent& event);
    void OnUpdateStopPause(wxUpdateUIEvent& event);
    void OnUpdatePluginCommands(wxUpdateUIEvent& event);

    // Window messages
    void OnSetFocus(wxFocusEvent& event);
    void OnLockKeysTimer(wxTimerEvent& event);

    void ShowMessage(uint32_t stringId) override;  // the host's messages
    void OpenPluginEditor(int catalogueIndex);
    wxAuiToolBar* ToolBarOf(int toggleCommand) const;
    void ArrangeToolBars();

    Services services;
    EditSession session;  // before everything that reads the workspace, so it goes last
    RecoveryFile recovery;
    std::unique_ptr<PluginHost> host;
    std::unique_ptr<WavePlayer> player;
    std::unique_ptr<PluginEditors> editors;  // the one plug-in editor window
    int selectedPlugin = -1;

    wxAuiManager docking;
    WaveformView* view = nullptr;
    std::vector<wxAuiToolBar*> toolBars;  // edit, navigation, zoom
    wxMenu* waveFilesMenu = nullptr;
    wxMenu* pluginMenu = nullptr;
    wxTimer lockKeysTimer;
    wxTimer recoveryTimer;
    bool routing = false;  // an event is being offered to the view

    wxDECLARE_EVENT_TABLE();
};
