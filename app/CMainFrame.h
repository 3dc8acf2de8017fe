#pragma once

#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <vector>

#include "app/PlaybackPatience.h"
#include "app/SessionController.h"
#include "app/StatusController.h"
#include "app/StatusLine.h"
#include "app/TransportController.h"
#include "audio/Workspace.h"
#include "plugins/HostSeams.h"
#include "session/EditSession.h"
#include "session/RecoveryFile.h"

class EffectsController;
class FileDropTarget;
class RecentFilesController;
class LevelsController;
class LoudnessController;
class PluginCatalogController;
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
/// waveform view, the plug-in host, the player, the menus, toolbars and status bar) and the
/// controllers that carry the commands: files and sessions (Sessions()), the transport and
/// the sound device (Transport()), the status bar (StatusPanes()). It routes every command
/// first to the plug-in items, then to the view, then to the handlers the controllers bound
/// on it; it carries the window and plug-in commands itself.
///
///     CMainFrame* frame = new CMainFrame({audioOutput, fileChooser});
///     frame->Show();
///     frame->Sessions().LoadWave(path, name);
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

    /// The controllers that carry the file and session, transport and status bar commands.
    SessionController& Sessions() { return *sessions; }
    TransportController& Transport() { return *transport; }
    StatusController& StatusPanes() { return *status; }

    // Shorthands for the controllers' most used calls; see each one there.
    bool LoadWave(const wxString& path, const wxString& name) {
        return sessions->LoadWave(path, name);
    }
    void LoadWaves(const std::vector<wxString>& paths) { sessions->LoadWaves(paths); }
    bool OpenSession(const wxString& path) { return sessions->OpenSession(path); }
    void StartAfresh() { sessions->StartAfresh(); }
    bool OfferRecovery() { return sessions->OfferRecovery(); }
    RecoveryFile& Recovery() { return sessions->Recovery(); }
    void ShowStatusMessage(const std::string& topic, const wxString& text,
                           StatusLine::Priority priority) {
        status->ShowMessage(topic, text, priority);
    }
    void WithdrawStatusMessage(const std::string& topic) { status->WithdrawMessage(topic); }
    const StatusLine& Status() const { return status->Line(); }

    Workspace& GetWorkspace() { return workspace; }
    EditSession& Session() { return session; }
    WaveformView* View() const { return view; }
    WaveformPanel* ViewPanel() const { return viewPanel; }
    PluginHost& Host() const { return *host; }
    WavePlayer& Player() const { return *player; }
    PluginEditors& Editors() const { return *editors; }
    /// The catalogue entry chosen last while its effect is in the chain, or -1.
    int SelectedPlugin() const;
    wxAuiManager& Docking() { return docking; }
    wxMenu* WaveFilesMenu() const { return waveFilesMenu; }
    wxMenu* PluginMenu() const { return pluginMenu; }

    /// Waits for a running or still awaited plug-in scan to end and fills the menu from it, as
    /// the scan's timer would when it notices the end.
    void WaitForPluginScan();
    bool IsScanningPlugins() const;
    /// Chooses catalogue entry `index` as its menu item does: added to the chain.
    void ChoosePlugin(int index);
    EffectsController& Effects() const { return *effects; }
    /// File > "Open Recent", and the opening of files dropped on the window.
    RecentFilesController& RecentFiles() const { return *recentFiles; }
    /// What takes the files dropped on the window (the window owns it).
    FileDropTarget& FileDrop() const { return *fileDrop; }
    LevelsController& Levels() const { return *levels; }
    LoudnessController& Loudness() const { return *loudness; }

private:
    // Construction
    void CreateWindows();
    void CreateToolBars();
    void SetStatusProgress(const std::string& topic, const wxString& text) {
        status->SetProgress(topic, text);
    }
    /// A menu item's or tool's help, shown in the first pane while it is pointed at.
    void DoGiveHelp(const wxString& help, bool show) override;

    // Routing
    bool TryBefore(wxEvent& event) override;
    bool IsCommandEnabled(int id);
    /// Offers `event` to the view alone; true when the view handled it.
    bool OfferToView(wxEvent& event);

    // Window commands
    void OnExit(wxCommandEvent& event);
    void OnToggleToolBar(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnKeyboardHelp(wxCommandEvent& event);
    void OnUpdateToggleToolBar(wxUpdateUIEvent& event);

    // Window messages
    void OnSetFocus(wxFocusEvent& event);
    void OnCharHook(wxKeyEvent& event);

    wxAuiToolBar* ToolBarOf(int toggleCommand) const;
    void ArrangeToolBars();

    // The frame's own members go before its windows (the wx base destroys its children
    // after them) and before the model (a base class): the editors close their window while
    // the host still exists.
    Services services;
    wxAuiManager docking;
    HostMessageBoxes hostMessages;
    PlaybackPatience playbackPatience;       // while the window waits for a stuck effect
    std::unique_ptr<PluginEditors> editors;  // opens the effects' editor windows

    WaveformPanel* viewPanel = nullptr;
    WaveformView* view = nullptr;
    std::vector<wxAuiToolBar*> toolBars;  // edit, navigation, zoom
    wxMenu* waveFilesMenu = nullptr;
    wxMenu* pluginMenu = nullptr;
    wxMenu* openRecentMenu = nullptr;
    FileDropTarget* fileDrop = nullptr;  // owned by the window
    bool routing = false;                // an event is being offered to the view

    // The controllers, made once the windows exist. They point into the model and at the
    // windows, both of which outlive them; each one's bindings on the frame go with it. The
    // session controller uses the others, so it is declared last and destroyed first.
    std::unique_ptr<StatusController> status;
    std::unique_ptr<TransportController> transport;
    std::unique_ptr<EffectsController> effects;
    std::unique_ptr<LevelsController> levels;
    std::unique_ptr<LoudnessController> loudness;
    std::unique_ptr<PluginCatalogController> catalogue;
    std::unique_ptr<SessionController> sessions;
    std::unique_ptr<RecentFilesController> recentFiles;  // opens through the sessions

    wxDECLARE_EVENT_TABLE();
};
