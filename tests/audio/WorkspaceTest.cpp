#include "audio/Workspace.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/TestWav.h"

using namespace testing_support;

namespace {

// A workspace over generated files, each checked at the end to be untouched.
class WorkspaceFixture : public ::testing::Test {
protected:
    std::string AddGenerated(uint32_t fileId, uint32_t frames) {
        const std::string path = dir.File("f" + std::to_string(fileId) + ".wav");
        WriteWav(path, MakeFrames(fileId, frames));
        checksums.emplace_back(path, Checksum(path));
        EXPECT_TRUE(ws.AddFile(path.c_str()));
        return path;
    }

    std::vector<Frame> Read(uint32_t position, uint32_t n, bool expectInside = true) {
        std::vector<Frame> out(n, 0xDEADBEEF);
        uint32_t got = 12345;
        EXPECT_EQ(ws.ReadFrames(out.data(), n, got, position), expectInside);
        out.resize(expectInside ? got : 0);
        return out;
    }

    void TearDown() override {
        ws.Clear();
        for (const auto& [path, sum] : checksums) {
            EXPECT_EQ(Checksum(path), sum) << path << " was written";
        }
    }

    TempDir dir;
    Workspace ws;
    std::vector<std::pair<std::string, uint64_t>> checksums;
};

std::vector<Frame> Concat(std::initializer_list<std::vector<Frame>> parts) {
    std::vector<Frame> all;
    for (const auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

std::vector<Frame> FramesOf(uint32_t fileId, uint32_t from, uint32_t to) {
    std::vector<Frame> all = MakeFrames(fileId, to);
    return {all.begin() + from, all.end()};
}

TEST_F(WorkspaceFixture, FirstFileSeedsTheSegmentListLaterFilesOnlyJoinTheList) {
    EXPECT_TRUE(ws.IsEmpty());
    AddGenerated(1, 1000);
    EXPECT_FALSE(ws.IsEmpty());
    EXPECT_EQ(ws.TotalLength(), 1000u);
    AddGenerated(2, 300);
    EXPECT_EQ(ws.TotalLength(), 1000u);
    ASSERT_EQ(ws.Segments().size(), 1u);
    EXPECT_EQ(ws.FileCount(), 2u);
    EXPECT_EQ(ws.FileLength(1), 300u);
    EXPECT_EQ(ws.FileLength(7), 1000u) << "an index past the last file means the first file";

    std::vector<Frame> buf(10);
    uint32_t got = 0;
    EXPECT_TRUE(ws.ReadFileFrames(1, buf.data(), 10, got, 295));
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(buf[0], MakeFrames(2, 300)[295]);
    EXPECT_TRUE(ws.ReadFileFrames(9, buf.data(), 10, got, 0));
    EXPECT_EQ(buf[0], MakeFrames(1, 1)[0]);
    EXPECT_TRUE(ws.ReadFileFrames(1, buf.data(), 10, got, 5000));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(ws.ReadFileFrames(1, nullptr, 10, got, 0));
    EXPECT_FALSE(ws.ReadFileFrames(1, buf.data(), 0, got, 0));

    ws.CopyRange(0, 10);
    ws.Clear();
    EXPECT_TRUE(ws.IsEmpty());
    EXPECT_TRUE(ws.IsClipboardEmpty());
    EXPECT_EQ(ws.TotalLength(), 0u);
    EXPECT_EQ(ws.FileLength(0), 0u);
    EXPECT_FALSE(ws.ReadFileFrames(0, buf.data(), 10, got, 0));

    AddGenerated(3, 50);  // seeds again after Clear
    EXPECT_EQ(ws.TotalLength(), 50u);
}

TEST_F(WorkspaceFixture, FailedAddFileChangesNothing) {
    const std::string first = AddGenerated(1, 100);
    EXPECT_FALSE(ws.AddFile(first.c_str())) << "the same file cannot be opened twice";
    EXPECT_FALSE(ws.AddFile(dir.File("missing.wav").c_str()));
    WriteBytes(dir.File("short.wav"), {1, 2, 3});
    EXPECT_FALSE(ws.AddFile(dir.File("short.wav").c_str()));
    EXPECT_EQ(ws.FileCount(), 1u);
    EXPECT_EQ(ws.TotalLength(), 100u);
}

TEST_F(WorkspaceFixture, EmptyFirstFileGivesOneZeroLengthSegment) {
    AddGenerated(1, 0);
    ASSERT_EQ(ws.Segments().size(), 1u);
    EXPECT_EQ(ws.TotalLength(), 0u);
    EXPECT_EQ(Read(0, 8), std::vector<Frame>{});
    Read(1, 8, false);
}

TEST_F(WorkspaceFixture, ReadsFollowTheEditListAcrossSegments) {
    // [A 0-1000][A 5000-6000] over a 10000-frame file A.
    AddGenerated(1, 10000);
    ws.DeleteRange(6000, 10000);
    ws.DeleteRange(1000, 5000);
    ASSERT_EQ(ws.TotalLength(), 2000u);

    EXPECT_EQ(Read(800, 512), Concat({FramesOf(1, 800, 1000), FramesOf(1, 5000, 5312)}))
        << "a read crossing a boundary continues in the next segment, not into deleted frames";
    EXPECT_EQ(Read(1000, 512), FramesOf(1, 5000, 5512)) << "at the boundary";
    EXPECT_EQ(Read(1001, 512), FramesOf(1, 5001, 5513));
    EXPECT_EQ(Read(1800, 512), FramesOf(1, 5800, 6000)) << "ends with the workspace";
    EXPECT_EQ(Read(2000, 512), std::vector<Frame>{}) << "the workspace length itself: true, 0";
    Read(2001, 512, false);

    uint32_t got = 77;
    Frame one = 0;
    EXPECT_FALSE(ws.ReadFrames(nullptr, 1, got, 0));
    EXPECT_FALSE(ws.ReadFrames(&one, 0, got, 0));
    EXPECT_EQ(got, 77u) << "framesRead is left alone on failure";

    ws.DeleteRange(0, 2000);
    EXPECT_EQ(ws.Segments().size(), 0u);
    Read(0, 1, false);
}

TEST_F(WorkspaceFixture, ReadsSkipZeroLengthSegmentsAndMixFiles) {
    AddGenerated(1, 100);
    AddGenerated(2, 100);
    ws.CopyFromFile(10, 20, 1);
    ws.PasteAt(100);  // [A 0-100][B 10-20][A 100-100]
    ws.PasteAt(50);   // [A 0-50][B 10-20][A 50-100][B 10-20][A 100-100]
    EXPECT_EQ(ws.TotalLength(), 120u);
    EXPECT_EQ(Read(45, 100), Concat({FramesOf(1, 45, 50), FramesOf(2, 10, 20), FramesOf(1, 50, 100),
                                     FramesOf(2, 10, 20)}));
    EXPECT_EQ(Read(110, 100), FramesOf(2, 10, 20));
}

TEST_F(WorkspaceFixture, TwoThreadsReadTheSameFileAtOnce) {
    // The view and the player read the same files concurrently; positioned reads keep
    // each thread's frames its own.
    AddGenerated(1, 40000);
    ws.DeleteRange(10000, 20000);
    const std::vector<Frame> expected = Concat({FramesOf(1, 0, 10000), FramesOf(1, 20000, 40000)});
    auto reader = [&](uint32_t block, bool& ok) {
        std::vector<Frame> buf(block);
        ok = true;
        for (int pass = 0; pass < 20; ++pass) {
            for (uint32_t pos = 0; pos < 30000; pos += block) {
                uint32_t got = 0;
                ok = ok && ws.ReadFrames(buf.data(), block, got, pos);
                ok = ok && std::equal(buf.begin(), buf.begin() + got, expected.begin() + pos);
            }
        }
    };
    bool okA = false;
    bool okB = false;
    std::thread a(reader, 512, std::ref(okA));
    std::thread b(reader, 777, std::ref(okB));
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
}

}  // namespace

namespace {

class WorkspaceCloseFile : public WorkspaceFixture {};

TEST_F(WorkspaceCloseFile, OnlyAFileThatNothingUsesCloses) {
    const std::string first = AddGenerated(1, 1000);  // the workspace's audio
    const std::string second = AddGenerated(2, 500);
    AddGenerated(3, 300);
    EXPECT_TRUE(ws.IsFileUsed(0));
    EXPECT_FALSE(ws.IsFileUsed(1));
    EXPECT_FALSE(ws.CloseFile(0)) << "the workspace's segments point into it";
    EXPECT_FALSE(ws.CloseFile(3)) << "no such file";

    ws.CopyFromFile(0, 100, 1);
    EXPECT_TRUE(ws.IsFileUsed(1)) << "the clipboard holds frames of it";
    EXPECT_FALSE(ws.CloseFile(1));
    ws.CopyRange(0, 10);  // the clipboard moves to the first file
    ASSERT_TRUE(ws.CloseFile(1));
    ASSERT_EQ(ws.FileCount(), 2u);
    EXPECT_EQ(ws.FileLength(1), 300u) << "the third file moved up";
    EXPECT_EQ(Read(0, 2), (std::vector<Frame>{(1u << 24) | 0, (1u << 24) | 1}));

    EXPECT_TRUE(ws.AddFile(second.c_str())) << "closing released the file's lock";
    EXPECT_FALSE(ws.AddFile(first.c_str())) << "a file that stayed open keeps its lock";
}

}  // namespace
