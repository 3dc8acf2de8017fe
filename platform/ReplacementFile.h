#pragma once

#include <string>

#include "platform/ExclusiveFile.h"

namespace platform {

/// A new, empty file in the same folder as a target path, written in full and then moved over
/// the target in one step, so the target is at every moment either its old self or the
/// complete new file. Until Commit, the target (when it exists) is held with the exclusive
/// lock, so a file open elsewhere, such as a workspace source, is never replaced.
///
///     platform::ReplacementFile out;
///     if (out.Create("mix.wav")) { write out.Path() ...; out.Commit(); }
///
/// Destroying an uncommitted object removes the new file and leaves the target alone. The new
/// file is a part file (see PartFiles.h): locked by this object while it lives, so one left
/// behind by a killed process is recognised and removed at the next start.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    /// Locks the target when it exists (refused when it is in use or not a regular file)
    /// and creates the new file beside it, with the target's permissions or, for a new
    /// target, the ones the umask gives. False with FailureReason set on any failure.
    bool Create(const std::string& target);

    /// The new file, to be opened and written by the caller (and closed before Commit).
    const std::string& Path() const { return path_; }

    /// Flushes the new file to disk, renames it over the target and flushes the folder, so
    /// the replacement survives a power cut. False with FailureReason set when the flush or
    /// the rename fails (the new file is then removed at destruction and the target is
    /// untouched), or when only the folder's flush fails (the target is then replaced).
    bool Commit();

    const std::string& FailureReason() const { return failureReason_; }

    /// True when a file or directory exists at `path`.
    static bool Exists(const std::string& path);

private:
    void Discard();
    void Release();  // drops the new file's lock and note, and the target's lock

    std::string target_;
    std::string path_;
    int partFd_ = -1;   // the new file, held open for its lock
    std::string note_;  // where the new file is noted for the removal at start
    ExclusiveFile targetLock_;
    std::string failureReason_;
};

}  // namespace platform
