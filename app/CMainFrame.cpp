// The main window: construction and layout, command routing, and the file and window
// commands. The transport and plug-in commands are in MainFrameTransport.cpp.

#include "app/CMainFrame.h"

#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <algorithm>
#include <filesystem>

#include "app/AboutDialog.h"
#include "app/OpenMessages.h"
#include "platform/SessionStorage.h"
#include "platform/gui/FileChooser.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginScanner.h"
#include "plugins/editor/PluginEditors.h"
#include "render/RenderDialog.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "resources/Strings.h"
#include "resources/ToolbarImages.h"
#include "view/TimeScale.h"
#include "view/WaveformPanel.h"
#include "view/WaveformView.h"

namespace {

constexpr int kReadoutPanes = 5;  // start, end, length, total, rate
constexpr int kLockKeyPanes = 3;
constexpr int kLockKeysTimerId = 1;
constexpr int kRecoveryTimerId = 2;
constexpr int kScanTimerId = 3;
constexpr int kStatusTimerId = 4;
constexpr int kStatusTimerMilliseconds = 1000;
constexpr int kScanStartLatestMilliseconds = 1000;
constexpr int kMaxListedFiles = cmd::kLastWaveFile - cmd::kFirstWaveFile + 1;

// wx reads the shortcut after the tab only without spaces; the menu shows it as GTK does.
wxString MenuLabel(const char* text) {
    wxString label = wxString::FromUTF8(text);
    const int tab = label.Find('\t');
    if (tab != wxNOT_FOUND) {
        wxString shortcut = label.Mid(tab + 1);
        shortcut.Replace(" ", "");
        label = label.Left(tab) + "\t" + shortcut;
    }
    return label;
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
                menu->AppendSubMenu(sub, MenuLabel(e.text));
                break;
            }
            case menu::Kind::kItem:
            case menu::Kind::kCheck:
                menu->Append(menu::MenuItemId(e.id), MenuLabel(e.text),
                             wxString::FromUTF8(menu::StatusText(e.id)),
                             e.kind == menu::Kind::kCheck ? wxITEM_CHECK : wxITEM_NORMAL);
                break;
        }
    }
}

bool MenuHasShortcut(const wxMenu* menu, int flags, int keyCode) {
    for (const wxMenuItem* item : menu->GetMenuItems()) {
        if (item->IsSubMenu()) {
            if (MenuHasShortcut(item->GetSubMenu(), flags, keyCode)) {
                return true;
            }
            continue;
        }
        std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
        if (accel && accel->GetFlags() == flags && accel->GetKeyCode() == keyCode) {
            return true;
        }
    }
    return false;
}

