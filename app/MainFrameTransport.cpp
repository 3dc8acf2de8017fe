// The main window's side of playback and plug-ins: opening the sound device at start-up,
// scanning the plug-ins into the "VST Plugins" menu, choosing, editing and removing the
// active effect, and the transport commands Play, Stop and Pause.

#include <wx/menu.h>

#include <map>

#include "app/CMainFrame.h"
#include "app/PluginChooser.h"
#include "app/PluginMenus.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/WaveformView.h"

namespace {

// The player's buffers are the host's blocks: one block size for both, and for the renderer.
constexpr uint32_t kBlockBytes = PluginHost::kBlockBytes;
constexpr uint8_t kBufferCount = 16;
constexpr uint8_t kChannels = 2;
constexpr uint32_t kSampleRate = WaveFile::kDefaultSampleRate;  // until a workspace sets one
constexpr uint8_t kBitsPerSample = 16;
constexpr int kScanPollMilliseconds = 100;

PluginScanner::Settings ScanSettings(bool rescan) {
    PluginScanner::Settings settings;
    settings.scanner = plugin_paths::ScannerProgram();
    settings.cacheFile = plugin_paths::CacheFile();
    settings.rescan = rescan;
    return settings;
}

}  // namespace

void CMainFrame::OpenSoundDevice() {
    while (!player->Open(kBlockBytes, kBufferCount, kChannels, kSampleRate, kBitsPerSample)) {
        const wxString text = wxString::Format(
            "Failed to initialize audio device: %s (stereo, 16 bits, %u Hz). Sound is disabled.",
            platform::AudioResultText(player->LastError()), kSampleRate);
        const platform::MessageRequest failed{text, str::Text(str::kAppTitle),
                                              platform::MessageButtons::kRetryCancel,
                                              platform::MessageIcon::kError};
        if (platform::ShowMessageBox(this, failed) != platform::MessageAnswer::kRetry) {
            return;  // Orvane runs on without sound
        }
    }
    soundEnabled = true;
}

void CMainFrame::FollowWorkspaceRate() {
    FollowRate(workspace.SampleRate());
}

// The device and the effects run at the rate of what is played (the workspace, or a file
// shown alone), so every source plays at its own speed and pitch.
void CMainFrame::FollowRate(uint32_t rate) {
    const bool deviceFollows = !soundEnabled || player->IsOpen();
    if (rate == 0 || (rate == host->ConfiguredRate() && deviceFollows)) {
        return;
    }
    player->Stop();
    host->SetSampleRate(rate);
    if (!soundEnabled) {
        return;
    }
    player->Close();
    if (!player->Open(kBlockBytes, kBufferCount, kChannels, rate, kBitsPerSample)) {
        const wxString text = wxString::Format(
            "Failed to initialize audio device: %s (stereo, 16 bits, %u Hz). Sound is disabled.",
            platform::AudioResultText(player->LastError()), rate);
        platform::ShowMessageBox(this,
                                 {text, str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                                  platform::MessageIcon::kError});
    }
}

void CMainFrame::PreparePlugins() {
    // The catalogue holds real paths; relative names still mean "vstplugs/".
    host->Configure(kSampleRate, kBlockBytes, PluginHost::DefaultPluginDirectory());
}

void CMainFrame::StartPluginScan(bool rescan) {
    scanAwaitsWindow = false;
    if (scan != nullptr) {
        return;
    }
    // Found and examined on a thread of its own: the window is usable meanwhile, and the menu
    // fills when the scan ends.
    scan = std::make_unique<BackgroundScan>(ScanSettings(rescan), plugin_paths::SearchFolders());
    SetStatusProgress("plug-ins", "Looking for plug-ins...");
    scanTimer.Start(kScanPollMilliseconds);
}

void CMainFrame::OnFirstViewPaint(wxPaintEvent& event) {
    event.Skip();  // the view paints itself
    view->Unbind(wxEVT_PAINT, &CMainFrame::OnFirstViewPaint, this);
    CallAfter([this] {
        if (scanAwaitsWindow) {
            StartPluginScan(false);
        }
    });
}

void CMainFrame::OnScanTimer(wxTimerEvent&) {
    if (scan == nullptr) {
        scanTimer.Stop();
        if (scanAwaitsWindow) {
            StartPluginScan(false);
        }
        return;
    }
    if (!scan->Finished()) {
        if (scan->Total() > 0) {
            SetStatusProgress("plug-ins", wxString::Format("Examining plug-ins: %zu of %zu",
                                                           scan->Done(), scan->Total()));
        }
        return;
    }
    FinishPluginScan();
}

void CMainFrame::WaitForPluginScan() {
    if (scanAwaitsWindow) {
        StartPluginScan(false);
    }
    if (scan != nullptr) {
        FinishPluginScan();
    }
}

void CMainFrame::FinishPluginScan() {
    scanTimer.Stop();
    std::vector<PluginInfo> catalogue = scan->Take();
    scan.reset();
    // The active effect keeps its check mark through a rescan: found again by its path.
    const char* activePath = host->PluginPath(selectedPlugin);
    const std::string active = activePath != nullptr ? activePath : "";
    selectedPlugin = -1;
    size_t failed = 0;
    for (size_t i = 0; i < catalogue.size(); ++i) {
        failed += catalogue[i].ok ? 0 : 1;
        if (!active.empty() && catalogue[i].path == active) {
            selectedPlugin = static_cast<int>(i);
        }
    }
    host->SetCatalog(std::move(catalogue));
    FillPluginMenu();
    SetStatusProgress("plug-ins", wxString());
    if (failed > 0) {
        ShowStatusMessage("plug-ins",
                          wxString::Format("%zu plug-in(s) failed their examination: see VST "
                                           "Plugins > Choose Plug-in...",
                                           failed),
                          StatusLine::Priority::kWarning);
    } else {
        WithdrawStatusMessage("plug-ins");
    }
}

