#include "platform/Directory.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

std::vector<std::string> ListFiles(const std::string& directory, const std::string& suffix) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(directory, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code statError;
        if (name.ends_with(suffix) && it->is_regular_file(statError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// The files below one root, real paths, sorted; folders already seen are not entered again.
std::vector<std::string> FilesBelow(const fs::path& root, const std::string& suffix,
                                    std::set<std::string>& seenFolders) {
    std::vector<std::string> found;
    std::error_code error;
    const fs::path realRoot = fs::canonical(root, error);
    if (error || !fs::is_directory(realRoot, error) ||
        !seenFolders.insert(realRoot.string()).second) {
        return found;
    }
    const auto options = fs::directory_options::follow_directory_symlink |
                         fs::directory_options::skip_permission_denied;
    fs::recursive_directory_iterator it(realRoot, options, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code entryError;
        if (it->is_directory(entryError)) {
            // A link back up the tree, or to a folder met before, is not walked twice.
            const fs::path real = fs::canonical(it->path(), entryError);
            if (entryError || !seenFolders.insert(real.string()).second) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (!it->path().filename().string().ends_with(suffix) || !it->is_regular_file(entryError)) {
            continue;
        }
        const fs::path real = fs::canonical(it->path(), entryError);
        if (!entryError) {
            found.push_back(real.string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

std::vector<std::string> FindFilesBelow(const std::vector<std::string>& roots,
                                        const std::string& suffix) {
    std::vector<std::string> files;
    std::set<std::string> seenFolders;
    std::set<std::string> seenFiles;
    for (const std::string& root : roots) {
        for (std::string& file : FilesBelow(root, suffix, seenFolders)) {
            if (seenFiles.insert(file).second) {
                files.push_back(std::move(file));
            }
        }
    }
    return files;
}

std::string CurrentDirectory() {
    std::error_code error;
    fs::path path = fs::current_path(error);
    return error ? std::string() : path.string();
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::string ExecutableDirectory() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

bool CreateFolderOf(const std::string& path) {
    std::error_code error;
    const fs::path folder = fs::path(path).parent_path();
    fs::create_directories(folder, error);
    return fs::is_directory(folder, error);
}

}  // namespace platform
