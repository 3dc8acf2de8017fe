// The main window: construction and layout, command routing, and the window commands; the
// controllers carry the rest.

#include "app/CMainFrame.h"

#include <wx/menu.h>
#include <wx/statusbr.h>

#include "app/AboutDialog.h"
#include "app/ApplyToSelection.h"
#include "app/EffectsController.h"
#include "app/KeyboardDialog.h"
#include "app/LevelsPane.h"
#include "app/LoudnessDialog.h"
#include "app/PluginCatalogController.h"
#include "app/RecentFilesController.h"
#include "app/StatusController.h"
#include "app/StatusLine.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginScanner.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "resources/Strings.h"
#include "resources/ToolbarImages.h"
#include "view/WaveformPanel.h"
#include "view/WaveformView.h"

namespace {

// The player's buffers are the host's blocks: one block size for both, and for the renderer.
constexpr uint32_t kBlockBytes = PluginHost::kBlockBytes;
constexpr uint32_t kSampleRate = WaveFile::kDefaultSampleRate;  // until a workspace sets one

// The entry's text with its shortcut from the key table after a tab, which the menu shows as
// GTK does and carries as its accelerator.
wxString MenuLabel(const menu::Entry& entry) {
    return wxString::FromUTF8(menu::MenuText(entry));
}

bool HasCtrlOrAlt(int flags) {
    return (flags & (wxACCEL_CTRL | wxACCEL_ALT)) != 0;
}

int AccelFlagsOf(const wxKeyEvent& event) {
    return (event.ControlDown() ? wxACCEL_CTRL : 0) | (event.AltDown() ? wxACCEL_ALT : 0) |
           (event.ShiftDown() ? wxACCEL_SHIFT : 0);
}

void AppendEntries(wxMenu* menu, const std::vector<menu::Entry>& entries) {
    for (const menu::Entry& e : entries) {
        switch (e.kind) {
            case menu::Kind::kSeparator:
                menu->AppendSeparator();
                break;
            case menu::Kind::kSubmenu: {
                auto* sub = new wxMenu;
                AppendEntries(sub, e.children);
                menu->AppendSubMenu(sub, MenuLabel(e));
                break;
            }
            case menu::Kind::kItem:
            case menu::Kind::kCheck:
                menu->Append(menu::MenuItemId(e.id), MenuLabel(e),
                             wxString::FromUTF8(menu::StatusText(e.id)),
                             e.kind == menu::Kind::kCheck ? wxITEM_CHECK : wxITEM_NORMAL);
                break;
        }
    }
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CMainFrame, wxFrame)
    EVT_MENU(cmd::kExit, CMainFrame::OnExit)
    EVT_MENU(cmd::kToggleEditBar, CMainFrame::OnToggleToolBar)
    EVT_MENU(cmd::kToggleNavigationBar, CMainFrame::OnToggleToolBar)
    EVT_MENU(cmd::kToggleZoomBar, CMainFrame::OnToggleToolBar)
    EVT_MENU(cmd::kAbout, CMainFrame::OnAbout)
    EVT_MENU(cmd::kKeyboardHelp, CMainFrame::OnKeyboardHelp)

    EVT_UPDATE_UI(cmd::kToggleEditBar, CMainFrame::OnUpdateToggleToolBar)
    EVT_UPDATE_UI(cmd::kToggleNavigationBar, CMainFrame::OnUpdateToggleToolBar)
    EVT_UPDATE_UI(cmd::kToggleZoomBar, CMainFrame::OnUpdateToggleToolBar)

    EVT_SET_FOCUS(CMainFrame::OnSetFocus)
    EVT_CHAR_HOOK(CMainFrame::OnCharHook)
wxEND_EVENT_TABLE()
    // clang-format on

