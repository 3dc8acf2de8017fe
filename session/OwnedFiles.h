#pragma once

#include <functional>
#include <string>
#include <vector>

/// Audio files a session makes for itself (a range converted to the workspace's rate, effects
/// applied to a selection): it names and creates them, and removes each once nothing refers to
/// it any more. They live in a data folder beside the session file, `<session name>.data/`, or,
/// while the session is untitled, in `$XDG_DATA_HOME/orvane/` (~/.local/share/orvane/). Once
/// made they are ordinary source files: sessions and recovery copies name them like any other.
///
///     OwnedFiles owned;
///     std::string why;
///     const std::string path = owned.Create(sessionPath, "take", why);  // take-a1B2c3.wav
///     ... write it, open it into the workspace ...
///     owned.ReleaseUnreferenced([&](const std::string& p) { return session.RefersTo(p); });
class OwnedFiles {
public:
    OwnedFiles() = default;
    OwnedFiles(const OwnedFiles&) = delete;
    OwnedFiles& operator=(const OwnedFiles&) = delete;

    /// The folder new files of the session at `sessionPath` ("" for untitled) go into.
    static std::string FolderFor(const std::string& sessionPath);

    /// Creates a new empty WAV file, named after `stem` with a unique ending, in
    /// FolderFor(sessionPath) (made when missing), and owns it. Its path, or "" with `why` set.
    std::string Create(const std::string& sessionPath, const std::string& stem, std::string& why);

    /// Owns a file made earlier (a session or recovery copy names it) when it lies in one of
    /// the folders Create uses; false (not owned) otherwise.
    bool Adopt(const std::string& path, const std::string& sessionPath);

    /// Removes the file at once (a conversion that failed or was cancelled).
    void Discard(const std::string& path);

    /// Removes every owned file for which `isReferenced` answers false, and forgets it.
    /// Returns how many were removed.
    size_t ReleaseUnreferenced(const std::function<bool(const std::string&)>& isReferenced);

    /// The files owned now, in creation order.
    const std::vector<std::string>& Paths() const { return paths; }

private:
    std::vector<std::string> paths;
};
