// `orvane --list-plugins` and `--rescan`: the real program, run without a display, over a
// folder of test plug-ins, with a cache of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/ChildProcess.h"
#include "support/TestWav.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class PluginListCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.Path() / "vst/sub");
        for (const char* plugin : {"gain.so", "identity_acme.so"}) {
            fs::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                          dir.Path() / "vst/sub" / plugin);
        }
        fs::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/noentry.so",
                      dir.Path() / "vst/noentry.so");
        Set("VST_PATH", (dir.Path() / "vst").string());
        Set("XDG_CACHE_HOME", (dir.Path() / "cache").string());
        Set("HOME", dir.Path().string());
        Set("ORVANE_SCANNER", ORVANE_SCANNER_PROGRAM);
        Set("DISPLAY", "");  // no window may be needed
        previous = fs::current_path();
        fs::current_path(dir.Path());
    }
    void TearDown() override {
        fs::current_path(previous);
        for (const auto& [name, value] : saved) {
            if (value.has_value()) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    void Set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }
    platform::ChildResult Run(std::vector<std::string> arguments) {
        return platform::RunChild(ORVANE_PROGRAM, arguments, 60s);
    }
    std::string Real(const std::string& relative) const {
        return fs::canonical(dir.Path() / relative).string();
    }

    testing_support::TempDir dir;
    fs::path previous;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(PluginListCommand, PrintsNameVendorPathAndStatusOfEveryPlugin) {
    fs::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/instrument.so",
                  dir.Path() / "vst/instrument.so");
    const platform::ChildResult run = Run({"--list-plugins"});
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0);
    const std::string expected =
        "Plate Reverb\tAcme Audio\t" + Real("vst/sub/identity_acme.so") + "\tok\n" +
        "Gain\tOther\t" + Real("vst/sub/gain.so") + "\tok\n" + "noentry\tOther\t" +
        Real("vst/noentry.so") + "\tfailed: no entry point (VSTPluginMain or main)\n" +
        "Tone Organ\tOther\t" + Real("vst/instrument.so") + "\tinstrument (no audio input)\n";
    EXPECT_EQ(run.output, expected);
    EXPECT_TRUE(fs::exists(dir.Path() / "cache/orvane/plugins.cache"));
}

TEST_F(PluginListCommand, ControlCharactersInANameAreEscapedSoEachPluginKeepsOneLine) {
    // A plug-in without a name is listed by its file name, which may hold anything but '/'.
    fs::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/noname.so",
                  dir.Path() / "vst/tab\there\nnext\abell\\.so");
    for (int run = 0; run < 2; ++run) {  // examined, then from the cache
        SCOPED_TRACE(run == 0 ? "examined" : "from the cache");
        const platform::ChildResult result = Run({"--list-plugins"});
        ASSERT_EQ(result.exitCode, 0);
        std::istringstream lines(result.output);
        std::string line;
        int count = 0;
        while (std::getline(lines, line)) {
            ++count;
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
        }
        EXPECT_EQ(count, 4);
        EXPECT_NE(result.output.find("\ntab\\there\\nnext\\x07bell\\\\\tOther\t" + Real("vst") +
                                     "/tab\\there\\nnext\\x07bell\\\\.so\tok\n"),
                  std::string::npos)
            << result.output;
    }
}

TEST_F(PluginListCommand, RescanExaminesEverythingAgainWhileAListUsesTheCache) {
    ASSERT_EQ(Run({"--rescan"}).output, "2 plug-ins, 1 failed; 3 examined\n");
    ASSERT_EQ(Run({"--rescan"}).output, "2 plug-ins, 1 failed; 3 examined\n");
    // The list after a scan examines nothing: the same lines, from the cache.
    const std::string first = Run({"--list-plugins"}).output;
    fs::remove(dir.Path() / "vst/sub/gain.so");
    const std::string second = Run({"--list-plugins"}).output;
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 3);
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 2) << "a removed library is gone";
}

TEST_F(PluginListCommand, AMissingScannerIsAnErrorWithNoOutput) {
    Set("ORVANE_SCANNER", (dir.Path() / "missing").string());
    const platform::ChildResult run = Run({"--list-plugins"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "");
}

}  // namespace
