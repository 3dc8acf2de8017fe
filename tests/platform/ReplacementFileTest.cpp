// Replacing a file through a temporary one beside it: every legal name can be replaced, and the
// temporary files a killed writer leaves are removed at the next start, never a live one's.

#include "platform/ReplacementFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/PartFiles.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

std::vector<std::string> NamesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(ReplacementFile, EveryLegalNameIsCreatedAndReplaced) {
    std::vector<std::string> names;
    for (size_t length = 246; length <= 255; ++length) {
        names.push_back(Repeat("n", length - 4) + ".wav");
    }
    names.push_back(Repeat("\xc3\xa9", 124) + "x.wav\xc3\xa9");  // 255 bytes, two-byte letters
    names.push_back(Repeat("\xe2\x82\xac", 85));                // 255 bytes of three-byte ones
    names.push_back("a.wav");
    TempDir dir;
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        for (const uint8_t contents : {0x11, 0x22}) {  // a new file, then replacing it
            platform::ReplacementFile out;
            ASSERT_TRUE(out.Create(dir.File(name))) << out.FailureReason();
            const std::string part = std::filesystem::path(out.Path()).filename().string();
            EXPECT_LE(part.size(), 255u);
            EXPECT_TRUE(platform::part_files::IsPartFileName(part)) << part;
            WriteBytes(out.Path(), std::vector<uint8_t>(100, contents));
            ASSERT_TRUE(out.Commit()) << out.FailureReason();
            EXPECT_EQ(ReadBytes(dir.File(name)), std::vector<uint8_t>(100, contents));
            EXPECT_EQ(NamesIn(dir), std::vector<std::string>{name}) << "no temporary file left";
        }
        std::filesystem::remove(dir.File(name));
    }
}

// A child process that creates a replacement for `target`, says so on a pipe and waits to be
// killed: its temporary file is then left behind with nobody to remove it.
pid_t StartWriter(const std::string& target) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        platform::ReplacementFile out;
        const char done = out.Create(target) ? 'y' : 'n';
        (void)::write(ready[1], &done, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 'n';
    (void)::read(ready[0], &answer, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return answer == 'y' ? child : -1;
}

void Kill(pid_t child) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

std::string PartOf(const TempDir& dir, const std::string& target) {
    for (const std::string& name : NamesIn(dir)) {
        if (name.rfind("." + target + ".orvane-", 0) == 0) {
            return name;
        }
    }
    return {};
}

TEST(PartFiles, OnlyThoseOfDeadWritersAreRemovedAtStart) {
    TempDir dir;
    TempDir state;
    const char* previous = std::getenv("XDG_STATE_HOME");
    const std::string kept = previous != nullptr ? previous : "";
    ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);

    const pid_t killed = StartWriter(dir.File("killed.wav"));
    const pid_t running = StartWriter(dir.File("running.wav"));
    ASSERT_GT(killed, 0);
    ASSERT_GT(running, 0);
    Kill(killed);
    platform::ReplacementFile ours;
    ASSERT_TRUE(ours.Create(dir.File("ours.wav")));
    // A file of the user's that merely looks like one of ours: Orvane never noted it.
    WriteBytes(dir.File(".song.wav.orvane-0000abcd.part"), {1, 2, 3});
    const std::string killedPart = PartOf(dir, "killed.wav");
    const std::string runningPart = PartOf(dir, "running.wav");
    ASSERT_FALSE(killedPart.empty());
    ASSERT_FALSE(runningPart.empty());

    EXPECT_EQ(platform::part_files::RemoveStale(), 1);
    const std::vector<std::string> afterFirst = NamesIn(dir);
    EXPECT_EQ(std::count(afterFirst.begin(), afterFirst.end(), killedPart), 0) << "dead writer";
    EXPECT_EQ(std::count(afterFirst.begin(), afterFirst.end(), runningPart), 1) << "live process";
    EXPECT_EQ(afterFirst.size(), 3u) << "ours, the running one's and the user's file stay";
    WriteBytes(ours.Path(), {9});
    EXPECT_TRUE(ours.Commit()) << ours.FailureReason();

    Kill(running);
    EXPECT_EQ(platform::part_files::RemoveStale(), 1);
    EXPECT_EQ(NamesIn(dir),
              (std::vector<std::string>{".song.wav.orvane-0000abcd.part", "ours.wav"}));
    EXPECT_TRUE(std::filesystem::is_empty(state.Path() / "orvane" / "parts")) << "no notes left";

    if (previous != nullptr) {
        ::setenv("XDG_STATE_HOME", kept.c_str(), 1);
    } else {
        ::unsetenv("XDG_STATE_HOME");
    }
}

}  // namespace
