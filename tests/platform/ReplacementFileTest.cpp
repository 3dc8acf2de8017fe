// Replacing a file through a temporary one beside it: every legal name can be replaced, and the
// temporary files a killed writer leaves are removed at the next start, never a live one's.

#include "platform/ReplacementFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "platform/PartFiles.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

std::set<std::string> NamesIn(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(ReplacementFile, EveryLegalNameIsCreatedAndReplaced) {
    std::vector<std::string> names = {"a.wav"};
    for (size_t length = 246; length <= 255; ++length) {
        names.push_back(std::string(length - 4, 'n') + ".wav");
    }
    std::string twoByteLetters = "x.wav";  // 255 bytes: the cut must not split a letter
    std::string threeByteSigns;            // 255 bytes of euro signs
    for (int i = 0; i < 125; ++i) {
        twoByteLetters += "\xc3\xa9";
    }
    for (int i = 0; i < 85; ++i) {
        threeByteSigns += "\xe2\x82\xac";
    }
    names.insert(names.end(), {twoByteLetters, threeByteSigns});
    TempDir dir;
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        for (const uint8_t contents : {0x11, 0x22}) {  // a new file, then replacing it
            platform::ReplacementFile out;
            ASSERT_TRUE(out.Create(dir.File(name))) << out.FailureReason();
            WriteBytes(out.Path(), std::vector<uint8_t>(100, contents));
            ASSERT_TRUE(out.Commit()) << out.FailureReason();
            EXPECT_EQ(ReadBytes(dir.File(name)), std::vector<uint8_t>(100, contents));
            EXPECT_EQ(NamesIn(dir), std::set<std::string>{name}) << "no temporary file left";
        }
        std::filesystem::remove(dir.File(name));
    }
}

// A child process that starts replacing `target` and waits to be killed.
pid_t StartWriter(const std::string& target) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::ReplacementFile out;
        const char created = out.Create(target) ? 'y' : 'n';
        (void)!::write(ready[1], &created, 1);
        ::pause();
        ::_exit(0);
    }
    char created = 'n';
    (void)!::read(ready[0], &created, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(created, 'y');
    return child;
}

void Kill(pid_t child) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(PartFiles, OnlyThoseOfDeadWritersAreRemovedAtStart) {
    TempDir dir;
    TempDir state;
    ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);  // the notes go there
    const pid_t killed = StartWriter(dir.File("killed.wav"));
    const std::set<std::string> killedOnly = NamesIn(dir);
    const pid_t running = StartWriter(dir.File("running.wav"));
    Kill(killed);
    platform::ReplacementFile ours;
    ASSERT_TRUE(ours.Create(dir.File("ours.wav")));
    // A file of the user's that merely looks like one of ours: Orvane never noted it.
    const std::string lookalike = ".song.wav.orvane-0000abcd.part";
    WriteBytes(dir.File(lookalike), {1, 2, 3});
    const std::set<std::string> before = NamesIn(dir);
    ASSERT_EQ(before.size(), 4u);

    EXPECT_EQ(platform::part_files::RemoveStale(), 1);
    std::set<std::string> expected = before;
    expected.erase(*killedOnly.begin());
    EXPECT_EQ(NamesIn(dir), expected) << "only the killed writer's file went";
    WriteBytes(ours.Path(), {9});
    EXPECT_TRUE(ours.Commit()) << ours.FailureReason();

    Kill(running);
    EXPECT_EQ(platform::part_files::RemoveStale(), 1);
    EXPECT_EQ(NamesIn(dir), (std::set<std::string>{lookalike, "ours.wav"}));
    EXPECT_TRUE(std::filesystem::is_empty(state.Path() / "orvane" / "parts")) << "no notes left";
    ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