bool MenuHasShortcut(const wxMenuBar* bar, int flags, int keyCode) {
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
        if (MenuHasShortcut(bar->GetMenu(i), flags, keyCode)) {
            return true;
        }
    }
    return false;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CMainFrame, wxFrame)
    EVT_MENU(cmd::kNew, CMainFrame::OnNew)
    EVT_MENU(cmd::kOpenSession, CMainFrame::OnOpenSession)
    EVT_MENU(cmd::kSaveSession, CMainFrame::OnSaveSession)
    EVT_MENU(cmd::kUndo, CMainFrame::OnUndo)
    EVT_MENU(cmd::kRedo, CMainFrame::OnRedo)
    EVT_MENU(cmd::kSelectAll, CMainFrame::OnSelectAll)
    EVT_CLOSE(CMainFrame::OnClose)
    EVT_MENU(cmd::kLoadWave, CMainFrame::OnLoadWave)
    EVT_MENU(cmd::kCloseWave, CMainFrame::OnCloseWave)
    EVT_MENU(cmd::kRenderToFile, CMainFrame::OnRenderToFile)
    EVT_MENU(cmd::kExit, CMainFrame::OnExit)
    EVT_MENU(cmd::kToggleEditBar, CMainFrame::OnToggleToolBar)
    EVT_MENU(cmd::kToggleNavigationBar, CMainFrame::OnToggleToolBar)
    EVT_MENU(cmd::kToggleZoomBar, CMainFrame::OnToggleToolBar)
    EVT_MENU(cmd::kToggleStatusBar, CMainFrame::OnToggleStatusBar)
    EVT_MENU(cmd::kAbout, CMainFrame::OnAbout)
    EVT_MENU(cmd::kPlay, CMainFrame::OnPlay)
    EVT_MENU(cmd::kStop, CMainFrame::OnStop)
    EVT_MENU(cmd::kPause, CMainFrame::OnPause)
    EVT_MENU(cmd::kEditPlugin, CMainFrame::OnEditPlugin)
    EVT_MENU(cmd::kRemovePlugin, CMainFrame::OnRemovePlugin)
    EVT_MENU(cmd::kChoosePlugin, CMainFrame::OnChoosePlugin)
    EVT_MENU(cmd::kRescanPlugins, CMainFrame::OnRescanPlugins)

    EVT_UPDATE_UI(cmd::kCloseWave, CMainFrame::OnUpdateCloseWave)
    EVT_UPDATE_UI(cmd::kNoFilesLoaded, CMainFrame::OnUpdateDisabled)
    EVT_UPDATE_UI(cmd::kUndo, CMainFrame::OnUpdateUndoRedo)
    EVT_UPDATE_UI(cmd::kRedo, CMainFrame::OnUpdateUndoRedo)
    EVT_UPDATE_UI(cmd::kSelectAll, CMainFrame::OnUpdateSelectAll)
    EVT_UPDATE_UI(cmd::kNextPane, CMainFrame::OnUpdateDisabled)
    EVT_UPDATE_UI(cmd::kPrevPane, CMainFrame::OnUpdateDisabled)
    EVT_UPDATE_UI(cmd::kRenderToFile, CMainFrame::OnUpdateRenderToFile)
    EVT_UPDATE_UI(cmd::kToggleEditBar, CMainFrame::OnUpdateToggleToolBar)
    EVT_UPDATE_UI(cmd::kToggleNavigationBar, CMainFrame::OnUpdateToggleToolBar)
    EVT_UPDATE_UI(cmd::kToggleZoomBar, CMainFrame::OnUpdateToggleToolBar)
    EVT_UPDATE_UI(cmd::kToggleStatusBar, CMainFrame::OnUpdateToggleStatusBar)
    EVT_MENU(cmd::kPlayOrStop, CMainFrame::OnPlayOrStop)
    EVT_UPDATE_UI(cmd::kPlay, CMainFrame::OnUpdatePlay)
    EVT_UPDATE_UI(cmd::kPlayOrStop, CMainFrame::OnUpdatePlayOrStop)
    EVT_UPDATE_UI(cmd::kStop, CMainFrame::OnUpdateStopPause)
    EVT_UPDATE_UI(cmd::kPause, CMainFrame::OnUpdateStopPause)
    EVT_UPDATE_UI(cmd::kEditPlugin, CMainFrame::OnUpdatePluginCommands)
    EVT_UPDATE_UI(cmd::kRemovePlugin, CMainFrame::OnUpdatePluginCommands)
    EVT_UPDATE_UI(cmd::kRescanPlugins, CMainFrame::OnUpdateRescanPlugins)
    EVT_UPDATE_UI(cmd::kChoosePlugin, CMainFrame::OnUpdateRescanPlugins)

    EVT_SET_FOCUS(CMainFrame::OnSetFocus)
    EVT_TIMER(kLockKeysTimerId, CMainFrame::OnLockKeysTimer)
    EVT_TIMER(kRecoveryTimerId, CMainFrame::OnRecoveryTimer)
    EVT_TIMER(kScanTimerId, CMainFrame::OnScanTimer)
    EVT_TIMER(kStatusTimerId, CMainFrame::OnStatusTimer)
    EVT_CHAR_HOOK(CMainFrame::OnCharHook)
    EVT_COMMAND(wxID_ANY, EVT_WAVEFORM_VIEW_CHANGED, CMainFrame::OnViewChanged)
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
      playbackPatience(*player, this),
      recovery(platform::StateDirectory(),
               [this](const std::string& failure) {
                   // From the writer's thread: handled on the user-interface thread.
                   CallAfter([this, failure] { OnRecoveryWritten(failure); });
               }),
      lockKeysTimer(this, kLockKeysTimerId),
      recoveryTimer(this, kRecoveryTimerId),
      scanTimer(this, kScanTimerId),
      statusTimer(this, kStatusTimerId) {
    OpenSoundDevice();
    PreparePlugins();
    CreateWindows();
    ShowWhereYouAre();
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
        bar->Append(topMenu, MenuLabel(top.text));
    }
    SetMenuBar(bar);
    pluginMenu = bar->GetMenu(2);
    waveFilesMenu = bar->GetMenu(3)->FindItemByPosition(5)->GetSubMenu();

    // Every shortcut a menu text names acts through its menu item; the frame's table holds
    // the other keys of the accelerator table.
    std::vector<wxAcceleratorEntry> keys;
    for (const menu::Accelerator& a : menu::Accelerators()) {
        if (!MenuHasShortcut(bar, a.flags, a.keyCode)) {
            keys.emplace_back(a.flags, a.keyCode, a.command);
        }
    }
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));
    // Single keys (menu::PlainKeys) arrive through OnCharHook: no accelerator sees them.

    docking.SetManagedWindow(this);
    viewPanel = new WaveformPanel(this);
    view = viewPanel->View();
    view->Attach(&workspace, player.get());
    docking.AddPane(viewPanel, wxAuiPaneInfo().Name("view").CenterPane());
    CreateToolBars();
    CreateStatusBarPanes();
    docking.Update();
    editors = std::make_unique<PluginEditors>(*host, this);
    fixedPluginItems = pluginMenu->GetMenuItemCount();
    // The start-up scan begins once the window has been painted: a first scan runs a
    // process per library, which would otherwise compete with the window for the processor.
    // The timer starts it anyway should no paint come (a window started minimised).
    scanAwaitsWindow = true;
    view->Bind(wxEVT_PAINT, &CMainFrame::OnFirstViewPaint, this);
    scanTimer.StartOnce(kScanStartLatestMilliseconds);
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

