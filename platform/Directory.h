#pragma once

#include <string>
#include <vector>

namespace platform {

/// Names (without directory) of the entries of `directory` that are files, or links to files,
/// whose names end with `suffix`, sorted by byte value so that every listing is in the same
/// order. Empty when the directory is missing or unreadable.
std::vector<std::string> ListFiles(const std::string& directory, const std::string& suffix);

/// The process's current working directory, or an empty string when it cannot be found.
std::string CurrentDirectory();

}  // namespace platform
