// The edit list's tree against a plain vector of pieces, and workspace snapshots read on
// other threads while edits go on.

#include "audio/EditList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

#include "audio/Workspace.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

// Pieces of no file, told apart by their start and end.
std::vector<std::pair<uint32_t, uint32_t>> Spans(const EditList& list) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    list.ForEach([&](const Piece& p) { out.emplace_back(p.start, p.end); });
    return out;
}

// The reference split: a plain walk with the running offset.
std::pair<std::vector<Piece>, std::vector<Piece>> SplitByWalking(const std::vector<Piece>& pieces,
                                                                 uint64_t at, EditList::Cut cut) {
    std::vector<Piece> left, right;
    uint64_t offset = 0;
    for (const Piece& p : pieces) {
        const uint64_t end = offset + p.Length();
        if (offset >= at) {
            right.push_back(p);
        } else if (end < at || (end == at && cut == EditList::Cut::kInside)) {
            left.push_back(p);
        } else {
            Piece head = p, tail = p;
            head.end = tail.start = p.start + static_cast<uint32_t>(at - offset);
            left.push_back(head);
            right.push_back(tail);
        }
        offset = end;
    }
    return {left, right};
}

std::vector<std::pair<uint32_t, uint32_t>> Spans(const std::vector<Piece>& pieces) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const Piece& p : pieces) {
        out.emplace_back(p.start, p.end);
    }
    return out;
}

void ExpectBalanced(const EditList& list) {
    const double bound = 1.4405 * std::log2(double(list.Count()) + 2.0);
    EXPECT_LE(list.Height(), bound) << list.Count() << " pieces";
}

TEST(EditList, RandomSplitsAndConcatenationsMatchAPlainWalk) {
    std::mt19937 rng(11);
    auto uniform = [&](uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };
    // Pieces are numbered by their start so the order can be checked; a third are empty.
    uint32_t next = 0;
    auto makePieces = [&](size_t n) {
        std::vector<Piece> pieces;
        for (size_t i = 0; i < n; ++i) {
            const uint32_t length = uniform(0, 2) == 0 ? 0 : uniform(1, 50);
            pieces.push_back(Piece{next, next + length, nullptr, {}});
            next += length + 1;
        }
        return pieces;
    };
    std::vector<Piece> model = makePieces(200);
    EditList list = EditList::FromPieces(model);
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const auto cut = uniform(0, 1) ? EditList::Cut::kInside : EditList::Cut::kAtEnd;
        const uint64_t at = uniform(0, static_cast<uint32_t>(list.Length()) + 3);
        auto [left, right] = list.Split(at, cut);
        auto [modelLeft, modelRight] = SplitByWalking(model, at, cut);
        ASSERT_EQ(Spans(left), Spans(modelLeft)) << "split at " << at;
        ASSERT_EQ(Spans(right), Spans(modelRight)) << "split at " << at;
        ExpectBalanced(left);
        ExpectBalanced(right);

        // The one-walk range operations against two splits of the plain walk.
        const uint64_t to = at + uniform(0, uniform(0, 1) ? 60 : 3000);
        using enum EditList::Cut;
        std::vector<Piece> without = SplitByWalking(model, at, kInside).first;
        const std::vector<Piece> afterTo = SplitByWalking(model, to, kInside).second;
        without.insert(without.end(), afterTo.begin(), afterTo.end());
        const EditList removed = list.Without(at, to);
        ASSERT_EQ(Spans(removed), Spans(without)) << "without " << at << "-" << to;
        ExpectBalanced(removed);
        const EditList slice = list.Slice(at, to);
        ASSERT_EQ(
            Spans(slice),
            Spans(SplitByWalking(SplitByWalking(model, to, kInside).first, at, kAtEnd).second))
            << "slice " << at << "-" << to;
        ExpectBalanced(slice);

        // Put the halves back in another order, sometimes with new pieces between, so the
        // tree is joined from parts of very different heights.
        std::vector<Piece> inserted = makePieces(uniform(0, 1) ? uniform(0, 3) : uniform(0, 400));
        list =
            inserted.size() == 1
                ? EditList::Joined(right, inserted.front(), left)
                : EditList::Concat(EditList::Concat(right, EditList::FromPieces(inserted)), left);
        model = modelRight;
        model.insert(model.end(), inserted.begin(), inserted.end());
        model.insert(model.end(), modelLeft.begin(), modelLeft.end());
        if (model.size() > 3000) {  // keep it growing and shrinking
            const uint64_t third = list.Length() / 3;
            list = list.Split(third, EditList::Cut::kInside).second;
            model = SplitByWalking(model, third, EditList::Cut::kInside).second;
        }
        ASSERT_EQ(Spans(list), Spans(model));
        ASSERT_EQ(list.Count(), model.size());
        uint64_t length = 0;
        for (const Piece& p : model) {
            length += p.Length();
        }
        ASSERT_EQ(list.Length(), length);
        ExpectBalanced(list);
    }
}