void CMainFrame::CreateStatusBarPanes() {
    constexpr int kPanes = 1 + kReadoutPanes + kLockKeyPanes;
    // The bar's own tips (for cut-off panes) would refuse the readouts' tooltip.
    CreateStatusBar(kPanes, wxSTB_DEFAULT_STYLE & ~wxSTB_SHOW_TIPS);
    int widths[kPanes] = {-1, 135, 120, 145, 125, 70, 36, 36, 36};
    // Those widths suit a small font. With the desktop's own a pane grows to hold the longest
    // text it shows (hours of audio) whole.
    const wxString longest[kReadoutPanes] = {"Insertion 00:00:00.000", "End 00:00:00.000",
                                             "Length 00:00:00.000", "Total 00:00:00.000",
                                             "192000 Hz"};
    wxStatusBar* statusBar = GetStatusBar();
    for (int i = 0; i < kReadoutPanes; ++i) {
        const int needed = statusBar->GetTextExtent(longest[i]).x + 4 * statusBar->GetBorderX();
        widths[1 + i] = std::max(widths[1 + i], needed);
    }
    SetStatusWidths(kPanes, widths);
    status.SetPrompt(str::Text(str::kReady));
    ShowStatusLine();
    statusBar->Bind(wxEVT_MOTION, &CMainFrame::OnStatusBarMotion, this);
    view->ReportProgressTo([this](const std::string& text) {
        SetStatusProgress("waveform", wxString::FromUTF8(text));
    });
    lockKeysTimer.Start(250);
}

