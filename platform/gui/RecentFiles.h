#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

/// The desktop's list of recently used files, which GTK keeps for every program in
/// recently-used.xbel under the user's data directory ($XDG_DATA_HOME, or ~/.local/share):
/// what this program adds there, file managers and other programs see too. Entries are
/// registered under one application name, and only that name's entries are listed back.
///
///     platform::RecentFiles recent("Orvane", "orvane %f");
///     recent.Add("/home/me/take1.wav", "audio/x-wav");
///     for (const std::string& path : recent.List(10)) { ... }
///
/// The data directory is read from the environment at each call, so a changed
/// XDG_DATA_HOME takes effect at once. User-interface thread only.
class RecentFiles {
public:
    /// `appName` marks this program's entries; `appExec` is the command line that opens one
    /// ("%f" stands for the file).
    RecentFiles(std::string appName, std::string appExec);

    /// Adds `path` (an absolute path) as used now, with its MIME type; the list on disk is
    /// written before this returns. False, with the list unchanged, when GTK refuses it.
    bool Add(const std::string& path, const std::string& mimeType) const;

    /// The paths this program added that still exist as regular files, newest first, at most
    /// `limit` of them.
    std::vector<std::string> List(size_t limit) const;

    /// The list's file: recently-used.xbel in the user's data directory.
    static std::string ListFile();

private:
    std::string appName;
    std::string appExec;
};

}  // namespace platform
