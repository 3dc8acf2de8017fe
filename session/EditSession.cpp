#include "session/EditSession.h"

#include <filesystem>

#include "platform/SessionStorage.h"
#include "session/SessionFile.h"

void EditSession::BeginEdit(std::string action, EditSelection selection) {
    pendingAction = std::move(action);
    pendingBefore = workspace.Snapshot();
    pendingSelection = selection;
}

bool EditSession::EndEdit(EditSelection selection) {
    Workspace::State after = workspace.Snapshot();
    Workspace::State before = std::move(pendingBefore);
    pendingBefore.reset();
    if (!before || after == before) {
        return false;
    }
    history.Push({std::move(pendingAction), std::move(before), std::move(after), pendingSelection,
                  selection});
    return true;
}

bool EditSession::Undo(EditSelection& selection) {
    const EditHistory::Step* step = history.Undo();
    if (step == nullptr) {
        return false;
    }
    workspace.Restore(step->before);
    selection = step->selectionBefore;
    return true;
}

bool EditSession::Redo(EditSelection& selection) {
    const EditHistory::Step* step = history.Redo();
    if (step == nullptr) {
        return false;
    }
    workspace.Restore(step->after);
    selection = step->selectionAfter;
    return true;
}

std::string EditSession::Name() const {
    return path.empty() ? std::string("Untitled") : std::filesystem::path(path).filename().string();
}

bool EditSession::Save(const std::string& sessionPath, std::string& error) {
    Workspace::State state = workspace.Snapshot();
    if (!session_file::Save(sessionPath, *state, error)) {
        error = sessionPath + ": " + error;
        return false;
    }
    path = platform::AbsolutePath(sessionPath);
    savedState = std::move(state);
    return true;
}

bool EditSession::Open(const std::string& sessionPath, std::string& error) {
    WorkspaceState opened;
    if (!session_file::Load(sessionPath, workspace, opened, error)) {
        return false;
    }
    BeginEdit("Open Session", {});
    workspace.Replace(std::move(opened));
    EndEdit({});
    path = platform::AbsolutePath(sessionPath);
    savedState = workspace.Snapshot();
    return true;
}

void EditSession::New() {
    if (!workspace.IsEmpty() || workspace.SegmentCount() != 0) {
        BeginEdit("New", {});
        workspace.Clear();
        EndEdit({});
    }
    path.clear();
    savedState = workspace.Snapshot();
}

void EditSession::StartAfresh() {
    history.Clear();
    savedState = workspace.Snapshot();
}

bool EditSession::Recover(const std::string& sessionText, const std::string& sessionPath,
                          std::string& error) {
    WorkspaceState recovered;
    if (sessionText.empty()) {
        error = "the copy is damaged";
        return false;
    }
    if (!session_file::Read(sessionText, workspace, recovered, error)) {
        return false;
    }
    workspace.Replace(std::move(recovered));
    history.Clear();
    path = sessionPath;
    savedState.reset();  // differs from every state: the edits are not in the session file
    return true;
}