void CMainFrame::ShowStatusMessage(const std::string& topic, const wxString& text,
                                   StatusLine::Priority priority) {
    status.Post(topic, text.utf8_string(), priority, StatusLine::Clock::now());
    if (status.HasExpiring() && !statusTimer.IsRunning()) {
        statusTimer.Start(kStatusTimerMilliseconds);
    }
    ShowStatusLine();
}

void CMainFrame::WithdrawStatusMessage(const std::string& topic) {
    status.Withdraw(topic);
    ShowStatusLine();
}

void CMainFrame::SetStatusProgress(const std::string& topic, const wxString& text) {
    status.SetProgress(topic, text.utf8_string());
    ShowStatusLine();
}

void CMainFrame::OnStatusTimer(wxTimerEvent&) {
    if (status.Expire(StatusLine::Clock::now())) {
        ShowStatusLine();
    }
    if (!status.HasExpiring()) {
        statusTimer.Stop();
    }
}

void CMainFrame::ShowStatusLine() {
    wxStatusBar* statusBar = GetStatusBar();
    if (statusBar == nullptr) {
        return;
    }
    const wxString text = !menuHelp.empty() ? menuHelp : wxString::FromUTF8(status.Text());
    if (statusBar->GetStatusText(0) != text) {
        SetStatusText(text, 0);
    }
    ShowStatusTip();
}

void CMainFrame::ShowStatusTip() {
    wxStatusBar* statusBar = GetStatusBar();
    const wxString tip = tipOverFirstPane ? wxString::FromUTF8(status.FullText()) : readoutsTip;
    if (statusBar != nullptr && statusBar->GetToolTipText() != tip) {
        statusBar->SetToolTip(tip);
    }
}

void CMainFrame::OnStatusBarMotion(wxMouseEvent& event) {
    wxRect first;
    tipOverFirstPane =
        GetStatusBar()->GetFieldRect(0, first) && event.GetPosition().x < first.GetRight();
    ShowStatusTip();
    event.Skip();
}

void CMainFrame::DoGiveHelp(const wxString& help, bool show) {
    menuHelp = show ? help : wxString();
    ShowStatusLine();
}

void CMainFrame::OnLockKeysTimer(wxTimerEvent&) {
    const struct {
        wxKeyCode key;
        const char* text;
    } locks[] = {{WXK_CAPITAL, "CAP"}, {WXK_NUMLOCK, "NUM"}, {WXK_SCROLL, "SCRL"}};
    for (int i = 0; i < kLockKeyPanes; ++i) {
        const wxString text = wxGetKeyState(locks[i].key) ? locks[i].text : "";
        const int pane = 1 + kReadoutPanes + i;
        if (GetStatusBar() != nullptr && GetStatusBar()->GetStatusText(pane) != text) {
            SetStatusText(text, pane);
        }
    }
}

void CMainFrame::OnCharHook(wxKeyEvent& event) {
    // Only keys typed into this window's own children: a key in a plug-in's editor window
    // (which passes its keys up here) belongs to that window.
    auto* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
    const bool ours = origin == nullptr || wxGetTopLevelParent(origin) == this;
    // Shift may be part of the key ('+' on many layouts); other modifiers make it another key.
    if (ours && (event.GetModifiers() & ~wxMOD_SHIFT) == 0) {
        for (const menu::PlainKey& key : menu::PlainKeys()) {
            if (key.keyCode == event.GetKeyCode()) {
                wxCommandEvent command(wxEVT_MENU, key.command);
                command.SetEventObject(this);
                ProcessWindowEvent(command);
                return;
            }
        }
    }
    event.Skip();
}

void CMainFrame::OnViewChanged(wxCommandEvent&) {
    ShowWhereYouAre();
}

