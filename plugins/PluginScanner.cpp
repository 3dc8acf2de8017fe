#include "plugins/PluginScanner.h"

#include <strings.h>
#include <algorithm>
#include <map>

#include "platform/ChildProcess.h"
#include "platform/Directory.h"
#include "platform/SessionStorage.h"
#include "plugins/PluginPaths.h"
#include "plugins/ScanReport.h"

namespace {

constexpr const char* kCacheHeader = "orvane plug-in cache 1";

PluginInfo Failed(const std::string& path, std::string reason) {
    PluginInfo info;
    info.path = path;
    info.failure = std::move(reason);
    return info;
}

std::string Seconds(std::chrono::milliseconds span) {
    const long long ms = span.count();
    if (ms % 1000 == 0) {
        return std::to_string(ms / 1000) + " s";
    }
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

// What orvane-scan's run says about the library.
PluginInfo FromScannerRun(const std::string& library, const platform::ChildResult& run,
                          std::chrono::milliseconds limit, const std::string& scanner) {
    if (!run.started) {
        return Failed(library, "the examining program " + scanner + " could not be run");
    }
    if (run.timedOut) {
        return Failed(library, "did not answer within " + Seconds(limit) + " (it hangs)");
    }
    if (run.signal != 0) {
        return Failed(library, "crashed while being examined (" +
                                   platform::SignalDescription(run.signal) + ")");
    }
    std::vector<PluginInfo> records;
    const std::string greeting = std::string(scan_report::kScannerGreeting) + "\n";
    if (run.exitCode != 0 || !run.output.starts_with(greeting) ||
        !scan_report::ParseRecords(run.output.substr(greeting.size()), records) ||
        records.size() != 1) {
        return Failed(library, "the examination ended without an answer (exit status " +
                                   std::to_string(run.exitCode) + ")");
    }
    PluginInfo info = std::move(records.front());
    info.path = library;
    return info;
}

}  // namespace

PluginScanner::PluginScanner(Settings scanSettings) : settings(std::move(scanSettings)) {}

PluginInfo PluginScanner::Examine(const std::string& library) const {
    const platform::FileStamp stamp = platform::StampOf(library);
    const platform::ChildResult run =
        platform::RunChild(settings.scanner, {library}, settings.limit, &cancelled);
    PluginInfo info = FromScannerRun(library, run, settings.limit, settings.scanner);
    if (stamp.exists) {
        info.size = stamp.size;
        info.modified = stamp.modifiedNs;
    }
    return info;
}

std::vector<PluginInfo> PluginScanner::Scan(const std::vector<std::string>& libraries) {
    done.store(0);
    total.store(libraries.size());
    std::map<std::string, PluginInfo> cached;
    // Libraries the user chose to run inside Orvane stay so through rescans and changes.
    std::map<std::string, bool> runInProcess;
    if (!settings.cacheFile.empty()) {
        for (PluginInfo& info : ReadCache(settings.cacheFile)) {
            runInProcess[info.path] = info.runInProcess;
            if (!settings.rescan) {
                cached.emplace(info.path, std::move(info));
            }
        }
    }
    const size_t cachedBefore = cached.size();

    std::vector<PluginInfo> catalogue(libraries.size());
    // char, not bool: the workers write neighbouring entries at once.
    std::vector<char> present(libraries.size(), 0);
    std::vector<size_t> toExamine;
    for (size_t i = 0; i < libraries.size(); ++i) {
        const auto hit = cached.find(libraries[i]);
        const auto stamp = platform::StampOf(libraries[i]);
        if (hit != cached.end() && stamp.exists && hit->second.size == stamp.size &&
            hit->second.modified == stamp.modifiedNs) {
            catalogue[i] = hit->second;
            present[i] = 1;
            ++done;
        } else {
            toExamine.push_back(i);
        }
    }

    // A few examinations at a time: each is mostly waiting for the loader and the plug-in.
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t n = next++; n < toExamine.size() && !cancelled.load(); n = next++) {
            const size_t i = toExamine[n];
            catalogue[i] = Examine(libraries[i]);
            if (const auto kept = runInProcess.find(libraries[i]); kept != runInProcess.end()) {
                catalogue[i].runInProcess = kept->second;
            }
            if (!cancelled.load()) {
                present[i] = 1;  // each index is written by one worker only
            }
            ++examined;
            ++done;
        }
    };
    std::vector<std::thread> workers;
    const size_t count = std::min<size_t>(std::max(1u, settings.workers), toExamine.size());
    for (size_t w = 1; w < count; ++w) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& t : workers) {
        t.join();
    }

    std::vector<PluginInfo> result;
    for (size_t i = 0; i < libraries.size(); ++i) {
        if (present[i]) {
            result.push_back(std::move(catalogue[i]));
        }
    }
    if (!settings.cacheFile.empty() && (!toExamine.empty() || cachedBefore != result.size())) {
        WriteCache(settings.cacheFile, result);
    }
    Sort(result);
    return result;
}

void PluginScanner::Sort(std::vector<PluginInfo>& catalogue) {
    std::stable_sort(catalogue.begin(), catalogue.end(),
                     [](const PluginInfo& a, const PluginInfo& b) {
                         const bool aOther = a.vendor.empty();
                         const bool bOther = b.vendor.empty();
                         if (aOther != bOther) {
                             return bOther;
                         }
                         if (int c = ::strcasecmp(a.vendor.c_str(), b.vendor.c_str()); c != 0) {
                             return c < 0;
                         }
                         const std::string aName = a.DisplayName();
                         const std::string bName = b.DisplayName();
                         if (int c = ::strcasecmp(aName.c_str(), bName.c_str()); c != 0) {
                             return c < 0;
                         }
                         return a.path < b.path;
                     });
}

std::vector<PluginInfo> PluginScanner::ReadCache(const std::string& file) {
    std::string text;
    std::string error;
    const std::string header = std::string(kCacheHeader) + "\n";
    std::vector<PluginInfo> records;
    if (!platform::ReadWholeFile(file, text, error) || !text.starts_with(header) ||
        !scan_report::ParseRecords(text.substr(header.size()), records)) {
        return {};  // damaged: everything is examined again and the file rewritten
    }
    return records;
}

bool PluginScanner::WriteCache(const std::string& file, const std::vector<PluginInfo>& catalogue) {
    std::string text = std::string(kCacheHeader) + "\n";
    for (const PluginInfo& info : catalogue) {
        text += scan_report::FormatRecord(info);
    }
    std::string error;
    return platform::CreateFolderOf(file) && platform::ReplaceFileAtomically(file, text, error);
}

BackgroundScan::BackgroundScan(PluginScanner::Settings settings, std::vector<std::string> folders)
    : scanner(std::move(settings)), worker([this, folders = std::move(folders)] {
          result = scanner.Scan(plugin_paths::FindLibraries(folders));
          finished.store(true);
      }) {}

BackgroundScan::~BackgroundScan() {
    scanner.Cancel();
    if (worker.joinable()) {
        worker.join();
    }
}

std::vector<PluginInfo> BackgroundScan::Take() {
    if (worker.joinable()) {
        worker.join();
    }
    return std::move(result);
}
