// Peak tables against the frames themselves: folds over random ranges and through random edit
// lists, the builder held back, released and cancelled, and the frames hash it notes.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include <xxhash.h>

#include "audio/PeakPyramid.h"
#include "audio/Workspace.h"
#include "session/SessionFile.h"
#include "support/PeakTestSupport.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

int16_t Left(Frame f) {
    return int16_t(uint16_t(f));
}
int16_t Right(Frame f) {
    return int16_t(uint16_t(f >> 16));
}

PeakEntry Expected(const Frame* frames, size_t count) {
    PeakEntry e;
    for (size_t i = 0; i < count; ++i) {
        e.leftMin = std::min(e.leftMin, Left(frames[i]));
        e.leftMax = std::max(e.leftMax, Left(frames[i]));
        e.rightMin = std::min(e.rightMin, Right(frames[i]));
        e.rightMax = std::max(e.rightMax, Right(frames[i]));
    }
    return e;
}

void ExpectSame(const PeakEntry& got, const PeakEntry& want, const std::string& where) {
    EXPECT_EQ(got.leftMin, want.leftMin) << where;
    EXPECT_EQ(got.leftMax, want.leftMax) << where;
    EXPECT_EQ(got.rightMin, want.rightMin) << where;
    EXPECT_EQ(got.rightMax, want.rightMax) << where;
}

// Folds [a, b) of `file` from its tables plus the raw runs they leave.
PeakEntry FoldWithRawReads(const PeakPyramid& peaks, uint32_t a, uint32_t b,
                           uint64_t* rawFrames = nullptr, uint32_t* longestRaw = nullptr) {
    PeakEntry e;
    std::vector<Frame> buffer;
    uint32_t expectedNext = a;
    peaks.Fold(a, b, e, [&](uint32_t from, uint32_t to) {
        EXPECT_LT(from, to);
        EXPECT_GE(from, expectedNext) << "raw runs come in order and never overlap";
        expectedNext = to;
        buffer.resize(to - from);
        EXPECT_EQ(peaks.File().ReadFramesAt(buffer.data(), to - from, from), to - from);
        const PeakEntry part = Expected(buffer.data(), buffer.size());
        e.Merge(part);
        if (rawFrames != nullptr) {
            *rawFrames += to - from;
        }
        if (longestRaw != nullptr) {
            *longestRaw = std::max(*longestRaw, to - from);
        }
    });
    return e;
}

class PeakTables : public ::testing::Test {
protected:
    // Longer than one chunk of the builder, and no multiple of any entry.
    static constexpr uint32_t kFrames = PeakPyramid::kChunkFrames + 3 * 65536 + 4321;

    void Open(std::vector<Frame> content) {
        frames = std::move(content);
        path = dir.File("a.wav");
        WriteWav(path, frames);
        ASSERT_TRUE(workspace.AddFile(path.c_str()));
    }
    const PeakPyramid& Peaks() { return *workspace.Peaks(*workspace.File(0)); }

    TempDir dir;
    std::string path;
    std::vector<Frame> frames;
    PeakGate gate;  // outlives the workspace, whose builders it may hold
    Workspace workspace;
};

TEST_F(PeakTables, FoldEqualsEveryFrameOverRandomRangesAtEveryScale) {
    std::mt19937 rng(15);
    Open(RandomWalkFrames(rng, kFrames));
    ASSERT_TRUE(WaitForTables(Peaks()));
    EXPECT_FALSE(Peaks().Failed());
    EXPECT_EQ(Peaks().Frames(), kFrames);

    // Whole entries, entry boundaries ±1, the file's end, and random ranges of every length.
    std::vector<std::pair<uint32_t, uint32_t>> ranges = {
        {0, kFrames},    {0, 1},          {kFrames - 1, kFrames},
        {255, 257},      {256, 512},      {4095, 65537},
        {65536, 131072}, {65535, 131073}, {kFrames - 70000, kFrames}};
    for (int i = 0; i < 600; ++i) {
        const uint32_t scale = 1u << (rng() % 21);
        const uint32_t a = rng() % kFrames;
        const uint32_t b = std::min<uint32_t>(kFrames, a + 1 + rng() % scale);
        ranges.emplace_back(a, b);
    }
    for (const auto& [a, b] : ranges) {
        uint64_t raw = 0;
        uint32_t longest = 0;
        const PeakEntry got = FoldWithRawReads(Peaks(), a, b, &raw, &longest);
        ExpectSame(got, Expected(frames.data() + a, b - a),
                   "[" + std::to_string(a) + ", " + std::to_string(b) + ")");
        // Only the ragged ends are read: less than a finest entry on each side (one run when
        // no whole entry lies between them).
        EXPECT_LT(longest, 2u * PeakPyramid::kEntryFrames[0]);
        EXPECT_LT(raw, 2u * PeakPyramid::kEntryFrames[0]);
    }
}

