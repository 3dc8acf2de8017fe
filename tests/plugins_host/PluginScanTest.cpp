#include <filesystem>

#include "HostFixture.h"
#include "support/LoadedEffect.h"

namespace {

using ScanFixture = HostFixture;

TEST_F(ScanFixture, ExamineReadsTheWholeIdentityAndNamesWhatIsWrong) {
    Install({"identity_long", "identity_acme", "passthrough", "noname", "noentry", "nulleffect",
             "badmagic"});
    testing_support::WriteBytes(pluginDir + "broken.so", {0x7F, 'E', 'L', 'F', 0});
    Configure();

    const PluginInfo acme = host.Examine(Installed("identity_acme.so"));
    EXPECT_TRUE(acme.ok) << acme.failure;
    EXPECT_EQ(acme.path, Installed("identity_acme.so"));
    EXPECT_EQ(acme.name, "Plate Reverb");
    EXPECT_EQ(acme.vendor, "Acme Audio");
    EXPECT_EQ(acme.product, "Orvane test suite");
    EXPECT_EQ(acme.category, 6);
    EXPECT_EQ(acme.CategoryText(), "Room");
    EXPECT_EQ(acme.version, 1203);
    EXPECT_EQ(acme.uniqueId, 0x4F72764E);
    EXPECT_EQ(acme.ChannelText(), "2/2");
    EXPECT_EQ(acme.parameters, 4);
    EXPECT_FALSE(acme.hasEditor);

    const PluginInfo longName = host.Examine(Installed("identity_long.so"));
    EXPECT_EQ(longName.name.size(), 60u) << "kept whole, never cut";
    EXPECT_EQ(longName.name,
              "\xC4\xBF"
              "ong multiband compressor with a name of sixty bytes long"
              "\xC5\x99");
    EXPECT_EQ(longName.VendorGroup(),
              "\xC3\x96"
              "sterreich Klang");

    const PluginInfo noName = host.Examine(Installed("noname.so"));
    EXPECT_TRUE(noName.ok);
    EXPECT_EQ(noName.DisplayName(), "noname") << "the file name stands in";
    EXPECT_EQ(noName.VendorGroup(), "Other");

    const struct {
        const char* file;
        const char* reason;
    } failures[] = {
        {"noentry.so", "no entry point"},  {"nulleffect.so", "returned no effect"},
        {"badmagic.so", "wrong magic"},    {"broken.so", "cannot be loaded"},
        {"absent.so", "cannot be loaded"},
    };
    for (const auto& f : failures) {
        const PluginInfo info = host.Examine(Installed(f.file));
        EXPECT_FALSE(info.ok) << f.file;
        EXPECT_NE(info.failure.find(f.reason), std::string::npos) << f.file << ": " << info.failure;
    }
    for (const char* file : {"identity_acme.so", "noname.so", "noentry.so", "badmagic.so"}) {
        EXPECT_FALSE(platform::SharedLibrary::IsLoaded(Installed(file)))
            << file << " stayed loaded";
    }
    EXPECT_TRUE(host.IsChainEmpty());
}

TEST_F(ScanFixture, ExamineOpensAsksAndClosesTheEffectWithoutResumingIt) {
    Install({"recorder"});
    Configure();
    RecorderLog& log = Recorder();
    EXPECT_EQ(host.Examine(Installed("recorder.so")).name, "Recorder");
    // Raw numbers: open, program, rate, block size, name, vendor (the recorder asks for idle
    // there, which calls it back with 19 and 53), product, category, close.
    const std::vector<int32_t> expected = {0, 2, 10, 11, 45, 47, 19, 53, 48, 35, 1};
    EXPECT_EQ(RecordedOpcodes(), expected);
    ASSERT_EQ(log.calls.size(), expected.size());
    EXPECT_EQ(log.calls[1].value, 0);
    EXPECT_EQ(log.calls[2].opt, 44100.0f);
    EXPECT_EQ(log.calls[3].value, 512);  // frames, not bytes
}

TEST_F(ScanFixture, TheCatalogueGivesWholeNamesAndPaths) {
    PluginInfo named;
    named.path = "/x/long.so";
    named.name = std::string(80, 'n');
    PluginInfo unnamed;
    unnamed.path = "/y/Delay.so";
    host.SetCatalog({named, unnamed});
    EXPECT_EQ(host.CatalogSize(), 2u);
    EXPECT_EQ(host.PluginName(0), std::string(80, 'n'));
    EXPECT_STREQ(host.PluginName(1), "Delay");
    EXPECT_STREQ(host.PluginPath(1), "/y/Delay.so");
    EXPECT_EQ(host.PluginName(2), nullptr);
    EXPECT_EQ(host.PluginName(-1), nullptr);
    EXPECT_EQ(host.PluginPath(2), nullptr);
}

TEST_F(ScanFixture, LoadingFailsUntilTheHostIsConfigured) {
    Install({"passthrough"});
    EXPECT_EQ(EffectOf(host.AddEffect("passthrough.so")), nullptr);
    EXPECT_FALSE(platform::SharedLibrary::IsLoaded(Installed("passthrough.so")));
    Configure();
    EXPECT_NE(EffectOf(host.AddEffect("passthrough.so")), nullptr);
    EXPECT_EQ(host.ChainSize(), 1u);
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
