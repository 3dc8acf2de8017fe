// Examination in orvane-scan processes: hostile libraries fail with their reasons and are
// never loaded here, the good ones beside them work, and the cache spares unchanged libraries.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "HostFixture.h"
#include "platform/SessionStorage.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"
#include "plugins/ScanReport.h"
#include "support/LoadedEffect.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class ScannerFixture : public HostFixture {
protected:
    PluginScanner::Settings Settings(std::string scanner = ORVANE_SCANNER_PROGRAM) const {
        PluginScanner::Settings settings;
        settings.scanner = std::move(scanner);
        settings.cacheFile = dir.File("cache/orvane/plugins.cache");
        settings.limit = 3s;
        return settings;
    }

    std::vector<std::string> Libraries() const { return plugin_paths::FindLibraries({pluginDir}); }

    const PluginInfo* Find(const std::vector<PluginInfo>& catalogue, const std::string& file) {
        const std::string path = fs::canonical(Installed(file)).string();
        for (const PluginInfo& info : catalogue) {
            if (info.path == path) {
                return &info;
            }
        }
        ADD_FAILURE() << file << " is not in the catalogue";
        return nullptr;
    }

    /// A scanner that notes every library it is asked about before the real one runs.
    std::string CountingScanner() {
        const std::string script = dir.File("counting-scan");
        std::ofstream(script) << "#!/bin/sh\necho \"$1\" >> " << dir.File("scans.log") << "\nexec "
                              << ORVANE_SCANNER_PROGRAM << " \"$@\"\n";
        fs::permissions(script, fs::perms::owner_all);
        return script;
    }
    std::vector<std::string> ScansLogged() const {
        std::vector<std::string> lines;
        std::ifstream in(dir.File("scans.log"));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(fs::path(line).filename().string());
        }
        return lines;
    }
};

TEST_F(ScannerFixture, HostileLibrariesFailWithTheirReasonsAndAreNeverLoadedHere) {
    Install({"passthrough", "gain", "crashentry", "hang", "crashopen", "noentry", "missingdep"});
    Configure();
    PluginScanner scanner(Settings());
    const std::vector<PluginInfo> catalogue = scanner.Scan(Libraries());
    ASSERT_EQ(catalogue.size(), 7u);
    EXPECT_EQ(scanner.Done(), 7u);

    const struct {
        const char* file;
        const char* reason;
    } failures[] = {
        {"crashentry.so", "crashed while being examined (Segmentation fault)"},
        {"crashopen.so", "crashed while being examined (Segmentation fault)"},
        {"hang.so", "did not answer within 3 s (it hangs)"},
        {"noentry.so", "no entry point (VSTPluginMain or main)"},
        {"missingdep.so", "libvanished.so"},
    };
    for (const auto& f : failures) {
        const PluginInfo* info = Find(catalogue, f.file);
        ASSERT_NE(info, nullptr);
        EXPECT_FALSE(info->ok) << f.file;
        EXPECT_NE(info->failure.find(f.reason), std::string::npos)
            << f.file << ": " << info->failure;
        EXPECT_FALSE(platform::SharedLibrary::IsLoaded(info->path)) << f.file << " was loaded";
    }
    EXPECT_NE(Find(catalogue, "missingdep.so")->failure.find("cannot be loaded"),
              std::string::npos);

    // The good ones were examined but not loaded either, and load and process when chosen.
    for (const char* file : {"passthrough.so", "gain.so"}) {
        const PluginInfo* info = Find(catalogue, file);
        ASSERT_NE(info, nullptr);
        EXPECT_TRUE(info->ok) << info->failure;
        EXPECT_FALSE(platform::SharedLibrary::IsLoaded(info->path));
    }
    UseFrames({MakeFrame(1000, -2000), MakeFrame(3, 4)});
    ASSERT_NE(EffectOf(host.AddEffect(Find(catalogue, "gain.so")->path)), nullptr);
    EXPECT_EQ(ProcessAt(0),
              (std::vector<testing_support::Frame>{MakeFrame(1000, -2000), MakeFrame(3, 4)}));
}

