// The workspace's sources: why a file is refused, the workspace's sample rate, and copies
// between files of different rates.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "audio/Workspace.h"
#include "support/TestWav.h"
#include "support/WavBytes.h"

using namespace testing_support;

namespace {

TEST(WorkspaceSources, EachRefusalNamesItsReason) {
    TempDir dir;
    WriteWav(dir.File("open.wav"), MakeFrames(1, 10));
    WriteWav(dir.File("held.wav"), MakeFrames(2, 10));
    WriteBytes(dir.File("notes.wav"),
               {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't', '.', '.', '.', '\n'});
    WriteBytes(dir.File("six.wav"),
               Riff(Concat({FmtChunk(1, 6, 48000, 16), Chunk("data", Bytes(12, 0))})));
    WriteBytes(dir.File("adpcm.wav"),
               Riff(Concat({FmtChunk(7, 1, 8000, 8, 18), Chunk("fact", {2, 0, 0, 0}),
                            Chunk("data", {1, 2})})));
    std::filesystem::create_directory(dir.File("folder.wav"));

    Workspace ws;
    ASSERT_TRUE(ws.AddFile(dir.File("open.wav").c_str()));
    WaveFile otherProgram;  // another open of the file holds its lock, as another program would
    ASSERT_TRUE(otherProgram.Open(dir.File("held.wav").c_str(), WaveFile::kRead));
    std::filesystem::create_symlink(dir.File("open.wav"), dir.File("link.wav"));

    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"missing.wav", "No such file or directory"},
        {"folder.wav", "it is a directory"},
        {"notes.wav", "it is not a WAV file"},
        {"six.wav", "6 channels; Orvane opens mono and stereo files"},
        {"adpcm.wav", "Orvane opens PCM (8, 16, 24, 32 bits) and floating-point files"},
        {"held.wav", "it is locked by another program"},
        {"open.wav", "it is already open in Orvane"},
        {"link.wav", "it is already open in Orvane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string why = "untouched";
        EXPECT_FALSE(ws.AddFile(dir.File(c.file).c_str(), &why));
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_EQ(ws.FileCount(), 1u) << "a refused file changes nothing";
    }
    EXPECT_EQ(ws.TotalLength(), 10u);
}

TEST(WorkspaceSources, TheFirstFileSetsTheRate) {
    TempDir dir;
    WriteBytes(dir.File("a48.wav"), CanonicalWav({1, 2, 3, 4}, 48000));
    WriteBytes(dir.File("b44.wav"), CanonicalWav({5, 6}, 44100));
    Workspace ws;
    EXPECT_EQ(ws.SampleRate(), 0u) << "no file, no rate";
    ASSERT_TRUE(ws.AddFile(dir.File("a48.wav").c_str()));
    ASSERT_TRUE(ws.AddFile(dir.File("b44.wav").c_str()));
    EXPECT_EQ(ws.SampleRate(), 48000u);
    EXPECT_EQ(ws.FileSampleRate(0), 48000u);
    EXPECT_EQ(ws.FileSampleRate(1), 44100u);
    ws.Clear();
    ASSERT_TRUE(ws.AddFile(dir.File("b44.wav").c_str()));
    EXPECT_EQ(ws.SampleRate(), 44100u) << "after clearing, the new first file decides";
}

TEST(WorkspaceSources, CopyAcrossRatesIsRefusedAndChangesNothing) {
    TempDir dir;
    WriteBytes(dir.File("a44.wav"), CanonicalWav({1, 2, 3, 4, 5, 6}, 44100));
    WriteBytes(dir.File("b48.wav"), CanonicalWav({7, 8, 9, 10}, 48000));
    WriteBytes(dir.File("c44.wav"), CanonicalWav({11, 12, 13, 14}, 44100));
    Workspace ws;
    ASSERT_TRUE(ws.AddFile(dir.File("a44.wav").c_str()));
    ASSERT_TRUE(ws.AddFile(dir.File("b48.wav").c_str()));
    ASSERT_TRUE(ws.AddFile(dir.File("c44.wav").c_str()));

    ws.CopyRange(0, 2);
    const std::list<Segment> before = ws.Clipboard();
    EXPECT_FALSE(ws.CopyFromFile(0, 2, 1));
    ASSERT_EQ(ws.Clipboard().size(), before.size());
    EXPECT_EQ(ws.Clipboard().front().file, before.front().file) << "the clipboard is kept";
    EXPECT_EQ(ws.Clipboard().front().end, before.front().end);

    EXPECT_TRUE(ws.CopyFromFile(0, 2, 2)) << "same rate";
    EXPECT_EQ(ws.Clipboard().front().file, ws.File(2));
    EXPECT_TRUE(ws.CopyFromFile(0, 2, 0));
    EXPECT_EQ(ws.Clipboard().front().file, ws.File(0));
}

TEST(WorkspaceSources, AnUnreadableFileSaysPermissionDenied) {
    TempDir dir;
    WriteWav(dir.File("private.wav"), MakeFrames(1, 10));
    std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));
    std::filesystem::permissions(dir.File("private.wav"), std::filesystem::perms::none);
    // Root reads any file whatever its mode: the open runs in a child that gives up root first.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) {
            _exit(2);
        }
        Workspace ws;
        std::string why;
        const bool opened = ws.AddFile(dir.File("private.wav").c_str(), &why);
        _exit(!opened && why.find("Permission denied") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: opened or another reason; 2: could not give up root";
}

}  // namespace
