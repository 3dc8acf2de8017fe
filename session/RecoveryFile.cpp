#include "session/RecoveryFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>

#include "platform/Directory.h"
#include "platform/LineEscape.h"
#include "platform/SessionStorage.h"
#include "session/SessionFile.h"

namespace {

constexpr const char* kPrefix = "recovery-";
constexpr const char* kSuffix = ".orvane";
constexpr const char* kLockSuffix = ".lock";
constexpr const char* kMagic = "orvane-recovery 1";
constexpr const char* kSessionMagic = "orvane-session";

std::string LockPathOf(const std::string& copyPath) {
    return copyPath.substr(0, copyPath.size() - std::strlen(kSuffix)) + kLockSuffix;
}

// Takes the lock file's flock and checks that its name still leads to the locked file: a run
// removes its lock file while holding the lock, so a lock taken on a file already unlinked
// guards nothing.
bool ClaimLock(const std::string& lockPath, platform::ExclusiveFile& lock) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!lock.CreateForWriting(lockPath.c_str())) {
            return false;
        }
        if (platform::IdentityOf(lockPath.c_str()) == lock.Identity()) {
            return true;
        }
        lock.Close();
    }
    return false;
}

std::string HeaderOf(const WorkspaceState& state, const std::string& sessionPath,
                     const std::vector<EffectRecord>& effects) {
    std::ostringstream out;
    out << kMagic << '\n';
    out << "session " << platform::EscapeLine(sessionPath) << '\n';
    const uint32_t rate = state.files->empty() ? 0 : state.files->front()->SampleRate();
    out << "length " << state.segments.Length() << ' ' << rate << '\n';
    for (const auto& file : *state.files) {
        out << "file " << platform::EscapeLine(platform::AbsolutePath(file->Path())) << '\n';
    }
    for (const EffectRecord& effect : effects) {
        out << "effect " << platform::EscapeLine(effect.name) << '\n';
    }
    return out.str();
}

}  // namespace

RecoveryFile::RecoveryFile(std::string directory, WriteOutcome onWritten)
    : onWritten(std::move(onWritten)) {
    if (directory.empty()) {
        return;
    }
    // The start time keeps the name apart from a left-behind copy of a run that had this
    // process id before.
    const auto started = std::chrono::system_clock::now().time_since_epoch();
    path = directory + "/" + kPrefix + std::to_string(platform::CurrentProcessId()) + "-" +
           std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(started).count()) +
           kSuffix;
    lockPath = LockPathOf(path);
    std::string failure;
    HoldLock(failure);  // an unwritable folder is reported at the first write
    writer = std::thread([this] { Run(); });
}

RecoveryFile::~RecoveryFile() {
    if (!writer.joinable()) {
        return;
    }
    {
        std::lock_guard guard(mutex);
        stopping = true;
    }
    wake.notify_all();
    writer.join();
    if (lock.IsOpen() && !platform::StampOf(path).exists) {
        lock.Remove(lockPath.c_str());  // nothing kept: no lock file to leave behind either
    }
}

void RecoveryFile::Keep(Workspace::State state, std::string sessionPath,
                        std::vector<EffectRecord> effects) {
    if (path.empty()) {
        return;
    }
    {
        std::lock_guard guard(mutex);
        pending = std::move(state);
        pendingSessionPath = std::move(sessionPath);
        pendingEffects = std::move(effects);
    }
    wake.notify_all();
}

bool RecoveryFile::Flush() {
    std::unique_lock guard(mutex);
    wake.wait(guard, [this] { return (!pending && !writing) || stopping; });
    return !lastWriteFailed;
}

void RecoveryFile::Discard() {
    if (path.empty()) {
        return;
    }
    std::unique_lock guard(mutex);
    pending.reset();
    pendingEffects.clear();
    wake.wait(guard, [this] { return !writing; });
    platform::RemoveFileIfPresent(path);
}

bool RecoveryFile::HoldLock(std::string& failure) {
    if (lock.IsOpen() && platform::IdentityOf(lockPath.c_str()) == lock.Identity()) {
        return true;
    }
    if (ClaimLock(lockPath, lock)) {
        return true;
    }
    failure =
        lock.FailureReason().empty() ? std::string("it cannot be locked") : lock.FailureReason();
    return false;
}

