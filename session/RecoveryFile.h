#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/Workspace.h"
#include "platform/ExclusiveFile.h"
#include "session/EffectRecord.h"

/// A copy of the unsaved edits on disk, so that a crash or a kill loses nothing: a file
/// named recovery-<process id>-<start time>.orvane in Orvane's state directory, replaced
/// atomically on every Keep by a thread of its own (writing 100,000 segments takes a while).
///
///     RecoveryFile recovery(platform::StateDirectory(), onWritten);
///     recovery.Keep(workspace.Snapshot(), session.Path(), chain);  // after a change, every 30 s
///     recovery.Discard();                                   // saved, or a normal exit
///
/// While it lives, the object holds an flock on recovery-...lock beside the copy. The kernel
/// drops that lock when the process ends, whether it exits, crashes or lingers as a zombie,
/// so a copy whose lock is free was left behind by a run that is over (LeftBehind). The lock
/// is on a file of its own because the copy is replaced by a rename on every write.
///
/// The copy is the session text with a header that says what it holds:
///
///     orvane-recovery 1
///     session /home/me/mix.orvane      (the session file, or nothing when untitled)
///     length 441000 44100              (frames and frames per second)
///     file /home/me/take one.wav       (one per opened file)
///     effect Echo One                  (one per effect of the chain: its shown name)
///     orvane-session ...               (the session file's text with the chain, to its end)
class RecoveryFile {
public:
    /// Told on the writer's thread after each write: "" when the copy is on disk, otherwise
    /// why it is not, in words for the user.
    using WriteOutcome = std::function<void(const std::string& failure)>;

    /// Keeps the copy in `directory`; with "" nothing is ever written.
    explicit RecoveryFile(std::string directory, WriteOutcome onWritten = {});
    ~RecoveryFile();  // finishes a write under way; a kept copy stays, its lock goes
    RecoveryFile(const RecoveryFile&) = delete;
    RecoveryFile& operator=(const RecoveryFile&) = delete;

    /// Writes `state` and the effect chain `effects` soon, off the calling thread, with the
    /// session file they belong to; a later Keep replaces one not yet written.
    void Keep(Workspace::State state, std::string sessionPath,
              std::vector<EffectRecord> effects = {});

    /// Waits until every Keep so far has been tried; true when the latest write succeeded.
    bool Flush();

    /// Drops a pending write and removes the copy.
    void Discard();

    const std::string& Path() const { return path; }

    class LeftBehindCopy;

    /// The copies in `directory` whose run is over, newest first, each claimed (its lock
    /// held) for as long as its object lives, so that no other start offers it meanwhile.
    /// Lock files a run left without a copy are removed on the way.
    static std::vector<LeftBehindCopy> LeftBehind(const std::string& directory);

private:
    void Run();
    bool HoldLock(std::string& failure);
    bool Write(const WorkspaceState& state, const std::string& sessionPath,
               const std::vector<EffectRecord>& effects, std::string& failure);

    std::string path;
    std::string lockPath;
    platform::ExclusiveFile lock;  // used by the writer thread only, once it runs
    WriteOutcome onWritten;
    std::mutex mutex;
    std::condition_variable wake;
    Workspace::State pending;
    std::string pendingSessionPath;
    std::vector<EffectRecord> pendingEffects;
    bool writing = false;
    bool lastWriteFailed = false;
    bool stopping = false;
    std::thread writer;
};

/// A copy a finished run left behind, and what it holds, claimed by this run until the
/// object goes (the copy then stays for the next start) or Remove.
class RecoveryFile::LeftBehindCopy {
public:
    const std::string& Path() const { return path; }
    int64_t WrittenNs() const { return writtenNs; }  // nanoseconds since the epoch
    /// The session file the edits belong to ("" for an untitled session).
    const std::string& SessionPath() const { return sessionPath; }
    const std::vector<std::string>& Files() const { return files; }
    uint64_t Frames() const { return frames; }
    uint32_t SampleRate() const { return sampleRate; }  // 0 when unknown
    /// The shown names of the chain's effects, in processing order.
    const std::vector<std::string>& EffectNames() const { return effectNames; }

    /// The session text the edits are in; "" when the copy is damaged.
    const std::string& SessionText() const { return sessionText; }

    /// Removes the copy and its lock file: restored into this run, or discarded. False when
    /// the copy is still there.
    bool Remove();

private:
    friend class RecoveryFile;
    /// Reads the header (what the copy holds) and the session text from the copy's text.
    void Describe(const std::string& text);

    std::string path;
    std::string lockPath;
    std::unique_ptr<platform::ExclusiveFile> lock;  // held while claimed
    int64_t writtenNs = 0;
    std::string sessionPath;
    std::vector<std::string> files;
    uint64_t frames = 0;
    uint32_t sampleRate = 0;
    std::vector<std::string> effectNames;
    std::string sessionText;
};
