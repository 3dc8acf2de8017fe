#include "plugins/InstalledEffect.h"

#include "plugins/CatalogNames.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"

std::string InstalledEffectNamed(const std::string& name, std::string& error) {
    PluginScanner scanner({plugin_paths::ScannerProgram(), plugin_paths::CacheFile()});
    const std::vector<PluginInfo> catalogue =
        scanner.Scan(plugin_paths::FindLibraries(plugin_paths::SearchFolders()));
    return catalog_names::EffectLibraryNamed(catalogue, name, error);
}