TEST_F(ScannerFixture, OnlyNewOrChangedLibrariesAreExaminedAgain) {
    Install({"passthrough", "gain", "crashentry"});
    const std::string scanner = CountingScanner();
    const std::vector<PluginInfo> first = PluginScanner(Settings(scanner)).Scan(Libraries());
    EXPECT_EQ(ScansLogged().size(), 3u);

    // A second start: everything from the cache, failures included, nothing examined.
    const std::vector<PluginInfo> second = PluginScanner(Settings(scanner)).Scan(Libraries());
    EXPECT_EQ(ScansLogged().size(), 3u) << "an unchanged library was examined again";
    ASSERT_EQ(second.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(scan_report::FormatRecord(second[i]), scan_report::FormatRecord(first[i]));
    }

    // The user's choice to run gain inside Orvane, as the window writes it.
    std::vector<PluginInfo> chosen = PluginScanner::ReadCache(Settings().cacheFile);
    for (PluginInfo& info : chosen) {
        info.runInProcess = fs::path(info.path).filename() == "gain.so";
    }
    ASSERT_TRUE(PluginScanner::WriteCache(Settings().cacheFile, chosen));
    const auto runsInside = [&](const std::vector<PluginInfo>& catalogue) {
        std::vector<std::string> inside;
        for (const PluginInfo& info : catalogue) {
            if (info.runInProcess) {
                inside.push_back(fs::path(info.path).filename().string());
            }
        }
        return inside;
    };

    // A touched library and a new one are examined; a removed one leaves the catalogue.
    fs::last_write_time(Installed("gain.so"),
                        fs::last_write_time(Installed("gain.so")) + std::chrono::seconds(5));
    Install({"doubler"});
    fs::remove(Installed("crashentry.so"));
    const std::vector<PluginInfo> third = PluginScanner(Settings(scanner)).Scan(Libraries());
    const std::vector<std::string> logged = ScansLogged();
    ASSERT_EQ(logged.size(), 5u);
    std::vector<std::string> latest(logged.begin() + 3, logged.end());
    std::sort(latest.begin(), latest.end());  // two examinations run at a time
    EXPECT_EQ(latest, (std::vector<std::string>{"doubler.so", "gain.so"}));
    EXPECT_EQ(third.size(), 3u);
    EXPECT_EQ(runsInside(third), std::vector<std::string>{"gain.so"}) << "kept though examined";

    // Rescan examines everything.
    PluginScanner::Settings again = Settings(scanner);
    again.rescan = true;
    const std::vector<PluginInfo> rescanned = PluginScanner(again).Scan(Libraries());
    EXPECT_EQ(ScansLogged().size(), 8u);
    EXPECT_EQ(runsInside(rescanned), std::vector<std::string>{"gain.so"}) << "kept by a rescan";
    EXPECT_EQ(runsInside(PluginScanner::ReadCache(Settings().cacheFile)),
              std::vector<std::string>{"gain.so"});
}

TEST_F(ScannerFixture, ADamagedCacheIsRebuilt) {
    Install({"passthrough", "gain"});
    const std::string scanner = CountingScanner();
    PluginScanner(Settings(scanner)).Scan(Libraries());
    const std::string cacheFile = Settings().cacheFile;
    std::string good;
    std::string error;
    ASSERT_TRUE(platform::ReadWholeFile(cacheFile, good, error)) << error;
    ASSERT_FALSE(good.empty());

    const std::string damages[] = {
        "",                                                        // empty
        "garbage\n",                                               // not a cache
        good.substr(0, good.size() / 2),                           // cut short
        "orvane plug-in cache 1\npath=/x.so\nsize=abc\nend\n",     // a bad number
        "orvane plug-in cache 1\npath=/x.so\ncolour=blue\nend\n",  // an unknown key
    };
    size_t scans = ScansLogged().size();
    for (const std::string& damage : damages) {
        ASSERT_TRUE(platform::ReplaceFileAtomically(cacheFile, damage, error)) << error;
        EXPECT_TRUE(PluginScanner::ReadCache(cacheFile).empty());
        const auto catalogue = PluginScanner(Settings(scanner)).Scan(Libraries());
        EXPECT_EQ(catalogue.size(), 2u);
        EXPECT_EQ(ScansLogged().size(), scans + 2) << "every library examined again";
        scans = ScansLogged().size();
        EXPECT_EQ(PluginScanner::ReadCache(cacheFile).size(), 2u) << "the cache was rewritten";
    }
}

