#include <filesystem>

#include "HostFixture.h"

namespace {

using ScanFixture = HostFixture;

TEST_F(ScanFixture, NoMatchingFileFailsTheScanAndLeavesTheCatalogueEmpty) {
    struct Case {
        const char* what;
        std::vector<std::string> files;  // created empty; a trailing '/' makes a directory
        bool createDirectory;
    };
    const Case cases[] = {
        {"missing directory", {}, false},
        {"empty directory", {}, true},
        {"no library", {"readme.txt", "plugin.so.txt", "sub.so/"}, true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(pluginDir);
        if (c.createDirectory) {
            std::filesystem::create_directories(pluginDir);
        }
        for (const std::string& file : c.files) {
            if (file.ends_with('/')) {
                std::filesystem::create_directories(pluginDir + file);
            } else {
                testing_support::WriteBytes(pluginDir + file, {1, 2, 3});
            }
        }
        PluginHost fresh(&workspace);
        fresh.Configure(44100, 2048, pluginDir);
        EXPECT_FALSE(fresh.ScanPlugins()) << c.what;
        EXPECT_EQ(fresh.PluginName(0), nullptr) << c.what;
        EXPECT_EQ(fresh.PluginFileName(0), nullptr) << c.what;
    }
}

TEST_F(ScanFixture, CataloguesLoadableEffectsInFileNameOrderUnderTheirNames) {
    Install({"passthrough", "gain", "noname", "noentry", "nulleffect", "badmagic", "longnames"});
    InstallFile(std::string(ORVANE_TEST_PLUGIN_DIR) + "/noname.so", "Delay.so");
    testing_support::WriteBytes(pluginDir + "broken.so", {0x7F, 'E', 'L', 'F', 0});
    Configure();

    ASSERT_TRUE(host.ScanPlugins());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Delay", "Delay.so"},  // no name from the effect: the file name without ".so"
        {"Gain", "gain.so"},
        {std::string(30, 'n'), "longnames.so"},  // cut before the character at byte 31
        {"noname", "noname.so"},
        {"Passthrough", "passthrough.so"},
    };
    ASSERT_EQ(host.CatalogSize(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_STREQ(host.PluginName(static_cast<int>(i)), expected[i].first.c_str());
        EXPECT_STREQ(host.PluginFileName(static_cast<int>(i)), expected[i].second.c_str());
    }
    EXPECT_EQ(host.PluginName(static_cast<int>(expected.size())), nullptr);
    EXPECT_EQ(host.PluginName(-1), nullptr);
    EXPECT_TRUE(host.IsChainEmpty());
}

TEST_F(ScanFixture, EveryScannedLibraryIsUnloadedAgain) {
    const auto names = {"passthrough", "gain", "noentry", "nulleffect", "badmagic"};
    Install(names);
    Configure();
    ASSERT_TRUE(host.ScanPlugins());
    EXPECT_EQ(host.CatalogSize(), 2u);
    for (const char* name : names) {
        EXPECT_FALSE(platform::SharedLibrary::IsLoaded(Installed(std::string(name) + ".so")))
            << name << " is still loaded";
    }
}

TEST_F(ScanFixture, ScanOpensNamesAndClosesEachEffectWithoutResumingIt) {
    Install({"recorder"});
    Configure();
    RecorderLog& log = Recorder();
    ASSERT_TRUE(host.ScanPlugins());
    EXPECT_STREQ(host.PluginName(0), "Recorder");
    const std::vector<int32_t> expected = {vst::effOpen,          vst::effSetProgram,
                                           vst::effSetSampleRate, vst::effSetBlockSize,
                                           vst::effGetEffectName, vst::effClose};
    EXPECT_EQ(RecordedOpcodes(), expected);
    ASSERT_EQ(log.calls.size(), expected.size());
    EXPECT_EQ(log.calls[1].value, 0);
    EXPECT_EQ(log.calls[2].opt, 44100.0f);
    EXPECT_EQ(log.calls[3].value, 2048);
}

TEST_F(ScanFixture, LoadingFailsUntilTheHostIsConfigured) {
    Install({"passthrough"});
    EXPECT_EQ(host.LoadPlugin("passthrough.so", 0, true, nullptr), nullptr);
    EXPECT_FALSE(platform::SharedLibrary::IsLoaded(Installed("passthrough.so")));
    Configure();
    EXPECT_NE(host.LoadPlugin("passthrough.so", 0, true, nullptr), nullptr);
    EXPECT_EQ(host.ChainSize(), 1u);
}

TEST_F(ScanFixture, LoadWithoutInsertHandsTheLibraryToTheCallerAndUnloadOnlyClosesIt) {
    Install({"passthrough", "recorder"});
    Configure();
    Insert("passthrough");
    RecorderLog& log = Recorder();

    platform::SharedLibrary library;
    vst::AEffect* effect = host.LoadPlugin("recorder.so", 0, false, &library);
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(library.IsOpen());
    EXPECT_EQ(host.ChainSize(), 1u);
    // Without a place to hand the library to, nothing is loaded at all.
    EXPECT_EQ(host.LoadPlugin("recorder.so", 0, false, nullptr), nullptr);

    // An effect of the chain is refused: closing it would leave a dead effect to process.
    EXPECT_FALSE(host.UnloadPlugin(0, host.EffectAt(0)));
    EXPECT_EQ(host.ChainSize(), 1u);

    log.calls.clear();
    EXPECT_TRUE(host.UnloadPlugin(0, effect));
    EXPECT_EQ(RecordedOpcodes(), std::vector<int32_t>{vst::effClose});
    EXPECT_EQ(host.ChainSize(), 1u);
    EXPECT_TRUE(library.IsOpen());
    EXPECT_TRUE(library.Close());
}

TEST(PluginDirectory, IsVstplugsBelowTheCurrentDirectory) {
    testing_support::TempDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const std::string expected = std::filesystem::current_path().string() + "/vstplugs/";
    EXPECT_EQ(PluginHost::DefaultPluginDirectory(), expected);
    std::filesystem::current_path(before);
}

}  // namespace
