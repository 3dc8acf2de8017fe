#pragma once

#include <cstdint>
#include <string>

namespace platform {

/// What identifies a file's contents cheaply: its size and its modification time.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t modifiedNs = 0;  // nanoseconds since the epoch
    bool operator==(const FileStamp&) const = default;
};

/// The stamp of the regular file at path (following links); exists is false otherwise.
FileStamp StampOf(const std::string& path);

/// The absolute, normalised form of path ("" when it cannot be formed).
std::string AbsolutePath(const std::string& path);

/// Writes `contents` to path so that a reader, or a crash, sees the old file or the new one
/// and never a part: a temporary file beside it, flushed to disk, then renamed over it.
/// False with `error` set on failure; the old file is then untouched.
bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error);

/// The whole file as bytes; false with `error` set when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error);

/// Removes a file; true also when there was none.
bool RemoveFileIfPresent(const std::string& path);

/// The directory for Orvane's state between runs: $XDG_STATE_HOME/orvane, or
/// ~/.local/state/orvane without it; created (with its parents) when missing. "" when no
/// home is known or it cannot be created.
std::string StateDirectory();

/// This process's id.
int CurrentProcessId();

}  // namespace platform
