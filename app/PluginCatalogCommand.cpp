#include "app/PluginCatalogCommand.h"

#include <string>

#include "platform/SessionStorage.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"

int RunPluginCatalogCommand(bool rescan, bool list, std::FILE* out, std::FILE* errors) {
    PluginScanner::Settings settings;
    settings.scanner = plugin_paths::ScannerProgram();
    settings.cacheFile = plugin_paths::CacheFile();
    settings.rescan = rescan;
    if (!platform::StampOf(settings.scanner).exists) {
        std::fprintf(errors, "orvane: the examining program %s is missing\n",
                     settings.scanner.c_str());
        return 1;
    }
    PluginScanner scanner(settings);
    const std::vector<PluginInfo> catalogue =
        scanner.Scan(plugin_paths::FindLibraries(plugin_paths::SearchFolders()));
    size_t failed = 0;
    for (const PluginInfo& info : catalogue) {
        failed += info.ok ? 0 : 1;
        if (list) {
            const std::string status = info.ok ? "ok" : "failed: " + info.failure;
            std::fprintf(out, "%s\t%s\t%s\t%s\n", info.DisplayName().c_str(),
                         info.VendorGroup().c_str(), info.path.c_str(), status.c_str());
        }
    }
    if (!list) {
        std::fprintf(out, "%zu plug-ins, %zu failed; %zu examined\n", catalogue.size() - failed,
                     failed, scanner.Examined());
    }
    return 0;
}
