#include "app/SessionController.h"

#include <wx/datetime.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <filesystem>

#include "app/OpenMessages.h"
#include "app/RecentFilesController.h"
#include "app/StatusController.h"
#include "app/TransportController.h"
#include "platform/SessionStorage.h"
#include "platform/gui/FileChooser.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "render/RenderDialog.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "resources/Strings.h"
#include "view/RateConversionDialog.h"
#include "view/TimeScale.h"
#include "view/WaveformView.h"

namespace {

constexpr int kRecoveryIntervalMs = 30'000;
constexpr int kMaxListedFiles = cmd::kLastWaveFile - cmd::kFirstWaveFile + 1;

// The name an edit command gives its step in the Undo and Redo menu texts.
const char* ActionOf(int command) {
    switch (command) {
        case cmd::kCut:
            return "Cut";
        case cmd::kPaste:
            return "Paste";
        case cmd::kDelete:
            return "Delete";
        case cmd::kGain:
            return "Gain";
        case cmd::kNormalize:
            return "Normalize";
        case cmd::kFadeIn:
            return "Fade In";
        case cmd::kFadeOut:
            return "Fade Out";
        case cmd::kSilence:
            return "Silence";
        case cmd::kApplyToSelection:
            return "Apply to Selection";
        default:
            return nullptr;
    }
}

wxString Format(uint32_t stringId, const std::string& value) {
    return wxString::Format(wxString::FromUTF8(str::Text(stringId)), wxString::FromUTF8(value));
}

// The offer's text: whose edits, when they were kept, and what they hold.
wxString DescribeLeftBehind(const RecoveryFile::LeftBehindCopy& copy) {
    const wxString session =
        copy.SessionPath().empty()
            ? wxString("an untitled session")
            : wxString::FromUTF8(std::filesystem::path(copy.SessionPath()).filename().string());
    const wxString when =
        wxDateTime(wxLongLong(copy.WrittenNs() / 1'000'000)).Format("%Y-%m-%d %H:%M:%S");
    wxString holds;
    if (copy.Files().empty() && copy.Frames() == 0) {
        holds = "no audio";
    } else {
        holds = wxString::Format("%zu file%s (", copy.Files().size(),
                                 copy.Files().size() == 1 ? "" : "s");
        for (size_t i = 0; i < copy.Files().size(); ++i) {
            holds += (i == 0 ? "" : ", ") +
                     wxString::FromUTF8(std::filesystem::path(copy.Files()[i]).filename().string());
        }
        holds += "), length " +
                 wxString::FromUTF8(time_scale::FormatTime(copy.Frames(), copy.SampleRate()));
    }
    // The effects' settings are part of what a restore brings back.
    const std::vector<std::string>& effects = copy.EffectNames();
    if (!effects.empty()) {
        holds += wxString::Format(", through %zu effect%s (", effects.size(),
                                  effects.size() == 1 ? "" : "s");
        for (size_t i = 0; i < effects.size(); ++i) {
            holds += (i == 0 ? "" : ", ") + wxString::FromUTF8(effects[i]);
        }
        holds += ")";
    }
    return wxString::Format(wxString::FromUTF8(str::Text(str::kRestoreRecovery)), session, when,
                            holds);
}

}  // namespace

