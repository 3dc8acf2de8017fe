// The main window's side of the edit session: edits as undoable steps, Undo, Redo and Select
// All, the session files, the questions about unsaved changes, the title, and the recovery
// file that keeps unsaved edits through a crash.

#include <wx/datetime.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include <filesystem>

#include "app/CMainFrame.h"
#include "platform/SessionStorage.h"
#include "platform/gui/FileChooser.h"
#include "platform/gui/MessageBox.h"
#include "playback/WavePlayer.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/TimeScale.h"
#include "view/WaveformView.h"

namespace {

constexpr int kRecoveryIntervalMs = 30'000;

// The name an edit command gives its step in the Undo and Redo menu texts.
const char* ActionOf(int command) {
    switch (command) {
        case cmd::kCut:
            return "Cut";
        case cmd::kPaste:
            return "Paste";
        case cmd::kDelete:
            return "Delete";
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
    return wxString::Format(wxString::FromUTF8(str::Text(str::kRestoreRecovery)), session, when,
                            holds);
}

}  // namespace

EditSelection CMainFrame::ViewSelection() const {
    if (view == nullptr || !view->IsWorkspaceShown()) {
        return {};
    }
    return {view->SelectionStart(), view->SelectionLength()};
}

bool CMainFrame::RouteEditToView(wxEvent& event) {
    const char* action = ActionOf(event.GetId());
    if (event.GetEventType() != wxEVT_MENU || action == nullptr || view == nullptr || routing ||
        event.GetEventObject() == view) {
        return false;
    }
    session.BeginEdit(action, ViewSelection());
    routing = true;
    const bool handled = view->ProcessWindowEventLocally(event);
    routing = false;
    if (session.EndEdit(ViewSelection())) {
        AfterWorkspaceChange(false);
    }
    return handled;
}

void CMainFrame::OnUndo(wxCommandEvent&) {
    EditSelection selection;
    if (session.Undo(selection)) {
        view->ShowWorkspaceSelection(selection.start, selection.length);
        AfterWorkspaceChange(true);
    }
}

void CMainFrame::OnRedo(wxCommandEvent&) {
    EditSelection selection;
    if (session.Redo(selection)) {
        view->ShowWorkspaceSelection(selection.start, selection.length);
        AfterWorkspaceChange(true);
    }
}

void CMainFrame::OnUpdateUndoRedo(wxUpdateUIEvent& event) {
    const bool undo = event.GetId() == cmd::kUndo;
    const EditHistory& history = session.History();
    const std::string action = undo ? history.UndoAction() : history.RedoAction();
    event.Enable(!action.empty() && !player->IsPlaying());
    // The menu item names the step; the toolbar button keeps its picture.
    if (dynamic_cast<wxMenu*>(event.GetEventObject()) != nullptr ||
        event.GetEventObject() == this || event.GetEventObject() == nullptr) {
        wxString text = undo ? "&Undo" : "&Redo";
        if (!action.empty()) {
            text += " " + wxString::FromUTF8(action);
        }
        event.SetText(text + (undo ? "\tCtrl+Z" : "\tCtrl+Shift+Z"));
    }
}

void CMainFrame::OnSelectAll(wxCommandEvent&) {
    view->SelectVisibleRange();
}

void CMainFrame::OnUpdateSelectAll(wxUpdateUIEvent& event) {
    event.Enable(!workspace.IsEmpty() && view->ViewLength() != 0);
}

void CMainFrame::AfterWorkspaceChange(bool filesChanged) {
    if (filesChanged) {
        RebuildWaveFilesMenu();
        FollowWorkspaceRate();
    }
    ShowWhereYouAre();
    if (session.IsModified()) {
        recovery.Keep(workspace.Snapshot(), session.Path());
        if (!recoveryTimer.IsRunning()) {
            recoveryTimer.Start(kRecoveryIntervalMs);
        }
    } else {
        recovery.Discard();
        recoveryTimer.Stop();
        OnRecoveryWritten("");  // nothing unsaved is left to keep
    }
}

void CMainFrame::OnRecoveryTimer(wxTimerEvent&) {
    // Also catches a source file that changed on disk since the last copy.
    if (session.IsModified()) {
        recovery.Keep(workspace.Snapshot(), session.Path());
    }
}

void CMainFrame::ShowSessionError(uint32_t stringId, const std::string& why) {
    platform::ShowMessageBox(this, {Format(stringId, why), str::Text(str::kAppTitle),
                                    platform::MessageButtons::kOk, platform::MessageIcon::kError});
}

bool CMainFrame::SaveSession() {
    wxString path = wxString(session.Path().c_str(), wxConvFile);
    if (path.empty()) {
        view->SuppressNextDrag();
        if (!services.fileDialogs.ChooseSessionToSave(this, "Untitled.orvane", path)) {
            return false;
        }
    }
    std::string error;
    if (!session.Save(std::string(path.fn_str()), error)) {
        ShowSessionError(str::kSessionSaveFailed, error);
        return false;
    }
    AfterWorkspaceChange(false);
    return true;
}

bool CMainFrame::ConfirmDiscardChanges() {
    if (!session.IsModified()) {
        return true;
    }
    const platform::MessageRequest ask{
        Format(str::kSaveChanges, session.Name()), str::Text(str::kAppTitle),
        platform::MessageButtons::kSaveDontSaveCancel, platform::MessageIcon::kQuestion};
    switch (platform::ShowMessageBox(this, ask)) {
        case platform::MessageAnswer::kSave:
            return SaveSession();
        case platform::MessageAnswer::kDontSave:
            return true;
        default:
            return false;
    }
}

void CMainFrame::OnSaveSession(wxCommandEvent&) {
    SaveSession();
}

void CMainFrame::OnOpenSession(wxCommandEvent&) {
    if (!ConfirmDiscardChanges()) {
        return;
    }
    view->SuppressNextDrag();
    wxString path;
    if (services.fileDialogs.ChooseSessionToOpen(this, path)) {
        OpenSession(path);
    }
}

bool CMainFrame::OpenSession(const wxString& path) {
    player->Stop();
    // A source that is missing or not as saved: the user may point at it (Locate...) or give
    // up (Cancel), which says all there is to say.
    bool gaveUp = false;
    const auto locate = [&](const std::string& savedPath,
                            const std::string& problem) -> std::optional<std::string> {
        const platform::MessageRequest ask{
            Format(str::kLocateSource, problem), str::Text(str::kAppTitle),
            platform::MessageButtons::kLocateCancel, platform::MessageIcon::kWarning};
        wxString chosen;
        if (platform::ShowMessageBox(this, ask) == platform::MessageAnswer::kLocate &&
            services.fileDialogs.LocateSource(this, wxString(savedPath.c_str(), wxConvFile),
                                              chosen)) {
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
    view->ShowSource(-1);
    AfterWorkspaceChange(true);
    return true;
}

void CMainFrame::StartAfresh() {
    session.StartAfresh();
    AfterWorkspaceChange(false);
}

bool CMainFrame::OfferRecovery() {
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
        switch (platform::ShowMessageBox(this, ask)) {
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

bool CMainFrame::RestoreLeftBehind(RecoveryFile::LeftBehindCopy& copy) {
    // A second restore replaces the first one's edits: asked about as Open Session asks.
    if (!ConfirmDiscardChanges()) {
        return false;
    }
    player->Stop();
    std::string error;
    if (!session.Recover(copy.SessionText(), copy.SessionPath(), error)) {
        ShowSessionError(str::kRecoveryFailed, error);
        return false;
    }
    view->ShowSource(-1);
    AfterWorkspaceChange(true);  // the edits go into this run's own copy
    if (recovery.Flush()) {
        copy.Remove();  // only once they are safe there
    }
    return true;
}

void CMainFrame::OnRecoveryWritten(const std::string& failure) {
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
        platform::ShowMessageBox(this,
                                 {Format(str::kRecoveryNotKept, failure), str::Text(str::kAppTitle),
                                  platform::MessageButtons::kOk, platform::MessageIcon::kWarning});
    }
}

void CMainFrame::ShowRecoveryStatus(const wxString& text) {
    // An error stays in the first pane until a copy is written again.
    if (text.empty()) {
        WithdrawStatusMessage("recovery");
    } else {
        ShowStatusMessage("recovery", text, StatusLine::Priority::kError);
    }
}

void CMainFrame::OnClose(wxCloseEvent& event) {
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
    Destroy();
}
