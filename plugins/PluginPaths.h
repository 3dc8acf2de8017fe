#pragma once

#include <optional>
#include <string>
#include <vector>

/// Where plug-in libraries are looked for, and the cache's place.
///
///     auto libraries = plugin_paths::FindLibraries(plugin_paths::SearchFolders());
namespace plugin_paths {

/// The folders searched, in order: "vstplugs" under `currentDirectory`, then the folders of
/// `vstPath` (colon-separated) when it is set, otherwise ~/.vst, ~/.lxvst, /usr/local/lib/vst,
/// /usr/local/lib/lxvst, /usr/lib/vst and /usr/lib/lxvst.
std::vector<std::string> SearchFolders(const std::string& currentDirectory,
                                       const std::optional<std::string>& vstPath,
                                       const std::string& home);

/// SearchFolders for this process: its current directory, VST_PATH and HOME.
std::vector<std::string> SearchFolders();

/// Real paths of the "*.so" files below the folders, each once, in folder order.
std::vector<std::string> FindLibraries(const std::vector<std::string>& folders);

/// The catalogue's cache file: $XDG_CACHE_HOME/orvane/plugins.cache, with ~/.cache when
/// XDG_CACHE_HOME is unset or not absolute. Empty when neither gives a place.
std::string CacheFile(const std::optional<std::string>& xdgCacheHome,
                      const std::optional<std::string>& home);
std::string CacheFile();

/// The orvane-scan program: $ORVANE_SCANNER when set, otherwise beside the running program.
std::string ScannerProgram();

/// The orvane-fx program effects run in: $ORVANE_FX when set, otherwise beside the running
/// program.
std::string EffectProgram();

}  // namespace plugin_paths