SessionController::SessionController(const Parts& parts)
    : frame(parts.frame),
      session(parts.session),
      workspace(parts.session.Edits()),
      host(parts.host),
      player(parts.player),
      fileDialogs(parts.fileDialogs),
      view(parts.view),
      waveFilesMenu(parts.waveFilesMenu),
      status(parts.status),
      transport(parts.transport),
      captureEffects(parts.captureEffects),
      restoreEffects(parts.restoreEffects),
      recovery(platform::StateDirectory(),
               [this](const std::string& failure) {
                   // From the writer's thread: handled on the user-interface thread.
                   CallAfter([this, failure] { OnRecoveryWritten(failure); });
               }),
      recoveryTimer(this) {
    Bind(wxEVT_TIMER, &SessionController::OnRecoveryTimer, this);
    // A paste from a file of another rate converts it into a file the session owns.
    view.ConvertRatesWith(
        [this](std::shared_ptr<const WaveFile> file, uint32_t first, uint32_t count) {
            return ConvertRangeForPaste(&frame, session, std::move(file), first, count);
        });
    const struct {
        int id;
        void (SessionController::*handler)(wxCommandEvent&);
    } commands[] = {
        {cmd::kNew, &SessionController::OnNew},
        {cmd::kLoadWave, &SessionController::OnLoadWave},
        {cmd::kCloseWave, &SessionController::OnCloseWave},
        {cmd::kOpenSession, &SessionController::OnOpenSession},
        {cmd::kSaveSession, &SessionController::OnSaveSession},
        {cmd::kSaveSessionAs, &SessionController::OnSaveSessionAs},
        {cmd::kRenderToFile, &SessionController::OnRenderToFile},
        {cmd::kUndo, &SessionController::OnUndo},
        {cmd::kRedo, &SessionController::OnRedo},
        {cmd::kSelectAll, &SessionController::OnSelectAll},
    };
    for (const auto& command : commands) {
        frame.Bind(wxEVT_MENU, command.handler, this, command.id);
    }
    const struct {
        int id;
        void (SessionController::*handler)(wxUpdateUIEvent&);
    } rules[] = {
        {cmd::kCloseWave, &SessionController::OnUpdateCloseWave},
        {cmd::kNoFilesLoaded, &SessionController::OnUpdateNoFilesLoaded},
        {cmd::kUndo, &SessionController::OnUpdateUndoRedo},
        {cmd::kRedo, &SessionController::OnUpdateUndoRedo},
        {cmd::kSelectAll, &SessionController::OnUpdateSelectAll},
        {cmd::kRenderToFile, &SessionController::OnUpdateRenderToFile},
    };
    for (const auto& rule : rules) {
        frame.Bind(wxEVT_UPDATE_UI, rule.handler, this, rule.id);
    }
    frame.Bind(wxEVT_CLOSE_WINDOW, &SessionController::OnClose, this);
    frame.Bind(EVT_WAVEFORM_VIEW_CHANGED, &SessionController::OnViewChanged, this);
}

void SessionController::OnNew(wxCommandEvent&) {
    if (!ConfirmDiscardChanges()) {
        return;
    }
    player.Stop();
    session.New();
    RestoreEffects();
    view.ShowSource(-1);
    AfterWorkspaceChange(true);
    frame.Refresh(true);
}

void SessionController::OnLoadWave(wxCommandEvent&) {
    view.SuppressNextDrag();
    wxString path;
    wxString name;
    if (fileDialogs.ChooseWaveToOpen(&frame, path, name)) {
        LoadWave(path, name);
    }
}

bool SessionController::LoadWave(const wxString& path, const wxString& name) {
    OpenRefusals refused;
    session.BeginEdit("Load Wave", ViewSelection());
    const bool added = AddWave(path, name, refused);
    session.EndEdit(ViewSelection());
    if (!refused.IsEmpty()) {
        ShowError(refused.Text());
    }
    return added;
}

void SessionController::LoadWaves(const std::vector<wxString>& paths) {
    OpenRefusals refused;
    for (const wxString& path : paths) {
        AddWave(path, wxFileName(path).GetFullName(), refused);
    }
    if (!refused.IsEmpty()) {
        ShowError(refused.Text());
    }
}

bool SessionController::AddWave(const wxString& path, const wxString&, OpenRefusals& refused) {
    std::string why;
    const bool seedsWorkspace = workspace.IsEmpty();
    if (!workspace.AddFile(path.fn_str(), &why)) {
        refused.Add(path, wxString::FromUTF8(why));
        return false;
    }
    RememberRecentFile(path);
    AfterWorkspaceChange(true);
    // The file that seeds an empty workspace is shown as the workspace, ready for editing;
    // a file opened later is shown alone, beside the workspace it leaves unchanged.
    const int index = static_cast<int>(workspace.FileCount()) - 1;
    if (seedsWorkspace) {
        view.ShowSource(-1);
    } else if (index < kMaxListedFiles) {
        view.ShowSource(index);
    }
    const WaveFile* added = workspace.File(static_cast<uint32_t>(workspace.FileCount() - 1));
    if (added->IsCutAtFrameLimit()) {
        platform::ShowMessageBox(&frame, {FrameLimitText(path, added->FramesInFile(),
                                                         added->FrameCount(), added->SampleRate()),
                                          str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                                          platform::MessageIcon::kWarning});
    }
    return true;
}

void SessionController::ShowError(const wxString& text) {
    platform::ShowMessageBox(&frame,
                             {text, str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                              platform::MessageIcon::kError});
}

