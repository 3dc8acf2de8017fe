#include "platform/Directory.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

std::vector<std::string> ListFiles(const std::string& directory, const std::string& suffix) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(directory, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code statError;
        if (name.ends_with(suffix) && it->is_regular_file(statError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CurrentDirectory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

}  // namespace platform
