// Where plug-in libraries are looked for: the folder list from the environment, and the walk
// through subfolders and links that lists each library once.

#include <gtest/gtest.h>

#include <filesystem>

#include "plugins/PluginPaths.h"
#include "support/TestWav.h"

namespace fs = std::filesystem;

namespace {

TEST(PluginFolders, VstPathReplacesTheStandardFoldersAndVstplugsComesFirst) {
    const struct {
        const char* what;
        std::optional<std::string> vstPath;
        std::string home;
        std::vector<std::string> expected;
    } cases[] = {
        {"unset",
         std::nullopt,
         "/home/u",
         {"/work/vstplugs", "/home/u/.vst", "/home/u/.lxvst", "/usr/local/lib/vst",
          "/usr/local/lib/lxvst", "/usr/lib/vst", "/usr/lib/lxvst"}},
        {"unset, no home",
         std::nullopt,
         "",
         {"/work/vstplugs", "/usr/local/lib/vst", "/usr/local/lib/lxvst", "/usr/lib/vst",
          "/usr/lib/lxvst"}},
        {"one folder", "/opt/fx", "/home/u", {"/work/vstplugs", "/opt/fx"}},
        {"several, empty parts skipped",
         ":/opt/a::/opt/b:",
         "/home/u",
         {"/work/vstplugs", "/opt/a", "/opt/b"}},
        {"set but empty", "", "/home/u", {"/work/vstplugs"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plugin_paths::SearchFolders("/work", c.vstPath, c.home), c.expected) << c.what;
    }
}

TEST(PluginFolders, TheCacheLivesInTheXdgCacheFolderOrBelowHome) {
    const struct {
        std::optional<std::string> xdg;
        std::optional<std::string> home;
        std::string expected;
    } cases[] = {
        {"/c", "/home/u", "/c/orvane/plugins.cache"},
        {std::nullopt, "/home/u", "/home/u/.cache/orvane/plugins.cache"},
        {"relative/not/used", "/home/u", "/home/u/.cache/orvane/plugins.cache"},
        {std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plugin_paths::CacheFile(c.xdg, c.home), c.expected);
    }
}

class DiscoveryFixture : public ::testing::Test {
protected:
    std::string Make(const std::string& relative) {
        const fs::path path = dir.Path() / relative;
        fs::create_directories(path.parent_path());
        testing_support::WriteBytes(path.string(), {0x7F, 'E', 'L', 'F'});
        return fs::canonical(path).string();
    }
    std::string Folder(const std::string& relative) {
        fs::create_directories(dir.Path() / relative);
        return (dir.Path() / relative).string();
    }
    void Link(const std::string& target, const std::string& relative) {
        fs::create_symlink(dir.Path() / target, dir.Path() / relative);
    }

    testing_support::TempDir dir;
};

TEST_F(DiscoveryFixture, SubfoldersAndLinksAreWalkedAndEachLibraryListedOnceByItsRealPath) {
    const std::string a = Make("root/a.so");
    const std::string b = Make("root/sub/b.so");
    const std::string c = Make("root/sub/deeper/c.so");
    Make("root/notes.txt");
    Make("root/sub/plugin.so.bak");
    Folder("root/folder.so");  // a folder with the suffix is no library
    const std::string d = Make("elsewhere/d.so");
    Link("elsewhere", "root/linked");        // a linked folder is walked
    Link("root/a.so", "root/sub/again.so");  // the same library through a link
    Link("root", "root/sub/loop");           // a cycle
    const std::string e = Make("second/e.so");
    Link("root/sub", "second/sub-again");  // a second root reaching the first one's files

    const std::vector<std::string> found = plugin_paths::FindLibraries(
        {(dir.Path() / "root").string(), (dir.Path() / "missing").string(),
         (dir.Path() / "second").string()});
    // Each root's files sorted by real path; a file met again later is not listed again.
    std::vector<std::string> rootFiles = {a, b, c, d};
    std::sort(rootFiles.begin(), rootFiles.end());
    std::vector<std::string> expected = rootFiles;
    expected.push_back(e);
    EXPECT_EQ(found, expected);
}

TEST_F(DiscoveryFixture, MissingAndEmptyFoldersGiveNothing) {
    EXPECT_TRUE(plugin_paths::FindLibraries({}).empty());
    EXPECT_TRUE(plugin_paths::FindLibraries({(dir.Path() / "nowhere").string()}).empty());
    EXPECT_TRUE(plugin_paths::FindLibraries({Folder("empty")}).empty());
    const std::string only = Make("a/x.so");
    EXPECT_EQ(plugin_paths::FindLibraries({(dir.Path() / "nowhere").string(), Folder("a")}),
              std::vector<std::string>{only});
}

}  // namespace