void SessionController::OnCloseWave(wxCommandEvent&) {
    const int index = view.ShownFile();
    if (index < 0) {
        return;
    }
    const wxString name = view.ShownSourceName();
    if (workspace.IsFileUsed(static_cast<uint32_t>(index))) {
        platform::ShowMessageBox(
            &frame, {wxString::Format("\"%s\" stays open: the workspace or the clipboard holds "
                                      "frames of it.",
                                      name),
                     str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                     platform::MessageIcon::kInformation});
        return;
    }
    player.Stop();  // it may be playing this file, whose place in the list is about to go
    host.SetSource(-1);
    session.BeginEdit("Close Wave", ViewSelection());
    workspace.CloseFile(static_cast<uint32_t>(index));
    session.EndEdit(ViewSelection());
    // The later files moved up one place: the menu is listed afresh from the workspace.
    AfterWorkspaceChange(true);
    view.ShowSource(-1);
}

void SessionController::RebuildWaveFilesMenu() {
    while (waveFilesMenu.GetMenuItemCount() > 0) {
        waveFilesMenu.Destroy(
            waveFilesMenu.FindItemByPosition(waveFilesMenu.GetMenuItemCount() - 1));
    }
    if (workspace.FileCount() == 0) {
        waveFilesMenu.Append(menu::MenuItemId(cmd::kNoFilesLoaded), "No files loaded");
    }
    for (uint32_t i = 0; i < workspace.FileCount(); ++i) {
        const wxString fileName = wxString::FromUTF8(
            std::filesystem::path(workspace.File(i)->Path()).filename().string());
        if (int(i) < kMaxListedFiles) {
            waveFilesMenu.AppendCheckItem(cmd::kFirstWaveFile + int(i), fileName);
        } else {
            // Past the id range the file is open but cannot be chosen from the menu.
            waveFilesMenu.Append(wxID_ANY, fileName)->Enable(false);
        }
    }
}

void SessionController::OnUpdateCloseWave(wxUpdateUIEvent& event) {
    event.Enable(view.ShownFile() >= 0);
}

void SessionController::OnUpdateNoFilesLoaded(wxUpdateUIEvent& event) {
    event.Enable(false);
}

void SessionController::OnRenderToFile(wxCommandEvent&) {
    RenderDialog dialog(&frame, fileDialogs);
    dialog.Attach(&host, &workspace, session.Path());
    player.Stop();                    // the render reads the workspace and runs the effect here
    host.SetSource(-1);               // whatever was played last, the render takes the workspace
    transport.FollowWorkspaceRate();  // and its effects run at the workspace's rate
    dialog.ShowModal();
}

void SessionController::OnUpdateRenderToFile(wxUpdateUIEvent& event) {
    event.Enable(workspace.TotalLength() != 0);
}

void SessionController::OnViewChanged(wxCommandEvent&) {
    ShowWhereYouAre();
}

void SessionController::ShowWhereYouAre() {
    // The session, marked while it has unsaved changes, then what the view shows.
    const wxString dash = wxString::FromUTF8(" \u2014 ");
    const wxString title = (session.IsModified() ? "*" : "") + wxString::FromUTF8(session.Name()) +
                           dash + view.ShownSourceName() + dash + str::Text(str::kAppTitle);
    if (frame.GetTitle() != title) {
        frame.SetTitle(title);
    }
    status.ShowReadouts(view, !workspace.IsEmpty());
}

EditSelection SessionController::ViewSelection() const {
    if (!view.IsWorkspaceShown()) {
        return {};
    }
    return {view.SelectionStart(), view.SelectionLength()};
}

bool SessionController::RunAsEditStep(wxEvent& event, const std::function<bool()>& runInView) {
    const char* action = ActionOf(event.GetId());
    if (event.GetEventType() != wxEVT_MENU || action == nullptr) {
        return false;
    }
    session.BeginEdit(action, ViewSelection());
    const size_t files = workspace.FileCount();
    const bool handled = runInView();
    if (session.EndEdit(ViewSelection())) {
        AfterWorkspaceChange(workspace.FileCount() != files);  // a converted paste adds one
    }
    return handled;
}

void SessionController::OnUndo(wxCommandEvent&) {
    EditSelection selection;
    if (session.Undo(selection)) {
        view.ShowWorkspaceSelection(selection.start, selection.length);
        AfterWorkspaceChange(true);
    }
}

void SessionController::OnRedo(wxCommandEvent&) {
    EditSelection selection;
    if (session.Redo(selection)) {
        view.ShowWorkspaceSelection(selection.start, selection.length);
        AfterWorkspaceChange(true);
    }
}

