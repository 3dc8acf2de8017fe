#include "app/PluginCatalogController.h"

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "app/EffectsController.h"
#include "app/PluginChooser.h"
#include "app/PluginMenus.h"
#include "app/StatusController.h"
#include "plugins/InstalledEffect.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

namespace {

constexpr int kScanPollMilliseconds = 100;
// The start-up scan begins at the first paint, or after this long should none come (a window
// started minimised).
constexpr int kScanStartLatestMilliseconds = 1000;

}  // namespace

PluginCatalogController::PluginCatalogController(const Parts& parts)
    : parts(parts), fixedItems(parts.pluginMenu.GetMenuItemCount()), scanTimer(this) {
    wxFrame& frame = parts.frame;
    frame.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { ShowChooser(); }, cmd::kChoosePlugin);
    frame.Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { StartScan(true); }, cmd::kRescanPlugins);
    // Neither while a scan runs: its end would replace the catalogue under the chooser.
    for (const int id : {cmd::kChoosePlugin, cmd::kRescanPlugins}) {
        frame.Bind(
            wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(!scan); }, id);
    }
    Bind(wxEVT_TIMER, &PluginCatalogController::OnScanTimer, this);
    // A first scan runs a process per library, which would compete with the window for the
    // processor: it starts once the window has been painted.
    parts.view.Bind(wxEVT_PAINT, &PluginCatalogController::OnFirstViewPaint, this);
    scanTimer.StartOnce(kScanStartLatestMilliseconds);
}

PluginCatalogController::~PluginCatalogController() {
    scanTimer.Stop();
    parts.view.Unbind(wxEVT_PAINT, &PluginCatalogController::OnFirstViewPaint, this);
}

void PluginCatalogController::StartScan(bool rescan) {
    awaitsWindow = false;
    if (scan != nullptr) {
        return;
    }
    // Found and examined on a thread of its own: the window is usable meanwhile, and the menu
    // fills when the scan ends.
    scan = std::make_unique<BackgroundScan>(InstalledScanSettings(rescan),
                                            plugin_paths::SearchFolders());
    parts.status.SetProgress("plug-ins", "Looking for plug-ins...");
    scanTimer.Start(kScanPollMilliseconds);
}

void PluginCatalogController::OnFirstViewPaint(wxPaintEvent& event) {
    event.Skip();  // the view paints itself
    parts.view.Unbind(wxEVT_PAINT, &PluginCatalogController::OnFirstViewPaint, this);
    CallAfter([this] {
        if (awaitsWindow) {
            StartScan(false);
        }
    });
}

void PluginCatalogController::OnScanTimer(wxTimerEvent&) {
    if (scan == nullptr) {
        scanTimer.Stop();
        if (awaitsWindow) {
            StartScan(false);
        }
        return;
    }
    if (!scan->Finished()) {
        if (scan->Total() > 0) {
            parts.status.SetProgress("plug-ins", wxString::Format("Examining plug-ins: %zu of %zu",
                                                                  scan->Done(), scan->Total()));
        }
        return;
    }
    FinishScan();
}

void PluginCatalogController::WaitForScan() {
    if (awaitsWindow) {
        StartScan(false);
    }
    if (scan != nullptr) {
        FinishScan();
    }
}

void PluginCatalogController::FinishScan() {
    scanTimer.Stop();
    std::vector<PluginInfo> catalogue = scan->Take();
    scan.reset();
    size_t failed = 0;
    for (const PluginInfo& info : catalogue) {
        failed += info.ok ? 0 : 1;
    }
    parts.host.SetCatalog(std::move(catalogue));
    FillMenu();
    parts.status.SetProgress("plug-ins", wxString());
    if (failed > 0) {
        parts.status.ShowMessage("plug-ins",
                                 wxString::Format("%zu plug-in(s) failed their examination: see "
                                                  "VST Plugins > Choose Plug-in...",
                                                  failed),
                                 StatusLine::Priority::kWarning);
    } else {
        parts.status.WithdrawMessage("plug-ins");
    }
}

void PluginCatalogController::FillMenu() {
    wxMenu& menu = parts.pluginMenu;
    while (menu.GetMenuItemCount() > fixedItems) {
        menu.Destroy(menu.FindItemByPosition(fixedItems));
    }
    AppendPluginMenus(&menu, parts.host.Catalog(), cmd::kFirstPlugin, cmd::kLastPlugin);
}

void PluginCatalogController::ShowChooser() {
    PluginChooser chooser(&parts.frame, parts.host.Catalog(),
                          [this](size_t index) { return Retry(index); });
    if (chooser.ShowModal() == wxID_OK && chooser.Chosen() >= 0) {
        parts.effects.ChooseFromCatalogue(chooser.Chosen());
    }
}

bool PluginCatalogController::Retry(size_t index) {
    std::vector<PluginInfo> catalogue = parts.host.Catalog();
    if (index >= catalogue.size()) {
        return false;
    }
    wxBusyCursor busy;
    PluginScanner scanner(InstalledScanSettings(true));
    const bool runInProcess = catalogue[index].runInProcess;
    catalogue[index] = scanner.Examine(catalogue[index].path);
    catalogue[index].runInProcess = runInProcess;
    const bool ok = catalogue[index].ok;
    PluginScanner::WriteCache(plugin_paths::CacheFile(), catalogue);
    parts.host.SetCatalog(std::move(catalogue));
    FillMenu();
    return ok;
}

bool PluginCatalogController::RoutePluginRange(wxEvent& event) {
    const int id = event.GetId();
    if (id < cmd::kFirstPlugin || id > cmd::kLastPlugin) {
        return false;
    }
    const int index = id - cmd::kFirstPlugin;
    if (event.GetEventType() == wxEVT_MENU) {
        parts.effects.ChooseFromCatalogue(index);
    } else {
        auto& update = static_cast<wxUpdateUIEvent&>(event);
        update.Enable(true);
        const char* path = parts.host.PluginPath(index);
        update.Check(path != nullptr && parts.host.Chain().IndexOfPath(path) >= 0);
    }
    return true;
}
