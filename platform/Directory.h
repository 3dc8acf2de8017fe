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

/// Creates the folder that is to hold `path`, with its parents; true when it exists after.
bool CreateFolderOf(const std::string& path);

}  // namespace platform