void SessionController::OnUpdateUndoRedo(wxUpdateUIEvent& event) {
    const bool undo = event.GetId() == cmd::kUndo;
    const EditHistory& history = session.History();
    const std::string action = undo ? history.UndoAction() : history.RedoAction();
    event.Enable(!action.empty() && !player.IsPlaying());
    // The menu item names the step; the toolbar button keeps its picture.
    if (dynamic_cast<wxMenu*>(event.GetEventObject()) != nullptr ||
        event.GetEventObject() == &frame || event.GetEventObject() == nullptr) {
        wxString text = undo ? "&Undo" : "&Redo";
        if (!action.empty()) {
            text += " " + wxString::FromUTF8(action);
        }
        event.SetText(text + "\t" + menu::MenuShortcut(event.GetId()));
    }
}

void SessionController::OnSelectAll(wxCommandEvent&) {
    view.SelectWholeSource();
}

void SessionController::OnUpdateSelectAll(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty() && view.ViewLength() != 0);
}

void SessionController::AfterWorkspaceChange(bool filesChanged) {
    session.ReleaseOwnedFiles();  // a converted range that no edit can bring back goes
    if (filesChanged) {
        RebuildWaveFilesMenu();
        transport.FollowWorkspaceRate();
    }
    ShowWhereYouAre();
    if (session.IsModified()) {
        recovery.Keep(workspace.Snapshot(), session.Path(), CaptureEffects());
        if (!recoveryTimer.IsRunning()) {
            recoveryTimer.Start(kRecoveryIntervalMs);
        }
    } else {
        recovery.Discard();
        recoveryTimer.Stop();
        OnRecoveryWritten("");  // nothing unsaved is left to keep
    }
}

void SessionController::OnRecoveryTimer(wxTimerEvent&) {
    // Also catches a source file that changed on disk since the last copy.
    if (session.IsModified()) {
        recovery.Keep(workspace.Snapshot(), session.Path(), CaptureEffects());
    }
}

void SessionController::ShowSessionError(uint32_t stringId, const std::string& why) {
    platform::ShowMessageBox(
        &frame, {Format(stringId, why), str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                 platform::MessageIcon::kError});
}

bool SessionController::SaveSession(bool askName) {
    wxString path = wxString(session.Path().c_str(), wxConvFile);
    if (path.empty() || askName) {
        view.SuppressNextDrag();
        const wxString offered = wxString::FromUTF8(session.Name()) + ".orvane";
        if (!fileDialogs.ChooseSessionToSave(&frame, offered, path)) {
            return false;
        }
    }
    std::string error;
    if (!session.Save(std::string(path.fn_str()), CaptureEffects(), error)) {
        ShowSessionError(str::kSessionSaveFailed, error);
        return false;
    }
    RememberRecentFile(path);
    AfterWorkspaceChange(false);
    return true;
}

bool SessionController::ConfirmDiscardChanges() {
    if (!session.IsModified()) {
        return true;
    }
    const platform::MessageRequest ask{
        Format(str::kSaveChanges, session.Name()), str::Text(str::kAppTitle),
        platform::MessageButtons::kSaveDontSaveCancel, platform::MessageIcon::kQuestion};
    switch (platform::ShowMessageBox(&frame, ask)) {
        case platform::MessageAnswer::kSave:
            return SaveSession();
        case platform::MessageAnswer::kDontSave:
            return true;
        default:
            return false;
    }
}

void SessionController::OnSaveSession(wxCommandEvent&) {
    SaveSession();
}

void SessionController::OnSaveSessionAs(wxCommandEvent&) {
    SaveSession(true);
}

void SessionController::OnOpenSession(wxCommandEvent&) {
    if (!ConfirmDiscardChanges()) {
        return;
    }
    view.SuppressNextDrag();
    wxString path;
    if (fileDialogs.ChooseSessionToOpen(&frame, path)) {
        OpenSession(path);
    }
}