TEST(EditList, VisitFromStartsAtTheFirstPieceEndingAtOrAfterThePosition) {
    // [0,10) [10,10) [10,30) [30,30) at offsets 0, 10, 10, 30
    const EditList list = EditList::FromPieces(
        {{100, 110, nullptr}, {200, 200, nullptr}, {300, 320, nullptr}, {400, 400, nullptr}});
    struct Case {
        uint64_t position;
        uint32_t firstStart;
        uint32_t within;
        size_t visited;
    } cases[] = {
        {0, 100, 0, 4},   {5, 100, 5, 4},   {10, 100, 10, 4}, {11, 300, 1, 2},
        {29, 300, 19, 2}, {30, 300, 20, 2}, {31, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        std::vector<std::pair<uint32_t, uint32_t>> seen;
        const bool found = list.VisitFrom(c.position, [&](const Piece& p, uint32_t within) {
            seen.emplace_back(p.start, within);
            return true;
        });
        EXPECT_EQ(found, c.visited != 0);
        ASSERT_EQ(seen.size(), c.visited);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0], std::make_pair(c.firstStart, c.within));
            for (size_t i = 1; i < seen.size(); ++i) {
                EXPECT_EQ(seen[i].second, 0u);
            }
        }
    }
    size_t calls = 0;
    list.VisitFrom(0, [&](const Piece&, uint32_t) { return ++calls < 2; });
    EXPECT_EQ(calls, 2u) << "the visit stops when asked";
}

// A workspace over one file of 20000 frames, read on other threads while it is edited.
class SnapshotFixture : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File("a.wav");
        original = MakeFrames(1, 20000);
        WriteWav(path, original);
        ASSERT_TRUE(ws.AddFile(path.c_str()));
    }

    static std::vector<Frame> ReadAll(const WorkspaceState& state) {
        std::vector<Frame> out(state.segments.Length());
        uint32_t got = 0;
        for (uint32_t at = 0; at < out.size(); at += got) {
            if (!state.ReadFrames(out.data() + at, 777, got, at) || got == 0) {
                out.resize(at);
                break;
            }
        }
        return out;
    }

    TempDir dir;
    std::string path;
    std::vector<Frame> original;
    Workspace ws;
};

TEST_F(SnapshotFixture, AReaderHoldingAnOldSnapshotKeepsReadingTheOldAudio) {
    const Workspace::State before = ws.Snapshot();
    std::atomic<bool> editing{true};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (editing.load() || reads.load() < 3) {
            if (ReadAll(*before) != original) {
                ADD_FAILURE() << "the old snapshot changed under its reader";
                return;
            }
            ++reads;
        }
    });
    std::mt19937 rng(5);
    for (int i = 0; i < 400; ++i) {
        const uint32_t a = std::uniform_int_distribution<uint32_t>(0, ws.TotalLength())(rng);
        ws.CutRange(a, a + 37);
        ws.PasteAt(std::uniform_int_distribution<uint32_t>(0, ws.TotalLength())(rng));
        if (ws.TotalLength() < 1000) {
            ws.Clear();
            ASSERT_TRUE(ws.AddFile(path.c_str()));
        }
    }
    editing = false;
    reader.join();
    EXPECT_GE(reads.load(), 3);
    EXPECT_NE(ws.Snapshot(), before);
}

TEST_F(SnapshotFixture, ReadersOfTheLiveWorkspaceSeeWholeStatesOnly) {
    // Two states that differ everywhere after frame 0: the original and a rotation of it.
    const Workspace::State first = ws.Snapshot();
    ws.CutRange(0, 7001);
    ws.PasteAt(ws.TotalLength());
    const Workspace::State second = ws.Snapshot();
    const std::vector<Frame> rotated = ReadAll(*second);
    ASSERT_NE(rotated, original);
    ASSERT_EQ(rotated.size(), original.size());

    std::atomic<bool> swapping{true};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        std::vector<Frame> block(20000);
        while (swapping.load()) {
            ++reads;
            uint32_t got = 0;
            ASSERT_TRUE(ws.ReadFrames(block.data(), 20000, got, 0));
            ASSERT_EQ(got, 20000u);
            if (block != original && block != rotated) {
                ADD_FAILURE() << "a read mixed two states";
                return;
            }
        }
    });
    // Swap until the reader has read many times, so reads overlap the swaps.
    for (int i = 0; i < 3000 || reads.load() < 200; ++i) {
        ws.Restore(i % 2 == 0 ? first : second);
    }
    swapping = false;
    reader.join();
}

TEST_F(SnapshotFixture, FilesLiveAsLongAsASnapshotHoldsThem) {
    Workspace::State held = ws.Snapshot();
    ws.Clear();
    {
        Workspace other;
        EXPECT_FALSE(other.AddFile(path.c_str())) << "still open for the held snapshot";
    }
    std::vector<Frame> block(10);
    uint32_t got = 0;
    ASSERT_TRUE(held->ReadFrames(block.data(), 10, got, 19990));
    EXPECT_EQ(block, std::vector<Frame>(original.end() - 10, original.end()));

    // Opened again here, the file still held is taken up, not refused as open twice.
    ASSERT_TRUE(ws.AddFile(path.c_str()));
    EXPECT_EQ(ws.File(0), (*held->files)[0].get());
    EXPECT_FALSE(ws.AddFile(path.c_str())) << "a file the workspace lists is not opened twice";

    ws.Clear();
    held.reset();
    Workspace other;
    EXPECT_TRUE(other.AddFile(path.c_str())) << "closed once nothing holds it";
}

TEST_F(SnapshotFixture, PeakTablesFollowTheFilesOfTheCurrentState) {
    const WaveFile* file = ws.File(0);
    ASSERT_NE(ws.Peaks(*file), nullptr);
    const Workspace::State held = ws.Snapshot();
    ws.Clear();
    EXPECT_EQ(ws.Peaks(*file), nullptr) << "the builder stopped with the file's last listing";
    ws.Restore(held);  // an undo brings the file back, and its tables with it
    ASSERT_EQ(ws.File(0), file);
    const PeakPyramid* peaks = ws.Peaks(*file);
    ASSERT_NE(peaks, nullptr);
    for (int i = 0; i < 5000 && !peaks->IsComplete(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(peaks->IsComplete());
    EXPECT_EQ(peaks->Frames(), original.size());
}

}  // namespace
