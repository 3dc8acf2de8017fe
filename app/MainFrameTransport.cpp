// The main window's side of the plug-ins: scanning them into the "VST Plugins" menu, and
// choosing, editing and removing the active effect.

#include <wx/menu.h>

#include <map>

#include "app/CMainFrame.h"
#include "app/EffectsController.h"
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
constexpr uint32_t kSampleRate = WaveFile::kDefaultSampleRate;  // until a workspace sets one
constexpr int kScanPollMilliseconds = 100;

PluginScanner::Settings ScanSettings(bool rescan) {
    PluginScanner::Settings settings;
    settings.scanner = plugin_paths::ScannerProgram();
    settings.cacheFile = plugin_paths::CacheFile();
    settings.rescan = rescan;
    return settings;
}

}  // namespace

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
        const char* path = host->PluginPath(index);
        update.Check(path != nullptr && host->Chain().IndexOfPath(path) >= 0);
    }
    return true;
}

void CMainFrame::ChoosePlugin(int index) {
    // One in the chain already: its editor, with the settings the user made.
    const char* fileName = host->PluginPath(index);
    const int inChain = fileName != nullptr ? host->Chain().IndexOfPath(fileName) : -1;
    if (inChain >= 0) {
        selectedPlugin = index;
        OpenPluginEditor(inChain);
        return;
    }
    // Appended to the chain under the player's lock, so playback goes on and takes its next
    // block through the longer chain.
    if (fileName == nullptr || host->AddEffect(fileName, host->PluginName(index)) == nullptr) {
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
    if (effects != nullptr) {
        effects->ChainChanged();
    }
    OpenPluginEditor(static_cast<int>(host->ChainSize()) - 1);
}

void CMainFrame::OnEditPlugin(wxCommandEvent&) {
    OpenPluginEditor(SelectedSlot());
}

void CMainFrame::OnRemovePlugin(wxCommandEvent&) {
    host->RemoveEffect(static_cast<size_t>(SelectedSlot()));
    selectedPlugin = -1;
    if (effects != nullptr) {
        effects->ChainChanged();
    }
}

int CMainFrame::SelectedSlot() const {
    // The effect selected in the Effects pane, else the one chosen last while it is in the
    // chain, else the last one.
    if (effects != nullptr && effects->SelectedSlot() >= 0) {
        return effects->SelectedSlot();
    }
    const char* path = host->PluginPath(selectedPlugin);
    const int chosen = path != nullptr ? host->Chain().IndexOfPath(path) : -1;
    return chosen >= 0 ? chosen : static_cast<int>(host->ChainSize()) - 1;
}

void CMainFrame::OnUpdatePluginCommands(wxUpdateUIEvent& event) {
    event.Enable(!host->IsChainEmpty());
}

void CMainFrame::OpenPluginEditor(int position) {
    editors->OpenEditor(static_cast<size_t>(std::max(position, 0)));
}