// The workspace's runs for a range are exactly what ReadFrames reads there, and folding each
// run from its file's tables gives the extremes of those frames, through random edit lists.
TEST_F(PeakTables, RunsThroughRandomEditListsFoldToTheFramesReadFromTheWorkspace) {
    std::mt19937 rng(1515);
    Open(RandomWalkFrames(rng, kFrames));
    const std::string second = dir.File("b.wav");
    WriteWav(second, RandomWalkFrames(rng, 300000));
    ASSERT_TRUE(workspace.AddFile(second.c_str()));
    ASSERT_TRUE(WaitForTables(Peaks()));
    ASSERT_TRUE(WaitForTables(*workspace.Peaks(*workspace.File(1))));

    std::vector<Frame> read;
    for (int round = 0; round < 25; ++round) {
        const uint32_t length = workspace.TotalLength();
        const uint32_t a = rng() % length;
        const uint32_t b = std::min(length, a + 1 + uint32_t(rng() % 200000));
        switch (rng() % 4) {
            case 0:
                workspace.CutRange(a, b);
                break;
            case 1:
                workspace.CopyRange(a, b);
                workspace.PasteAt(rng() % workspace.TotalLength());
                break;
            case 2:
                workspace.CopyFromFile(a % 300000, a % 300000 + rng() % 50000, 1);
                workspace.PasteAt(rng() % workspace.TotalLength());
                break;
            default:
                workspace.DeleteRange(a, a + rng() % 1000);
        }
        for (int query = 0; query < 12; ++query) {
            const uint32_t total = workspace.TotalLength();
            const uint32_t position = rng() % (total + 1);
            const uint32_t n = 1 + rng() % (1u << (rng() % 21));
            read.assign(n, 0);
            uint32_t got = 0;
            workspace.ReadFrames(read.data(), n, got, position);
            read.resize(got);

            std::vector<Frame> pieces;
            PeakEntry folded;
            workspace.ForEachPiece(
                position, n, [&](const WaveFile& file, uint32_t first, uint32_t count) {
                    std::vector<Frame> part(count);
                    EXPECT_EQ(file.ReadFramesAt(part.data(), count, first), count);
                    pieces.insert(pieces.end(), part.begin(), part.end());
                    folded.Merge(FoldWithRawReads(*workspace.Peaks(file), first, first + count));
                });
            ASSERT_EQ(pieces, read) << "round " << round << " at " << position << " n " << n;
            ExpectSame(folded, Expected(read.data(), read.size()),
                       "round " + std::to_string(round));
        }
    }
}

size_t ThreadsOfThisProcess() {
    return size_t(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                std::filesystem::directory_iterator{}));
}

TEST_F(PeakTables, HeldBackTablesCoverTheirFirstChunkAndCompleteWhenReleased) {
    workspace.SetPeakHook(gate.Hook());
    std::mt19937 rng(3);
    Open(RandomWalkFrames(rng, kFrames));
    ASSERT_TRUE(gate.WaitForArrival());
    EXPECT_EQ(Peaks().ReadyFrames(), PeakPyramid::kChunkFrames);
    EXPECT_FALSE(Peaks().IsComplete());

    // Past the ready frames the fold hands everything to the raw reads, and stays exact.
    uint64_t raw = 0;
    const PeakEntry whole = FoldWithRawReads(Peaks(), 0, kFrames, &raw);
    ExpectSame(whole, Expected(frames.data(), kFrames), "held back");
    EXPECT_EQ(raw, kFrames - PeakPyramid::kChunkFrames);

    // The frames hash comes with the complete tables. A session written before then has none,
    // unless it reads the file for it (as the same frames in a file with no tables show).
    char hash[17];
    snprintf(hash, sizeof hash, "%016llx",
             static_cast<unsigned long long>(XXH3_64bits(frames.data(), frames.size() * 4)));
    const Workspace::State held = workspace.Snapshot();
    EXPECT_NE(session_file::Write(*held).find(" - /"), std::string::npos);
    WriteWav(dir.File("copy.wav"), frames);
    auto copy = std::make_shared<WaveFile>();
    ASSERT_TRUE(copy->Open(dir.File("copy.wav").c_str(), WaveFile::kRead));
    WorkspaceState untabled;
    untabled.files = std::make_shared<WorkspaceState::Files>(WorkspaceState::Files{copy});
    EXPECT_NE(session_file::Write(untabled).find(" - /"), std::string::npos);
    EXPECT_NE(session_file::Write(untabled, session_file::Hashes::kCompute).find(hash),
              std::string::npos);

    gate.Open();
    ASSERT_TRUE(WaitForTables(Peaks()));
    raw = 0;
    ExpectSame(FoldWithRawReads(Peaks(), 0, kFrames, &raw), Expected(frames.data(), kFrames),
               "complete");
    EXPECT_EQ(raw, 0u);
    EXPECT_NE(session_file::Write(*held).find(hash), std::string::npos) << "from the tables' reads";
}

TEST_F(PeakTables, ClosingCancelsAHeldBuilderAndLeavesNoThreadBehind) {
    // A first thread may bring helpers of its own (ThreadSanitizer starts one): counted from here.
    std::thread([] {}).join();
    const size_t threadsBefore = ThreadsOfThisProcess();
    workspace.SetPeakHook(gate.Hook());
    std::mt19937 rng(4);
    Open(RandomWalkFrames(rng, kFrames));
    ASSERT_TRUE(gate.WaitForArrival());
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore + 1);
    workspace.Clear();  // returns only once the builder has stopped
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
}

TEST(PeakEntryFrames, LanesAndTailsAgreeWithOneFrameAtATime) {
    std::mt19937 rng(5);
    const std::vector<Frame> frames = RandomWalkFrames(rng, 1000);
    for (size_t count : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 256u, 999u}) {
        PeakEntry e;
        e.MergeFrames(reinterpret_cast<const int16_t*>(frames.data()), count);
        ExpectSame(e, Expected(frames.data(), count), std::to_string(count) + " frames");
    }
}

}  // namespace
