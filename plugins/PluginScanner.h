#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plugins/PluginInfo.h"

/// Examines plug-in libraries without loading them into this process: each one is loaded by
/// a separate orvane-scan process under a time limit, so a library that crashes or hangs
/// costs only its own examination and is catalogued as failed with the reason. Results are
/// cached by real path, size and modification time: only new or changed libraries are
/// examined again.
///
///     PluginScanner scanner({plugin_paths::ScannerProgram(), plugin_paths::CacheFile()});
///     std::vector<PluginInfo> catalogue = scanner.Scan(plugin_paths::FindLibraries(folders));
///
/// Scan may run on any thread; Done, Total and Cancel may be called from another one.
class PluginScanner {
public:
    struct Settings {
        std::string scanner;                     // the orvane-scan program
        std::string cacheFile;                   // empty: no cache
        std::chrono::milliseconds limit{10000};  // per library
        bool rescan = false;                     // examine everything again
        unsigned workers = 2;                    // examinations at a time
    };

    explicit PluginScanner(Settings settings);

    /// The catalogue of `libraries` (real paths): cached records for unchanged ones, a fresh
    /// examination for the others, sorted for the menu (see Sort). Writes the cache back when
    /// anything was examined or dropped.
    std::vector<PluginInfo> Scan(const std::vector<std::string>& libraries);

    /// Examines one library in an orvane-scan process now.
    PluginInfo Examine(const std::string& library) const;

    /// Libraries handled so far by the running Scan, and how many it has.
    size_t Done() const { return done.load(); }
    size_t Total() const { return total.load(); }
    /// Examinations run by this scanner (cache hits are not counted).
    size_t Examined() const { return examined.load(); }

    /// Makes a running Scan stop soon: what is not examined yet stays out of the catalogue.
    void Cancel() { cancelled.store(true); }

    /// Orders a catalogue by vendor group ("Other" last), then by name without regard to
    /// case, then by path.
    static void Sort(std::vector<PluginInfo>& catalogue);

    /// The cache file's records; empty when it is missing or damaged in any way.
    static std::vector<PluginInfo> ReadCache(const std::string& file);
    static bool WriteCache(const std::string& file, const std::vector<PluginInfo>& catalogue);

private:
    Settings settings;
    std::atomic<size_t> done{0};
    std::atomic<size_t> total{0};
    std::atomic<size_t> examined{0};
    std::atomic<bool> cancelled{false};
};

/// Finding the libraries in `folders` and a PluginScanner's Scan of them, on a thread of its
/// own, so the window never waits for it.
///
///     BackgroundScan scan(settings, plugin_paths::SearchFolders());
///     if (scan.Finished()) catalogue = scan.Take();
///
/// The destructor cancels an unfinished scan and waits for it.
class BackgroundScan {
public:
    BackgroundScan(PluginScanner::Settings settings, std::vector<std::string> folders);
    ~BackgroundScan();
    BackgroundScan(const BackgroundScan&) = delete;
    BackgroundScan& operator=(const BackgroundScan&) = delete;

    bool Finished() const { return finished.load(); }
    size_t Done() const { return scanner.Done(); }
    size_t Total() const { return scanner.Total(); }
    /// Waits for the scan to end and hands over its catalogue.
    std::vector<PluginInfo> Take();

private:
    PluginScanner scanner;
    std::vector<PluginInfo> result;
    std::atomic<bool> finished{false};
    std::thread worker;
};
