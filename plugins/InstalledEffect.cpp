#include "plugins/InstalledEffect.h"

#include "plugins/CatalogNames.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"

std::vector<PluginInfo> InstalledEffects() {
    PluginScanner scanner({plugin_paths::ScannerProgram(), plugin_paths::CacheFile()});
    return scanner.Scan(plugin_paths::FindLibraries(plugin_paths::SearchFolders()));
}

std::string InstalledEffectNamed(const std::string& name, std::string& error) {
    return catalog_names::EffectLibraryNamed(InstalledEffects(), name, error);
}
