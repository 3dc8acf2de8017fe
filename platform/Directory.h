#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

/// Names (without directory) of the entries of `directory` that are files, or links to files,
/// whose names end with `suffix`, sorted by byte value so that every listing is in the same
/// order. Empty when the directory is missing or unreadable.
std::vector<std::string> ListFiles(const std::string& directory, const std::string& suffix);

/// Real paths (links resolved) of the files below each root whose names end with `suffix`:
/// subfolders are descended into and links followed, each file is listed once (where it is
/// first met), roots in the given order and each root's files sorted. Missing or unreadable
/// folders are skipped; a link cycle is entered once.
std::vector<std::string> FindFilesBelow(const std::vector<std::string>& roots,
                                        const std::string& suffix);

/// The process's current working directory, or an empty string when it cannot be found.
std::string CurrentDirectory();

/// An environment variable's value; nothing when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

/// The folder that holds the running program, or an empty string when it cannot be found.
std::string ExecutableDirectory();

/// A file's size and modification time (nanoseconds since the epoch): what tells that a file
/// changed. Nothing when the file cannot be examined.
struct FileStamp {
    uint64_t size = 0;
    int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::string& path);

/// Writes `contents` to `path` through a temporary file renamed over it, so that readers see
/// the old file or the new one, never a part; creates the missing folders. False on failure.
bool ReplaceFile(const std::string& path, const std::string& contents);

/// The whole contents of a file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace platform