void CMainFrame::FillPluginMenu() {
    while (pluginMenu->GetMenuItemCount() > fixedPluginItems) {
        pluginMenu->Destroy(pluginMenu->FindItemByPosition(fixedPluginItems));
    }
    AppendPluginMenus(pluginMenu, host->Catalog(), cmd::kFirstPlugin, cmd::kLastPlugin);
}

void CMainFrame::OnChoosePlugin(wxCommandEvent&) {
    PluginChooser chooser(this, host->Catalog(),
                          [this](size_t index) { return RetryPlugin(index); });
    if (chooser.ShowModal() == wxID_OK && chooser.Chosen() >= 0) {
        ChoosePlugin(chooser.Chosen());
    }
}

bool CMainFrame::RetryPlugin(size_t index) {
    std::vector<PluginInfo> catalogue = host->Catalog();
    if (index >= catalogue.size()) {
        return false;
    }
    wxBusyCursor busy;
    PluginScanner scanner(ScanSettings(true));
    catalogue[index] = scanner.Examine(catalogue[index].path);
    const bool ok = catalogue[index].ok;
    PluginScanner::WriteCache(plugin_paths::CacheFile(), catalogue);
    host->SetCatalog(std::move(catalogue));
    FillPluginMenu();
    return ok;
}

void CMainFrame::OnRescanPlugins(wxCommandEvent&) {
    StartPluginScan(true);
}

void CMainFrame::OnUpdateRescanPlugins(wxUpdateUIEvent& event) {
    event.Enable(scan == nullptr);
}

bool CMainFrame::RoutePluginRange(wxEvent& event) {
    const int id = event.GetId();
    if (id < cmd::kFirstPlugin || id > cmd::kLastPlugin) {
        return false;
    }
    const int index = id - cmd::kFirstPlugin;
    if (event.GetEventType() == wxEVT_MENU) {
        ChoosePlugin(index);
    } else {
        auto& update = static_cast<wxUpdateUIEvent&>(event);
        update.Enable(true);
        update.Check(index == selectedPlugin);
    }
    return true;
}

void CMainFrame::ChoosePlugin(int index) {
    // The active one again: its editor, with the settings the user made.
    if (index == selectedPlugin && !host->IsChainEmpty()) {
        OpenPluginEditor(index);
        return;
    }
    // The host holds the player's lock around each chain change, so playback goes on and
    // takes its next block through the new chain.
    host->UnloadPlugin(0, nullptr);
    selectedPlugin = -1;  // no check mark on an effect that is not loaded
    const char* fileName = host->PluginPath(index);
    if (fileName == nullptr || host->LoadPlugin(fileName, 0, true, nullptr) == nullptr) {
        const wxString reason = fileName == nullptr ? wxString("it is not in the catalogue")
                                                    : wxString::FromUTF8(host->LastLoadError());
        platform::ShowMessageBox(
            this, {wxString::Format(
                       "Failed to initialize plugin \"%s\" (%s): %s.",
                       wxString::FromUTF8(
                           host->PluginName(index) != nullptr ? host->PluginName(index) : ""),
                       wxString::FromUTF8(fileName != nullptr ? fileName : "?"), reason),
                   str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
        return;
    }
    selectedPlugin = index;
    OpenPluginEditor(index);
}

void CMainFrame::OnPlay(wxCommandEvent&) {
    if (view->SelectionLength() != 0) {
        PlayShown(view->SelectionStart(), view->SelectionStart() + view->SelectionLength());
    } else {
        PlayShown(view->ViewStart(), view->ViewStart() + view->ViewLength());
    }
}

void CMainFrame::OnPlayOrStop(wxCommandEvent&) {
    if (player->IsPlaying() || player->PlayingFrame() >= 0) {
        player->Stop();
    } else if (view->SelectionLength() != 0) {
        PlayShown(view->SelectionStart(), view->SelectionStart() + view->SelectionLength());
    } else {
        // From the insertion point to the end of the shown range.
        PlayShown(view->SelectionStart(), view->ViewStart() + view->ViewLength());
    }
}

void CMainFrame::PlayShown(uint32_t start, uint32_t end) {
    player->Stop();
    FollowRate(view->SampleRate());
    // Effects forget the audio of the last play or render, so every play starts alike.
    host->ResetChain();
    // A file shown alone plays by itself: playing it only reads it.
    host->SetSource(view->ShownFile());
    player->Play(start, end);
    view->FollowPlayback();
}

void CMainFrame::OnStop(wxCommandEvent&) {
    player->Stop();
}

void CMainFrame::OnPause(wxCommandEvent&) {
    if (player->IsPaused()) {
        player->Resume();
    } else {
        player->Pause();
    }
}

void CMainFrame::OnEditPlugin(wxCommandEvent&) {
    OpenPluginEditor(selectedPlugin);
}

void CMainFrame::OnRemovePlugin(wxCommandEvent&) {
    host->UnloadPlugin(0, nullptr);
    selectedPlugin = -1;
}

void CMainFrame::OnUpdatePlay(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty() && !player->IsPlaying());
}

void CMainFrame::OnUpdatePlayOrStop(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty());
}

void CMainFrame::OnUpdateStopPause(wxUpdateUIEvent& event) {
    event.Enable(!session.Edits().IsEmpty());
}

void CMainFrame::OnUpdatePluginCommands(wxUpdateUIEvent& event) {
    event.Enable(!host->IsChainEmpty());
}

void CMainFrame::OpenPluginEditor(int catalogueIndex) {
    editors->OpenEditor(0, catalogueIndex);
}
