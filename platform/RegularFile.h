#pragma once

#include <string>

namespace platform {

/// Why the path (links followed) cannot be read as a file: "" for a regular file, otherwise a
/// phrase for the user such as "it is a named pipe, not a file". It only examines the path, so
/// a named pipe or a device is refused at once instead of waiting for a writer or a device.
///
///     if (const std::string why = platform::WhyNotARegularFile(path); !why.empty()) refuse...
std::string WhyNotARegularFile(const std::string& path);

}  // namespace platform