TEST_F(ScannerFixture, AMissingScannerFailsEachLibraryWithoutLoadingIt) {
    Install({"passthrough"});
    const auto catalogue = PluginScanner(Settings(dir.File("no-such-scanner"))).Scan(Libraries());
    ASSERT_EQ(catalogue.size(), 1u);
    EXPECT_FALSE(catalogue[0].ok);
    EXPECT_NE(catalogue[0].failure.find("could not be run"), std::string::npos);
    EXPECT_FALSE(platform::SharedLibrary::IsLoaded(catalogue[0].path));
}

TEST(ScanReport, RecordsSurviveTheirTextFormWhateverTheyHold) {
    PluginInfo odd;
    odd.path = "/a b/c\\d.so";
    odd.failure = "line one\nline two\r\\n";
    odd.name = "=name=with=equals";
    odd.vendor = "\xC3\x96sterreich";
    odd.size = 1ull << 40;
    odd.modified = -5;
    odd.category = 11;
    odd.uniqueId = -1;
    odd.hasEditor = true;
    PluginInfo plain;
    plain.ok = true;
    plain.path = "/x.so";
    std::vector<PluginInfo> back;
    ASSERT_TRUE(scan_report::ParseRecords(
        scan_report::FormatRecord(odd) + scan_report::FormatRecord(plain), back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].path, odd.path);
    EXPECT_EQ(back[0].failure, odd.failure);
    EXPECT_EQ(back[0].name, odd.name);
    EXPECT_EQ(back[0].vendor, odd.vendor);
    EXPECT_EQ(back[0].size, odd.size);
    EXPECT_EQ(back[0].modified, odd.modified);
    EXPECT_EQ(back[0].category, 11);
    EXPECT_EQ(back[0].uniqueId, -1);
    EXPECT_TRUE(back[0].hasEditor);
    EXPECT_FALSE(back[0].ok);
    EXPECT_TRUE(back[1].ok);
    // A record without its end, or without a status, is refused.
    EXPECT_FALSE(scan_report::ParseRecords("path=/x.so\nstatus=ok\n", back));
    EXPECT_FALSE(scan_report::ParseRecords("path=/x.so\nend\n", back));
    EXPECT_FALSE(scan_report::ParseRecords("status=maybe\nend\n", back));
}

TEST(PluginCatalogueOrder, VendorsAlphabeticallyWithOtherLastThenNames) {
    const auto make = [](std::string vendor, std::string name, std::string path) {
        PluginInfo info;
        info.vendor = std::move(vendor);
        info.name = std::move(name);
        info.path = std::move(path);
        return info;
    };
    std::vector<PluginInfo> catalogue = {
        make("", "Zeta", "/1.so"),   make("beta", "b", "/2.so"), make("Alpha", "Y", "/3.so"),
        make("Alpha", "x", "/4.so"), make("", "", "/p/abc.so"),  make("beta", "b", "/0.so"),
    };
    PluginScanner::Sort(catalogue);
    std::vector<std::string> order;
    for (const PluginInfo& info : catalogue) {
        order.push_back(info.path);
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"/4.so", "/3.so", "/0.so", "/2.so", "/p/abc.so", "/1.so"}));
}

}  // namespace
