#include "plugins/InstalledEffect.h"

#include "plugins/CatalogNames.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"

PluginScanner::Settings InstalledScanSettings(bool rescan) {
    PluginScanner::Settings settings;
    settings.scanner = plugin_paths::ScannerProgram();
    settings.cacheFile = plugin_paths::CacheFile();
    settings.rescan = rescan;
    return settings;
}

std::vector<PluginInfo> InstalledEffects() {
    PluginScanner scanner(InstalledScanSettings());
    return scanner.Scan(plugin_paths::FindLibraries(plugin_paths::SearchFolders()));
}

std::string InstalledEffectNamed(const std::string& name, std::string& error) {
    return catalog_names::EffectLibraryNamed(InstalledEffects(), name, error);
}
