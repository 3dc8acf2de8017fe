#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/Workspace.h"

/// A copy of the unsaved edits on disk, so that a crash or a kill loses nothing: a session
/// file named recovery-<process id>.orvane in Orvane's state directory, replaced atomically
/// on every Keep by a thread of its own (writing 100,000 segments takes a while).
///
///     RecoveryFile recovery(platform::StateDirectory());
///     recovery.Keep(workspace.Snapshot());   // after an edit, and every 30 s
///     recovery.Discard();                     // saved, or a normal exit
///
/// A file left by a process that no longer runs is what the next start offers to restore.
class RecoveryFile {
public:
    /// Keeps files in `directory`; with "" nothing is ever written.
    explicit RecoveryFile(std::string directory);
    ~RecoveryFile();  // finishes a write under way; the file stays
    RecoveryFile(const RecoveryFile&) = delete;
    RecoveryFile& operator=(const RecoveryFile&) = delete;

    /// Writes `state` soon, off the calling thread; a later Keep replaces one not yet written.
    void Keep(Workspace::State state);

    /// Waits until every Keep so far is on disk (tests, and before a deliberate exit).
    void Flush();

    /// Drops a pending write and removes the file.
    void Discard();

    const std::string& Path() const { return path; }

    /// Recovery files in `directory` whose process no longer runs, newest first.
    static std::vector<std::string> LeftBehind(const std::string& directory);

private:
    void Run();

    std::string path;
    std::mutex mutex;
    std::condition_variable wake;
    Workspace::State pending;
    bool writing = false;
    bool stopping = false;
    std::thread writer;
};