    FrameModel::FrameModel(platform::AudioOutput& audio)
    : host(std::make_unique<PluginHost>(&workspace)),
      player(std::make_unique<WavePlayer>(host.get(), audio)) {}

HostMessageBoxes::HostMessageBoxes(PluginHost& host, wxWindow* parent)
    : host(host), parent(parent) {
    host.SetMessages(this);
}

HostMessageBoxes::~HostMessageBoxes() {
    host.SetMessages(nullptr);
}

void HostMessageBoxes::ShowMessage(uint32_t stringId) {
    platform::ShowMessageBox(
        parent, {str::Text(stringId), str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                 platform::MessageIcon::kError});
}

CMainFrame::CMainFrame(const Services& frameServices)
    : FrameModel(frameServices.audio),
      services(frameServices),
      hostMessages(*host, this),
      playbackPatience(*player, this) {
    const bool soundEnabled = TransportController::OpenSoundDevice(*player, this);
    // The catalogue holds real paths; relative names still mean "vstplugs/".
    host->Configure(kSampleRate, kBlockBytes, PluginHost::DefaultPluginDirectory());
    CreateWindows();
    transport = std::make_unique<TransportController>(
        *this, TransportController::Parts{*player, *host, workspace, *view}, soundEnabled);
    effects = std::make_unique<EffectsController>(EffectsController::Parts{
        *this, *host, *editors, services.fileDialogs, docking,
        [this] {
            if (catalogue != nullptr) {
                catalogue->ShowChooser();
            }
        },
        [this] {
            if (sessions != nullptr) {
                sessions->EffectsChanged();
            }
        },
        [this](const wxString& text) {
            if (text.empty()) {
                WithdrawStatusMessage("effects");
            } else {
                ShowStatusMessage("effects", text, StatusLine::Priority::kWarning);
            }
        }});
    levels = std::make_unique<LevelsController>(*this, docking, *player);
    loudness = std::make_unique<LoudnessController>(*this, *view);
    docking.Update();
    catalogue = std::make_unique<PluginCatalogController>(
        PluginCatalogController::Parts{*this, *host, *pluginMenu, *status, *view, *effects});
    sessions = std::make_unique<SessionController>(SessionController::Parts{
        *this, session, *host, *player, services.fileDialogs, *view, *waveFilesMenu, *status,
        *transport, [this] { return effects->Capture(); },
        [this](const std::vector<EffectRecord>& records) { effects->Restore(records); }});
    recentFiles = std::make_unique<RecentFilesController>(
        RecentFilesController::Parts{*this, *sessions, *openRecentMenu});
    fileDrop = new FileDropTarget(
        [this](const std::vector<wxString>& paths) { recentFiles->Open(paths); });
    SetDropTarget(fileDrop);
    // Apply to Selection renders into a file the session owns; the effects it applied are
    // bypassed afterwards, so that they are not heard twice.
    view->ApplyEffectsWith(
        [this](uint32_t first, uint32_t count) {
            return RenderSelectionForApply(this, session, *host, first, count);
        },
        [this] {
            size_t bypassed = 0;
            for (size_t i = 0; i < host->Chain().Size(); ++i) {
                if (!host->Chain().At(i).Bypassed()) {
                    effects->SetBypassed(i, true);
                    ++bypassed;
                }
            }
            status->ShowMessage("apply",
                                wxString::Format("Applied %zu effect%s to the selection; %s now "
                                                 "bypassed in the chain",
                                                 bypassed, bypassed == 1 ? "" : "s",
                                                 bypassed == 1 ? "it is" : "they are"),
                                StatusLine::Priority::kNote);
        });
    sessions->ShowWhereYouAre();
}

// The members, the windows (in the wx base) and then the model go by themselves, in that
// order; the docking manager only has to let go of the frame first.
CMainFrame::~CMainFrame() {
    docking.UnInit();
    // The last wait for the refill thread happens here, while the user can still be told
    // about an effect that does not return; the player's own destructor then finds it idle.
    player->Stop();
}

void CMainFrame::CreateWindows() {
    Create(nullptr, wxID_ANY, str::Text(str::kAppTitle), wxDefaultPosition, wxSize(1000, 640));

    auto* bar = new wxMenuBar;
    for (const menu::Entry& top : menu::MenuBar()) {
        auto* topMenu = new wxMenu;
        AppendEntries(topMenu, top.children);
        bar->Append(topMenu, MenuLabel(top));
    }
    SetMenuBar(bar);
    // Found by title: their places in the bar change as menus are added.
    pluginMenu = bar->GetMenu(bar->FindMenu("VST Plugins"));
    openRecentMenu = bar->FindItem(menu::MenuItemId(cmd::kNoRecentFiles))->GetMenu();
    // The View menu's last item.
    wxMenu* viewMenu = bar->GetMenu(bar->FindMenu("View"));
    waveFilesMenu = viewMenu->FindItemByPosition(viewMenu->GetMenuItemCount() - 1)->GetSubMenu();

    // Every shortcut a menu text names acts through its menu item; the frame's table holds
    // the window's other keys with Ctrl or Alt. The rest arrive through OnCharHook.
    std::vector<wxAcceleratorEntry> keys;
    for (const menu::Key& key : menu::Keys()) {
        if (key.route == menu::Route::kWindow && HasCtrlOrAlt(key.flags)) {
            keys.emplace_back(key.flags, key.keyCode, key.command);
        }
    }
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

    docking.SetManagedWindow(this);
    viewPanel = new WaveformPanel(this);
    view = viewPanel->View();
    view->Attach(&workspace, player.get());
    docking.AddPane(viewPanel, wxAuiPaneInfo().Name("view").CenterPane());
    CreateToolBars();
    status = std::make_unique<StatusController>(*this);
    view->ReportProgressTo([this](const std::string& text) {
        SetStatusProgress("waveform", wxString::FromUTF8(text));
    });
    docking.Update();
    editors = std::make_unique<PluginEditors>(*host, this);
    view->ShowSource(-1);
}

void CMainFrame::CreateToolBars() {
    const auto& bars = menu::ToolBars();
    for (size_t i = 0; i < bars.size(); ++i) {
        auto* toolBar = new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                         wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER);
        for (int command : bars[i].commands) {
            toolBar->AddTool(command, wxEmptyString, ToolbarImage(command),
                             wxString::FromUTF8(menu::Tooltip(command)));
            toolBar->SetToolLongHelp(command, wxString::FromUTF8(menu::StatusText(command)));
        }
        toolBar->Realize();
        docking.AddPane(toolBar, wxAuiPaneInfo()
                                     .Name(bars[i].name)
                                     .ToolbarPane()
                                     .Top()
                                     .Row(0)
                                     .Position(static_cast<int>(i))
                                     .Gripper());
        toolBars.push_back(toolBar);
    }
}

