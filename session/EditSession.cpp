#include "session/EditSession.h"

#include <filesystem>

#include "platform/RegularFile.h"
#include "platform/SessionStorage.h"

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
    return Save(sessionPath, effects, error);  // assigning a vector to itself is safe
}

bool EditSession::Save(const std::string& sessionPath, const std::vector<EffectRecord>& chain,
                       std::string& error) {
    Workspace::State state = workspace.Snapshot();
    // Saved over one of its own sources, the session would lose the audio it describes.
    if (const WaveFile* source = workspace.ListedFileNamed(sessionPath)) {
        error = sessionPath + ": it is the source file " + source->Path() +
                " of this session; a session is never saved over its own sources";
        return false;
    }
    if (!session_file::Save(sessionPath, *state, chain, error, session_file::Hashes::kCompute)) {
        error = sessionPath + ": " + error;
        return false;
    }
    path = platform::AbsolutePath(sessionPath);
    savedState = std::move(state);
    effects = chain;
    effectsChanged = false;
    return true;
}

bool EditSession::Open(const std::string& sessionPath, std::string& error,
                       const session_file::Locator& locate) {
    // A named pipe or a device would make the read wait for ever.
    if (const std::string why = platform::WhyNotARegularFile(sessionPath); !why.empty()) {
        error = sessionPath + ": " + why;
        return false;
    }
    WorkspaceState opened;
    std::vector<EffectRecord> chain;
    bool located = false;  // Load succeeds only if every chosen file proved to be its source
    session_file::Locator noting;
    if (locate) {
        noting = [&](const std::string& savedPath, const std::string& problem) {
            std::optional<std::string> chosen = locate(savedPath, problem);
            located = located || chosen.has_value();
            return chosen;
        };
    }
    if (!session_file::Load(sessionPath, workspace, opened, chain, error, noting)) {
        return false;
    }
    BeginEdit("Open Session", {});
    workspace.Replace(std::move(opened));
    EndEdit({});
    path = platform::AbsolutePath(sessionPath);
    savedState = located ? nullptr : workspace.Snapshot();
    effects = std::move(chain);
    effectsChanged = false;
    AdoptOwnedSources();
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
    effects.clear();
    effectsChanged = false;
}

void EditSession::StartAfresh() {
    history.Clear();
    savedState = workspace.Snapshot();
    effectsChanged = false;
}

bool EditSession::Recover(const std::string& sessionText, const std::string& sessionPath,
                          std::string& error) {
    WorkspaceState recovered;
    std::vector<EffectRecord> chain;
    if (sessionText.empty()) {
        error = "the copy is damaged";
        return false;
    }
    if (!session_file::Read(sessionText, workspace, recovered, chain, error)) {
        return false;
    }
    workspace.Replace(std::move(recovered));
    history.Clear();
    path = sessionPath;
    effects = std::move(chain);
    savedState.reset();  // differs from every state: the edits are not in the session file
    AdoptOwnedSources();
    return true;
}

namespace {

bool StateRefersTo(const Workspace::State& state, const std::string& filePath) {
    if (!state) {
        return false;
    }
    for (const auto& file : *state->files) {
        if (file->Path() == filePath) {
            return true;
        }
    }
    return false;
}

}  // namespace

EditSession::~EditSession() {
    // What the session file on disk names stays; everything else made for this run goes.
    owned.ReleaseUnreferenced(
        [this](const std::string& filePath) { return StateRefersTo(savedState, filePath); });
}

bool EditSession::RefersTo(const std::string& filePath) const {
    // A segment's file is always listed in the state it belongs to, except on the clipboard,
    // which outlives the files' listing (Close Wave refuses a file it holds, New does not).
    if (StateRefersTo(workspace.Snapshot(), filePath) || StateRefersTo(savedState, filePath)) {
        return true;
    }
    for (const Segment& segment : workspace.Clipboard()) {
        if (segment.file != nullptr && segment.file->Path() == filePath) {
            return true;
        }
    }
    bool found = false;
    history.ForEachState(
        [&](const Workspace::State& state) { found = found || StateRefersTo(state, filePath); });
    return found;
}

size_t EditSession::ReleaseOwnedFiles() {
    return owned.ReleaseUnreferenced(
        [this](const std::string& filePath) { return RefersTo(filePath); });
}

void EditSession::AdoptOwnedSources() {
    for (const auto& file : *workspace.Snapshot()->files) {
        owned.Adopt(file->Path(), path);
    }
}
