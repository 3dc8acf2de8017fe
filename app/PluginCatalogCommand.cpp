#include "app/PluginCatalogCommand.h"

#include <string>

#include "platform/SessionStorage.h"
#include "plugins/CatalogNames.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"

namespace {

// One field of a listing line: a backslash, a tab, a line feed and the other control
// characters a plug-in may put in its name are written as escapes (\\, \t, \n, \r, \xHH),
// so that every plug-in stays on one line of four tab-separated fields.
std::string ListField(const std::string& text) {
    std::string field;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            field += "\\\\";
        } else if (c == '\t') {
            field += "\\t";
        } else if (c == '\n') {
            field += "\\n";
        } else if (c == '\r') {
            field += "\\r";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            field += escape;
        } else {
            field += c;
        }
    }
    return field;
}

}  // namespace

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
    const std::vector<std::string> names = catalog_names::ShownNames(catalogue);
    const std::vector<std::string> groups = catalog_names::MakerGroups(catalogue);
    size_t failed = 0;
    for (size_t i = 0; i < catalogue.size(); ++i) {
        const PluginInfo& info = catalogue[i];
        failed += info.ok ? 0 : 1;
        if (list) {
            const std::string status = !info.ok              ? "failed: " + info.failure
                                       : info.IsInstrument() ? "instrument (no audio input)"
                                                             : "ok";
            std::fprintf(out, "%s\t%s\t%s\t%s\n", ListField(names[i]).c_str(),
                         ListField(groups[i]).c_str(), ListField(info.path).c_str(),
                         ListField(status).c_str());
        }
    }
    if (!list) {
        std::fprintf(out, "%zu plug-ins, %zu failed; %zu examined\n", catalogue.size() - failed,
                     failed, scanner.Examined());
    }
    return 0;
}
