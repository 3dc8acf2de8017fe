#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <cstddef>
#include <memory>

class BackgroundScan;
class EffectsController;
class PluginHost;
class StatusController;
class WaveformView;
class wxFrame;
class wxMenu;

/// The catalogue of plug-ins as the window offers it: the scan (started once the window has
/// been drawn, on a thread of its own, its progress in the status bar), the "VST Plugins"
/// menu's maker submenus, "Choose Plug-in..." with Retry, and "Rescan Plug-ins". Choosing
/// hands the catalogue entry to the effects controller, which adds it to the chain.
///
///     PluginCatalogController catalogue({frame, host, pluginMenu, status, view, effects});
///     catalogue.WaitForScan();  // as the scan's timer would, once it has ended
///
/// Everything runs on the user-interface thread; the parts outlive it.
class PluginCatalogController : public wxEvtHandler {
public:
    struct Parts {
        wxFrame& frame;  // carries the commands, parents the chooser
        PluginHost& host;
        wxMenu& pluginMenu;  // "VST Plugins": its fixed items, then the maker submenus
        StatusController& status;
        WaveformView& view;  // its first paint starts the scan
        EffectsController& effects;
    };

    explicit PluginCatalogController(const Parts& parts);
    ~PluginCatalogController() override;
    PluginCatalogController(const PluginCatalogController&) = delete;
    PluginCatalogController& operator=(const PluginCatalogController&) = delete;

    /// Waits for a running or still awaited scan to end and fills the menu from it.
    void WaitForScan();
    bool IsScanning() const { return scan != nullptr || awaitsWindow; }

    /// Offers a command of the plug-in items' range: chosen, or brought up to date (checked
    /// while its effect is in the chain). False for any other command.
    bool RoutePluginRange(wxEvent& event);

    /// "Choose Plug-in...": the chooser, then the chosen entry to the chain.
    void ShowChooser();

private:
    void StartScan(bool rescan);
    void FinishScan();
    void FillMenu();
    bool Retry(size_t index);
    void OnFirstViewPaint(wxPaintEvent& event);
    void OnScanTimer(wxTimerEvent& event);

    Parts parts;
    std::unique_ptr<BackgroundScan> scan;  // while it runs
    bool awaitsWindow = true;              // the start-up scan waits for the first paint
    size_t fixedItems = 0;                 // the menu's items before the maker submenus
    wxTimer scanTimer;
};
