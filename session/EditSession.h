#pragma once

#include <string>
#include <vector>

#include "audio/Workspace.h"
#include "session/EditHistory.h"
#include "session/EffectRecord.h"
#include "session/OwnedFiles.h"
#include "session/SessionFile.h"

/// One editing session: the workspace (its opened files and edit list, the clipboard), the
/// edit history, the session file it was last saved to or opened from, the effect chain as
/// that file holds it, and whether anything changed since then. Members are declared so that
/// they go in dependency order: the history (which holds states and through them files) before
/// the workspace.
///
///     EditSession session;
///     session.BeginEdit("Cut", {1000, 500});
///     session.Edits().CutRange(1000, 1500);
///     session.EndEdit({1000, 0});       // recorded: "Undo Cut"
///     session.Undo();                   // back, selection {1000, 500}
///     session.MarkEffectsChanged();     // an effect's settings moved: unsaved until Save
///     session.Save(path, chain, error); // the files, the edits and the chain's records
///
/// Everything runs on the user-interface thread; readers on other threads use the
/// workspace's snapshots.
class EditSession {
public:
    EditSession() = default;
    /// Removes the files the session made that the last saved state does not name.
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    Workspace& Edits() { return workspace; }
    const Workspace& Edits() const { return workspace; }
    const EditHistory& History() const { return history; }

    /// Brackets one user action on the workspace. EndEdit records it as one undoable step
    /// when the workspace changed, and says whether it did.
    void BeginEdit(std::string action, EditSelection selection);
    bool EndEdit(EditSelection selection);

    /// Restores the state before the latest step (after it, for Redo) and returns the
    /// selection to show with it; nothing when there is no step.
    bool Undo(EditSelection& selection);
    bool Redo(EditSelection& selection);

    /// True when the workspace differs from the state last saved or opened, or the effects
    /// changed since then.
    bool IsModified() const { return effectsChanged || workspace.Snapshot() != savedState; }

    /// The effect chain of the latest Open, Save or Recover, in processing order (none after
    /// New): what the window rebuilds its chain from after opening or recovering.
    const std::vector<EffectRecord>& Effects() const { return effects; }

    /// The chain changed in a way the edit list does not show (an effect added, removed,
    /// moved, bypassed or set otherwise): the session counts as modified until the next Save,
    /// Open, New or StartAfresh.
    void MarkEffectsChanged() { effectsChanged = true; }

    /// The files this session made for itself (see OwnedFiles): create them here.
    OwnedFiles& Owned() { return owned; }
    /// True when the workspace, its clipboard, the edit history or the last saved state holds
    /// a segment of, or lists, the file at `filePath`.
    bool RefersTo(const std::string& filePath) const;
    /// Removes the owned files nothing refers to any more (RefersTo); call after every edit.
    /// Returns how many went.
    size_t ReleaseOwnedFiles();

    /// The session file ("" before the first save), and its name for titles and prompts.
    const std::string& Path() const { return path; }
    std::string Name() const;

    /// Writes the session file with the effect chain `chain`, and the frames hash of every
    /// source (a source whose peak tables are not complete yet is read for it here); from then
    /// on the session is that file, unmodified, and Effects() is `chain`. Refused when
    /// sessionPath is, by any name, one of the workspace's files.
    bool Save(const std::string& sessionPath, const std::vector<EffectRecord>& chain,
              std::string& error);
    /// Save with the chain Effects() holds: that of the latest Open, Save or Recover.
    bool Save(const std::string& sessionPath, std::string& error);

    /// Replaces the workspace with a saved session, as one undoable step, and Effects() with
    /// its chain (which the history does not hold); the session is then that file,
    /// unmodified, or modified when `locate` found a source elsewhere (saving records the new
    /// place). On failure nothing changes; a path that is not a regular file (a named pipe, a
    /// device, a folder) is refused without being read.
    bool Open(const std::string& sessionPath, std::string& error,
              const session_file::Locator& locate = {});

    /// Empties the workspace as one undoable step ("New") and the effect chain; the session
    /// becomes untitled.
    void New();

    /// The current state counts as saved and the history starts afresh: a start-up with
    /// files from the command line.
    void StartAfresh();

    /// Replaces the workspace and Effects() with the session text a recovery copy kept, with
    /// no history; the session is then `sessionPath` ("" for untitled) with unsaved changes. On
    /// failure nothing changes and `error` says why.
    bool Recover(const std::string& sessionText, const std::string& sessionPath,
                 std::string& error);

private:
    /// Owns the sources of the current state that lie where owned files are made.
    void AdoptOwnedSources();

    OwnedFiles owned;  // first: its files are removed after everything holding them closed
    EditHistory history;
    Workspace workspace;
    Workspace::State savedState = workspace.Snapshot();
    std::string path;
    std::vector<EffectRecord> effects;
    bool effectsChanged = false;

    // The edit between BeginEdit and EndEdit.
    std::string pendingAction;
    Workspace::State pendingBefore;
    EditSelection pendingSelection;
};