bool SessionController::OpenSession(const wxString& path) {
    player.Stop();
    // A source that is missing or not as saved: the user may point at it (Locate...) or give
    // up (Cancel), which says all there is to say.
    bool gaveUp = false;
    const auto locate = [&](const std::string& savedPath,
                            const std::string& problem) -> std::optional<std::string> {
        const platform::MessageRequest ask{
            Format(str::kLocateSource, problem), str::Text(str::kAppTitle),
            platform::MessageButtons::kLocateCancel, platform::MessageIcon::kWarning};
        wxString chosen;
        if (platform::ShowMessageBox(&frame, ask) == platform::MessageAnswer::kLocate &&
            fileDialogs.LocateSource(&frame, wxString(savedPath.c_str(), wxConvFile), chosen)) {
            return std::string(chosen.fn_str());
        }
        gaveUp = true;
        return std::nullopt;
    };
    std::string error;
    if (!session.Open(std::string(path.fn_str()), error, locate)) {
        if (!gaveUp) {
            ShowSessionError(str::kSessionFailed, error);
        }
        return false;
    }
    RestoreEffects();
    view.ShowSource(-1);
    AfterWorkspaceChange(true);
    RememberRecentFile(path);
    return true;
}

void SessionController::EffectsChanged() {
    session.MarkEffectsChanged();
    AfterWorkspaceChange(false);
}

std::vector<EffectRecord> SessionController::CaptureEffects() const {
    return captureEffects ? captureEffects() : std::vector<EffectRecord>{};
}

void SessionController::RestoreEffects() {
    if (restoreEffects) {
        restoreEffects(session.Effects());
    }
}

void SessionController::StartAfresh() {
    session.StartAfresh();
    AfterWorkspaceChange(false);
}

bool SessionController::OfferRecovery() {
    std::vector<RecoveryFile::LeftBehindCopy> copies =
        RecoveryFile::LeftBehind(platform::StateDirectory());
    bool restored = false;
    for (size_t i = 0; i < copies.size(); ++i) {
        wxString caption = str::Text(str::kAppTitle);
        if (copies.size() > 1) {
            caption += wxString::FromUTF8(" \u2014 kept edits ") +
                       wxString::Format("%zu of %zu", i + 1, copies.size());
        }
        const platform::MessageRequest ask{DescribeLeftBehind(copies[i]), caption,
                                           platform::MessageButtons::kRestoreDiscardLater,
                                           platform::MessageIcon::kQuestion};
        switch (platform::ShowMessageBox(&frame, ask)) {
            case platform::MessageAnswer::kRestore:
                restored = RestoreLeftBehind(copies[i]) || restored;
                break;
            case platform::MessageAnswer::kDiscard:
                copies[i].Remove();
                break;
            default:
                break;  // Later: it stays, and is offered at the next start
        }
    }
    return restored;
}

bool SessionController::RestoreLeftBehind(RecoveryFile::LeftBehindCopy& copy) {
    // A second restore replaces the first one's edits: asked about as Open Session asks.
    if (!ConfirmDiscardChanges()) {
        return false;
    }
    player.Stop();
    std::string error;
    if (!session.Recover(copy.SessionText(), copy.SessionPath(), error)) {
        ShowSessionError(str::kRecoveryFailed, error);
        return false;
    }
    RestoreEffects();
    view.ShowSource(-1);
    AfterWorkspaceChange(true);  // the edits go into this run's own copy
    if (recovery.Flush()) {
        copy.Remove();  // only once they are safe there
    }
    return true;
}

void SessionController::OnRecoveryWritten(const std::string& failure) {
    if (failure.empty()) {
        if (recoveryFailing) {
            recoveryFailing = false;
            ShowRecoveryStatus("");
        }
        return;
    }
    ShowRecoveryStatus(Format(str::kRecoveryNotKeptStatus, failure));
    if (!recoveryFailing) {
        recoveryFailing = true;  // before the box: its event loop may bring the next failure
        platform::ShowMessageBox(&frame,
                                 {Format(str::kRecoveryNotKept, failure), str::Text(str::kAppTitle),
                                  platform::MessageButtons::kOk, platform::MessageIcon::kWarning});
    }
}

void SessionController::ShowRecoveryStatus(const wxString& text) {
    // An error stays in the first pane until a copy is written again.
    if (text.empty()) {
        status.WithdrawMessage("recovery");
    } else {
        status.ShowMessage("recovery", text, StatusLine::Priority::kError);
    }
}

void SessionController::OnClose(wxCloseEvent& event) {
    recoveryTimer.Stop();
    if (event.CanVeto()) {
        if (!ConfirmDiscardChanges()) {
            event.Veto();
            recoveryTimer.Start(kRecoveryIntervalMs);
            return;
        }
        recovery.Discard();  // a normal end: saved, or not wanted
    } else if (session.IsModified()) {
        recovery.Flush();  // ended from outside (the desktop session): keep the copy
    } else {
        recovery.Discard();
    }
    frame.Destroy();
}