void CMainFrame::ShowWhereYouAre() {
    if (view == nullptr) {
        return;  // the view is still being made
    }
    // The session, marked while it has unsaved changes, then what the view shows.
    const wxString dash = wxString::FromUTF8(" \u2014 ");
    const wxString title = (session.IsModified() ? "*" : "") + wxString::FromUTF8(session.Name()) +
                           dash + view->ShownSourceName() + dash + str::Text(str::kAppTitle);
    if (GetTitle() != title) {
        SetTitle(title);
    }
    wxStatusBar* statusBar = GetStatusBar();
    if (statusBar == nullptr) {
        return;
    }
    const bool audio = !workspace.IsEmpty();
    const time_scale::Readouts r = time_scale::MakeReadouts(
        view->SelectionStart(), view->SelectionLength(), view->SourceLength(), view->SampleRate());
    const std::string texts[kReadoutPanes] = {r.start, r.end, r.length, r.total, r.rate};
    for (int i = 0; i < kReadoutPanes; ++i) {
        const wxString text = audio ? wxString::FromUTF8(texts[i]) : wxString();
        if (statusBar->GetStatusText(1 + i) != text) {
            SetStatusText(text, 1 + i);
        }
    }
    readoutsTip = audio ? wxString::FromUTF8(r.frames) : wxString();
    const wxString prompt = view->IsWorkspaceShown() || !audio ? str::Text(str::kReady)
                                                               : str::Text(str::kFileShownAlone);
    status.SetPrompt(prompt.utf8_string());
    ShowStatusLine();
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
        if (RoutePluginRange(event)) {
            return true;
        }
        if (RouteEditToView(event)) {
            return true;
        }
        // The view has the first claim on every command it maps (edit, zoom, sources).
        if (view != nullptr && !routing && event.GetEventObject() != view) {
            routing = true;
            const bool handled = view->ProcessWindowEventLocally(event);
            routing = false;
            if (handled) {
                return true;
            }
        }
    }
    return wxFrame::TryBefore(event);
}

bool CMainFrame::IsCommandEnabled(int id) {
    wxUpdateUIEvent update(id);
    update.SetEventObject(this);
    ProcessWindowEvent(update);
    return !update.GetSetEnabled() || update.GetEnabled();
}

void CMainFrame::OnNew(wxCommandEvent&) {
    if (!ConfirmDiscardChanges()) {
        return;
    }
    player->Stop();
    session.New();
    view->ShowSource(-1);
    AfterWorkspaceChange(true);
    Refresh(true);
}

void CMainFrame::OnLoadWave(wxCommandEvent&) {
    view->SuppressNextDrag();
    wxString path;
    wxString name;
    if (services.fileDialogs.ChooseWaveToOpen(this, path, name)) {
        LoadWave(path, name);
    }
}