bool RecoveryFile::Write(const WorkspaceState& state, const std::string& sessionPath,
                         const std::vector<EffectRecord>& effects, std::string& failure) {
    // The copy is written only under the lock, or a start meanwhile would take it for one
    // left behind.
    if (!HoldLock(failure)) {
        return false;
    }
    return platform::ReplaceFileAtomically(
        path, HeaderOf(state, sessionPath, effects) + session_file::Write(state, effects), failure);
}

void RecoveryFile::Run() {
    std::unique_lock guard(mutex);
    for (;;) {
        wake.wait(guard, [this] { return pending || stopping; });
        if (!pending) {
            return;  // stopping, nothing left to write
        }
        Workspace::State state = std::move(pending);
        const std::string sessionPath = std::move(pendingSessionPath);
        const std::vector<EffectRecord> effects = std::move(pendingEffects);
        pending.reset();
        writing = true;
        guard.unlock();
        std::string failure;
        // A failed copy keeps the last good one.
        if (!Write(*state, sessionPath, effects, failure)) {
            failure = path.substr(0, path.rfind('/')) + ": " + failure;
        }
        state.reset();
        if (onWritten) {
            onWritten(failure);
        }
        guard.lock();
        lastWriteFailed = !failure.empty();
        writing = false;
        wake.notify_all();
    }
}

std::vector<RecoveryFile::LeftBehindCopy> RecoveryFile::LeftBehind(const std::string& directory) {
    std::vector<LeftBehindCopy> found;
    for (const std::string& name : platform::ListFiles(directory, kSuffix)) {
        if (!name.starts_with(kPrefix)) {
            continue;
        }
        LeftBehindCopy copy;
        copy.path = directory + "/" + name;
        copy.lockPath = LockPathOf(copy.path);
        copy.lock = std::make_unique<platform::ExclusiveFile>();
        if (!ClaimLock(copy.lockPath, *copy.lock)) {
            continue;  // its run goes on, or another start has claimed it
        }
        std::string text, error;
        if (!platform::ReadWholeFile(copy.path, text, error)) {
            copy.lock->Remove(copy.lockPath.c_str());  // its run ended normally meanwhile
            continue;
        }
        copy.writtenNs = platform::StampOf(copy.path).modifiedNs;
        copy.Describe(text);
        found.push_back(std::move(copy));
    }
    // A run that crashed before its first copy leaves only its lock file.
    for (const std::string& name : platform::ListFiles(directory, kLockSuffix)) {
        const std::string lockPath = directory + "/" + name;
        const std::string copyPath =
            lockPath.substr(0, lockPath.size() - std::strlen(kLockSuffix)) + kSuffix;
        platform::ExclusiveFile lock;
        if (name.starts_with(kPrefix) && !platform::StampOf(copyPath).exists &&
            ClaimLock(lockPath, lock) && !platform::StampOf(copyPath).exists) {
            lock.Remove(lockPath.c_str());
        }
    }
    std::sort(found.begin(), found.end(), [](const LeftBehindCopy& a, const LeftBehindCopy& b) {
        return a.writtenNs > b.writtenNs;
    });
    return found;
}

void RecoveryFile::LeftBehindCopy::Describe(const std::string& text) {
    if (text.starts_with(kSessionMagic)) {
        sessionText = text;  // a copy from before the header: the session alone
        return;
    }
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kMagic) {
        return;  // damaged: offered, and its restore says so
    }
    for (std::streampos start = in.tellg(); std::getline(in, line); start = in.tellg()) {
        std::string value;
        if (line.starts_with(kSessionMagic)) {
            sessionText = text.substr(static_cast<size_t>(start));
            return;
        }
        if (line.starts_with("session ") && platform::UnescapeLine(line.substr(8), value)) {
            sessionPath = value;
        } else if (line.starts_with("file ") && platform::UnescapeLine(line.substr(5), value)) {
            files.push_back(value);
        } else if (line.starts_with("effect ") && platform::UnescapeLine(line.substr(7), value)) {
            effectNames.push_back(value);
        } else if (line.starts_with("length ")) {
            std::istringstream(line.substr(7)) >> frames >> sampleRate;
        }
    }
}

bool RecoveryFile::LeftBehindCopy::Remove() {
    if (!platform::RemoveFileIfPresent(path)) {
        return false;
    }
    lock->Remove(lockPath.c_str());
    lock->Close();
    return true;
}
