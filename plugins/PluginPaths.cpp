#include "plugins/PluginPaths.h"

#include "platform/Directory.h"

namespace plugin_paths {

std::vector<std::string> SearchFolders(const std::string& currentDirectory,
                                       const std::optional<std::string>& vstPath,
                                       const std::string& home) {
    std::vector<std::string> folders{currentDirectory + "/vstplugs"};
    if (vstPath.has_value()) {
        size_t start = 0;
        while (start <= vstPath->size()) {
            size_t colon = vstPath->find(':', start);
            if (colon == std::string::npos) {
                colon = vstPath->size();
            }
            if (colon > start) {
                folders.push_back(vstPath->substr(start, colon - start));
            }
            start = colon + 1;
        }
        return folders;
    }
    if (!home.empty()) {
        folders.push_back(home + "/.vst");
        folders.push_back(home + "/.lxvst");
    }
    for (const char* folder :
         {"/usr/local/lib/vst", "/usr/local/lib/lxvst", "/usr/lib/vst", "/usr/lib/lxvst"}) {
        folders.emplace_back(folder);
    }
    return folders;
}

std::vector<std::string> SearchFolders() {
    return SearchFolders(platform::CurrentDirectory(), platform::EnvironmentValue("VST_PATH"),
                         platform::EnvironmentValue("HOME").value_or(""));
}

std::vector<std::string> FindLibraries(const std::vector<std::string>& folders) {
    return platform::FindFilesBelow(folders, ".so");
}

std::string CacheFile(const std::optional<std::string>& xdgCacheHome,
                      const std::optional<std::string>& home) {
    std::string base;
    if (xdgCacheHome.has_value() && xdgCacheHome->starts_with('/')) {
        base = *xdgCacheHome;
    } else if (home.has_value() && !home->empty()) {
        base = *home + "/.cache";
    } else {
        return {};
    }
    return base + "/orvane/plugins.cache";
}

std::string CacheFile() {
    return CacheFile(platform::EnvironmentValue("XDG_CACHE_HOME"),
                     platform::EnvironmentValue("HOME"));
}

std::string ScannerProgram() {
    if (auto chosen = platform::EnvironmentValue("ORVANE_SCANNER"); chosen && !chosen->empty()) {
        return *chosen;
    }
    return platform::ExecutableDirectory() + "/orvane-scan";
}

std::string EffectProgram() {
    if (auto chosen = platform::EnvironmentValue("ORVANE_FX"); chosen && !chosen->empty()) {
        return *chosen;
    }
    return platform::ExecutableDirectory() + "/orvane-fx";
}

}  // namespace plugin_paths