bool CMainFrame::LoadWave(const wxString& path, const wxString& name) {
    OpenRefusals refused;
    session.BeginEdit("Load Wave", ViewSelection());
    const bool added = AddWave(path, name, refused);
    session.EndEdit(ViewSelection());
    if (!refused.IsEmpty()) {
        platform::ShowMessageBox(
            this, {refused.Text(), str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
    }
    return added;
}

void CMainFrame::LoadWaves(const std::vector<wxString>& paths) {
    OpenRefusals refused;
    for (const wxString& path : paths) {
        AddWave(path, wxFileName(path).GetFullName(), refused);
    }
    if (!refused.IsEmpty()) {
        platform::ShowMessageBox(
            this, {refused.Text(), str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
    }
}

bool CMainFrame::AddWave(const wxString& path, const wxString&, OpenRefusals& refused) {
    std::string why;
    const bool seedsWorkspace = workspace.IsEmpty();
    if (!workspace.AddFile(path.fn_str(), &why)) {
        refused.Add(path, wxString::FromUTF8(why));
        return false;
    }
    AfterWorkspaceChange(true);
    // The file that seeds an empty workspace is shown as the workspace, ready for editing;
    // a file opened later is shown alone, beside the workspace it leaves unchanged.
    const int index = static_cast<int>(workspace.FileCount()) - 1;
    if (seedsWorkspace) {
        view->ShowSource(-1);
    } else if (index < kMaxListedFiles) {
        view->ShowSource(index);
    }
    const WaveFile* added = workspace.File(static_cast<uint32_t>(workspace.FileCount() - 1));
    if (added->IsCutAtFrameLimit()) {
        platform::ShowMessageBox(this, {FrameLimitText(path, added->FramesInFile(),
                                                       added->FrameCount(), added->SampleRate()),
                                        str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                                        platform::MessageIcon::kWarning});
    }
    return true;
}

void CMainFrame::OnCloseWave(wxCommandEvent&) {
    const int index = view->ShownFile();
    if (index < 0) {
        return;
    }
    const wxString name = view->ShownSourceName();
    if (workspace.IsFileUsed(static_cast<uint32_t>(index))) {
        platform::ShowMessageBox(
            this, {wxString::Format("\"%s\" stays open: the workspace or the clipboard holds "
                                    "frames of it.",
                                    name),
                   str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kInformation});
        return;
    }
    player->Stop();  // it may be playing this file, whose place in the list is about to go
    host->SetSource(-1);
    session.BeginEdit("Close Wave", ViewSelection());
    workspace.CloseFile(static_cast<uint32_t>(index));
    session.EndEdit(ViewSelection());
    // The later files moved up one place: the menu is listed afresh from the workspace.
    AfterWorkspaceChange(true);
    view->ShowSource(-1);
}

void CMainFrame::RebuildWaveFilesMenu() {
    while (waveFilesMenu->GetMenuItemCount() > 0) {
        waveFilesMenu->Destroy(
            waveFilesMenu->FindItemByPosition(waveFilesMenu->GetMenuItemCount() - 1));
    }
    if (workspace.FileCount() == 0) {
        waveFilesMenu->Append(menu::MenuItemId(cmd::kNoFilesLoaded), "No files loaded");
    }
    for (uint32_t i = 0; i < workspace.FileCount(); ++i) {
        const wxString fileName = wxString::FromUTF8(
            std::filesystem::path(workspace.File(i)->Path()).filename().string());
        if (int(i) < kMaxListedFiles) {
            waveFilesMenu->AppendCheckItem(cmd::kFirstWaveFile + int(i), fileName);
        } else {
            // Past the id range the file is open but cannot be chosen from the menu.
            waveFilesMenu->Append(wxID_ANY, fileName)->Enable(false);
        }
    }
}

void CMainFrame::OnUpdateCloseWave(wxUpdateUIEvent& event) {
    event.Enable(view->ShownFile() >= 0);
}

void CMainFrame::OnExit(wxCommandEvent&) {
    Close();  // OnClose asks about unsaved changes
}

void CMainFrame::OnUpdateDisabled(wxUpdateUIEvent& event) {
    event.Enable(false);
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

void CMainFrame::OnToggleStatusBar(wxCommandEvent&) {
    wxStatusBar* statusBar = GetStatusBar();
    statusBar->Show(!statusBar->IsShown());
    SendSizeEvent();
}

void CMainFrame::OnUpdateToggleStatusBar(wxUpdateUIEvent& event) {
    event.Check(GetStatusBar() != nullptr && GetStatusBar()->IsShown());
}

void CMainFrame::OnAbout(wxCommandEvent&) {
    AboutDialog about(this);
    about.ShowModal();
}

void CMainFrame::OnRenderToFile(wxCommandEvent&) {
    RenderDialog dialog(this, services.fileDialogs);
    dialog.Attach(host.get(), &workspace, session.Path());
    player->Stop();         // the render reads the workspace and runs the effect on this thread
    host->SetSource(-1);    // whatever was played last, the render takes the workspace
    FollowWorkspaceRate();  // and its effects run at the workspace's rate
    dialog.ShowModal();
}

void CMainFrame::OnUpdateRenderToFile(wxUpdateUIEvent& event) {
    event.Enable(workspace.TotalLength() != 0);
}

void CMainFrame::OnSetFocus(wxFocusEvent&) {
    if (view != nullptr) {
        view->SetFocus();
    }
}
