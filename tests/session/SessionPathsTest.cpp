// Where a session is saved: never over one of its own sources, by any name.

#include <gtest/gtest.h>

#include <filesystem>

#include "session/EditSession.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

TEST(SessionPaths, NeverSavedOverItsOwnSources) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("x"));
    const std::string source = dir.File("x/a.wav");
    const std::string listed = dir.File("x/b.wav");  // opened, used by no segment
    WriteWav(source, MakeFrames(1, 2000));
    WriteWav(listed, MakeFrames(2, 500));
    std::filesystem::create_hard_link(source, dir.File("hard.wav"));
    std::filesystem::create_symlink(listed, dir.File("sym.wav"));
    EditSession session;
    ASSERT_TRUE(session.Edits().AddFile(source.c_str()));
    ASSERT_TRUE(session.Edits().AddFile(listed.c_str()));
    session.Edits().DeleteRange(0, 100);
    const uint64_t sums[] = {Checksum(source), Checksum(listed)};
    const struct {
        const char* name;
        std::string path;
        const std::string& named;  // the source the error names
    } cases[] = {
        {"the source", source, source},
        {"the source, spelt otherwise", dir.File("x/../x/./a.wav"), source},
        {"the source, hard link", dir.File("hard.wav"), source},
        {"a listed file, symbolic link", dir.File("sym.wav"), listed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(session.Save(c.path, error));
        EXPECT_EQ(error.rfind(c.path + ": it is the source file " + c.named, 0), 0u) << error;
        EXPECT_TRUE(session.IsModified()) << "still unsaved";
        EXPECT_EQ(Checksum(source), sums[0]);
        EXPECT_EQ(Checksum(listed), sums[1]);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("sym.wav")));
    std::string error;
    EXPECT_TRUE(session.Save(dir.File("x/mix.orvane"), error)) << error;
}

}  // namespace
