#include "session/OwnedFiles.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// The user's data folder for Orvane, following the XDG base directories.
std::string UserDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/orvane";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/.local/share/orvane";
}

// A file name's safe part: letters, digits, '-' and '_' (others become '_'), at most 40.
std::string SafeStem(const std::string& stem) {
    std::string safe;
    for (const char c : stem.substr(0, 40)) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        safe += plain ? c : '_';
    }
    return safe.empty() ? "audio" : safe;
}

}  // namespace

std::string OwnedFiles::FolderFor(const std::string& sessionPath) {
    if (sessionPath.empty()) {
        return UserDataFolder();
    }
    std::filesystem::path session(sessionPath);
    const std::string name = session.stem().string();
    return (session.parent_path() / (name + ".data")).string();
}

std::string OwnedFiles::Create(const std::string& sessionPath, const std::string& stem,
                               std::string& why) {
    const std::string folder = FolderFor(sessionPath);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        why = "cannot create the folder " + folder + ": " + error.message();
        return {};
    }
    // mkstemps makes the name unique and the file ours in one step.
    std::string name = folder + "/" + SafeStem(stem) + "-XXXXXX.wav";
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        why = "cannot create a file in " + folder + ": " + std::strerror(errno);
        return {};
    }
    ::close(fd);
    paths.push_back(name);
    return name;
}

bool OwnedFiles::Adopt(const std::string& path, const std::string& sessionPath) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder != FolderFor(sessionPath) && folder != UserDataFolder()) {
        return false;
    }
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
        paths.push_back(path);
    }
    return true;
}

void OwnedFiles::Discard(const std::string& path) {
    const auto found = std::find(paths.begin(), paths.end(), path);
    if (found != paths.end()) {
        ::unlink(path.c_str());
        paths.erase(found);
    }
}

size_t OwnedFiles::ReleaseUnreferenced(
    const std::function<bool(const std::string&)>& isReferenced) {
    size_t removed = 0;
    std::erase_if(paths, [&](const std::string& path) {
        if (isReferenced(path)) {
            return false;
        }
        ::unlink(path.c_str());
        ++removed;
        return true;
    });
    return removed;
}