void CMainFrame::DoGiveHelp(const wxString& help, bool show) {
    if (status != nullptr) {
        status->ShowMenuHelp(help, show);
    }
}

void CMainFrame::OnCharHook(wxKeyEvent& event) {
    // Only keys typed into this window's own children: a key in a plug-in's editor window
    // (which passes its keys up here) belongs to that window.
    auto* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
    const bool ours = origin == nullptr || wxGetTopLevelParent(origin) == this;
    const bool inView = origin == view;
    const int flags = AccelFlagsOf(event);
    for (const menu::Key& key : menu::Keys()) {
        if (key.keyCode != event.GetKeyCode()) {
            continue;
        }
        // A printable key may need Shift to be typed ('+' on many layouts); any other key
        // names its modifiers exactly (Shift+Delete cuts, Shift+Left extends).
        const bool printable = key.keyCode >= WXK_SPACE && key.keyCode < WXK_DELETE;
        const bool modifiersMatch =
            key.flags == flags || (printable && key.flags == 0 && flags == wxACCEL_SHIFT);
        const bool windowKey =
            key.route == menu::Route::kWindow && !HasCtrlOrAlt(key.flags) && ours && modifiersMatch;
        const bool viewKey = key.route == menu::Route::kView && inView && key.flags == flags;
        if (windowKey || viewKey) {
            wxCommandEvent command(wxEVT_MENU, key.command);
            command.SetEventObject(this);
            ProcessWindowEvent(command);
            return;
        }
    }
    event.Skip();
}

bool CMainFrame::TryBefore(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_MENU || type == wxEVT_UPDATE_UI) {
        if (dynamic_cast<wxMenu*>(event.GetEventObject()) != nullptr) {
            event.SetId(menu::CommandOfMenuItem(event.GetId()));
        }
        // A menu item's state may be stale (GTK updates menus only when they open), so a
        // command from a shortcut is checked against its rule once more before it runs.
        if (type == wxEVT_MENU && !IsCommandEnabled(event.GetId())) {
            return true;
        }
        if (catalogue != nullptr && catalogue->RoutePluginRange(event)) {
            return true;
        }
        // The view has the first claim on every command it maps (edit, zoom, sources); an
        // edit command runs there as one undoable step.
        if (view != nullptr && !routing && event.GetEventObject() != view) {
            if (sessions != nullptr &&
                sessions->RunAsEditStep(event, [&] { return OfferToView(event); })) {
                return true;
            }
            if (OfferToView(event)) {
                return true;
            }
        }
    }
    return wxFrame::TryBefore(event);
}

bool CMainFrame::OfferToView(wxEvent& event) {
    routing = true;
    const bool handled = view->ProcessWindowEventLocally(event);
    routing = false;
    return handled;
}

bool CMainFrame::IsCommandEnabled(int id) {
    wxUpdateUIEvent update(id);
    update.SetEventObject(this);
    ProcessWindowEvent(update);
    return !update.GetSetEnabled() || update.GetEnabled();
}

void CMainFrame::OnExit(wxCommandEvent&) {
    Close();  // OnClose asks about unsaved changes
}

wxAuiToolBar* CMainFrame::ToolBarOf(int toggleCommand) const {
    switch (toggleCommand) {
        case cmd::kToggleEditBar:
            return toolBars[0];
        case cmd::kToggleNavigationBar:
            return toolBars[1];
        default:
            return toolBars[2];
    }
}

void CMainFrame::OnToggleToolBar(wxCommandEvent& event) {
    wxAuiPaneInfo& pane = docking.GetPane(ToolBarOf(event.GetId()));
    pane.Show(!pane.IsShown());
    ArrangeToolBars();
}

// Visible bars sit side by side from the left: a hidden one leaves no gap.
void CMainFrame::ArrangeToolBars() {
    int position = 0;
    for (wxAuiToolBar* toolBar : toolBars) {
        wxAuiPaneInfo& pane = docking.GetPane(toolBar);
        if (pane.IsShown() && pane.IsDocked()) {
            pane.Position(position++);
        }
    }
    docking.Update();
}

void CMainFrame::OnUpdateToggleToolBar(wxUpdateUIEvent& event) {
    event.Check(docking.GetPane(ToolBarOf(event.GetId())).IsShown());
}

void CMainFrame::OnAbout(wxCommandEvent&) {
    AboutDialog about(this);
    about.ShowModal();
}

void CMainFrame::OnKeyboardHelp(wxCommandEvent&) {
    KeyboardDialog keys(this);
    keys.ShowModal();
}

void CMainFrame::OnSetFocus(wxFocusEvent&) {
    if (view != nullptr) {
        view->SetFocus();
    }
}

int CMainFrame::SelectedPlugin() const {
    return effects->ChosenEntry();
}

void CMainFrame::WaitForPluginScan() {
    catalogue->WaitForScan();
}

bool CMainFrame::IsScanningPlugins() const {
    return catalogue->IsScanning();
}

void CMainFrame::ChoosePlugin(int index) {
    effects->ChooseFromCatalogue(index);
}
