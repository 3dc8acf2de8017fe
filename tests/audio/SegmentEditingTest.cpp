#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "audio/Workspace.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

// Files A (10000 frames) and B (4000 frames); the workspace
// W = [A 0-1000][B 2000-3000][A 5000-6000], built by editing as a user would.
class EditingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        pathA = dir.File("A.wav");
        pathB = dir.File("B.wav");
        WriteWav(pathA, MakeFrames(1, 10000));
        WriteWav(pathB, MakeFrames(2, 4000));
        sumA = Checksum(pathA);
        sumB = Checksum(pathB);
    }

    void BuildW() {
        ws.Clear();
        ASSERT_TRUE(ws.AddFile(pathA.c_str()));
        ASSERT_TRUE(ws.AddFile(pathB.c_str()));
        ws.DeleteRange(0, 5000);     // [A 5000-10000]
        ws.DeleteRange(1000, 5000);  // [A 5000-6000]
        ws.CopyFromFile(2000, 3000, 1);
        ws.PasteAt(0);
        ws.CopyFromFile(0, 1000, 0);
        ws.PasteAt(0);
        ws.CopyRange(0, 0);  // empties the clipboard
        ASSERT_EQ(Describe(ws.Segments()), "A 0-1000|B 2000-3000|A 5000-6000");
        ASSERT_TRUE(ws.IsClipboardEmpty());
    }

    void TearDown() override {
        ws.Clear();
        EXPECT_EQ(Checksum(pathA), sumA);
        EXPECT_EQ(Checksum(pathB), sumB);
    }

    std::string Describe(const std::list<Segment>& records) const {
        std::ostringstream out;
        const char* sep = "";
        for (const Segment& s : records) {
            out << sep
                << (s.file == ws.File(0)   ? "A"
                    : s.file == ws.File(1) ? "B"
                                           : "?")
                << ' ' << s.start << '-' << s.end;
            sep = "|";
        }
        return out.str();
    }

    TempDir dir;
    std::string pathA, pathB;
    uint64_t sumA = 0, sumB = 0;
    Workspace ws;
};

constexpr const char* kW = "A 0-1000|B 2000-3000|A 5000-6000";

struct EditCase {
    const char* name;
    std::function<void(Workspace&)> edit;
    const char* segments;
    const char* clipboard;
};

TEST_F(EditingFixture, WorkedExamplesAndEdgeCases) {
    const auto clipB0to500 = [](Workspace& w) { w.CopyFromFile(0, 500, 1); };
    const EditCase cases[] = {
        {"delete across three records", [](Workspace& w) { w.DeleteRange(500, 2500); },
         "A 0-500|A 5500-6000", ""},
        {"delete inside one record splits it", [](Workspace& w) { w.DeleteRange(200, 700); },
         "A 0-200|A 700-1000|B 2000-3000|A 5000-6000", ""},
        {"delete exactly one record", [](Workspace& w) { w.DeleteRange(1000, 2000); },
         "A 0-1000|A 5000-6000", ""},
        {"delete everything keeps the files", [](Workspace& w) { w.DeleteRange(0, 3000); }, "", ""},
        {"delete beyond the end cuts what lies inside",
         [](Workspace& w) { w.DeleteRange(2500, 9000); }, "A 0-1000|B 2000-3000|A 5000-5500", ""},
        {"empty delete inside a record splits without removing",
         [](Workspace& w) { w.DeleteRange(500, 500); },
         "A 0-500|A 500-1000|B 2000-3000|A 5000-6000", ""},
        {"empty delete at a boundary changes nothing",
         [](Workspace& w) { w.DeleteRange(1000, 1000); }, kW, ""},
        {"reversed delete changes nothing", [](Workspace& w) { w.DeleteRange(700, 200); }, kW, ""},
        {"copy across three records", [](Workspace& w) { w.CopyRange(500, 2500); }, kW,
         "A 500-1000|B 2000-3000|A 5000-5500"},
        {"copy from a record's end gives a zero-length piece",
         [](Workspace& w) { w.CopyRange(1000, 1500); }, kW, "A 1000-1000|B 2000-2500"},
        {"copy beyond the workspace is empty", [](Workspace& w) { w.CopyRange(3001, 4000); }, kW,
         ""},
        {"copy reaching past the end", [](Workspace& w) { w.CopyRange(2500, 9999); }, kW,
         "A 5500-6000"},
        {"reversed copy is empty", [](Workspace& w) { w.CopyRange(700, 200); }, kW, ""},
        {"cut", [](Workspace& w) { w.CutRange(200, 700); },
         "A 0-200|A 700-1000|B 2000-3000|A 5000-6000", "A 200-700"},
        {"paste at 0 inserts before",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(0);
         },
         "B 0-500|A 0-1000|B 2000-3000|A 5000-6000", "B 0-500"},
        {"paste inside a record splits it",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(500);
         },
         "A 0-500|B 0-500|A 500-1000|B 2000-3000|A 5000-6000", "B 0-500"},
        {"paste at a record's end leaves a zero-length record",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(1000);
         },
         "A 0-1000|B 0-500|A 1000-1000|B 2000-3000|A 5000-6000", "B 0-500"},
        {"paste at the workspace end appends",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(3000);
         },
         "A 0-1000|B 2000-3000|A 5000-6000|B 0-500|A 6000-6000", "B 0-500"},
        {"paste past the end does nothing",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(3001);
         },
         kW, "B 0-500"},
        {"paste with an empty clipboard does nothing", [](Workspace& w) { w.PasteAt(0); }, kW, ""},
        {"paste into a workspace with no segments does nothing",
         [&](Workspace& w) {
             clipB0to500(w);
             w.DeleteRange(0, 3000);
             w.PasteAt(0);
         },
         "", "B 0-500"},
        {"delete removes zero-length records inside the range",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(1000);
             w.DeleteRange(900, 1600);
         },
         "A 0-900|B 2100-3000|A 5000-6000", "B 0-500"},
        {"two pastes are independent of each other and of the clipboard",
         [&](Workspace& w) {
             clipB0to500(w);
             w.PasteAt(0);
             w.PasteAt(0);
             w.DeleteRange(100, 200);
         },
         "B 0-100|B 200-500|B 0-500|A 0-1000|B 2000-3000|A 5000-6000", "B 0-500"},
        {"copy from a file", [](Workspace& w) { w.CopyFromFile(100, 900, 1); }, kW, "B 100-900"},
        {"copy from a file clamps the end to the file",
         [](Workspace& w) { w.CopyFromFile(100, 9000, 1); }, kW, "B 100-4000"},
        {"copy from a file clamps a start past the end",
         [](Workspace& w) { w.CopyFromFile(5000, 9000, 1); }, kW, "B 4000-4000"},
        {"copy from a file never stores start > end",
         [](Workspace& w) { w.CopyFromFile(900, 100, 1); }, kW, "B 100-100"},
        {"copy from a file that is not open leaves the clipboard empty",
         [&](Workspace& w) {
             clipB0to500(w);
             w.CopyFromFile(0, 10, 2);
         },
         kW, ""},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        BuildW();
        c.edit(ws);
        EXPECT_EQ(Describe(ws.Segments()), c.segments);
        EXPECT_EQ(Describe(ws.Clipboard()), c.clipboard);
    }
}

TEST(EditingLimits, PasteThatWouldOverflowTheWorkspaceLengthDoesNothing) {
    TempDir dir;
    const std::string path = dir.File("huge.wav");
    WriteWav(path, {});
    std::filesystem::resize_file(path, 44 + 4 * uint64_t{0xFFFFFFFFu});  // sparse
    Workspace ws;
    ASSERT_TRUE(ws.AddFile(path.c_str()));
    ASSERT_EQ(ws.TotalLength(), 0xFFFFFFFFu);
    ws.CopyRange(0, 1);
    ws.PasteAt(0);
    EXPECT_EQ(ws.TotalLength(), 0xFFFFFFFFu);
    ASSERT_EQ(ws.Segments().size(), 1u);
    ws.CutRange(0, 10);
    ws.PasteAt(5);
    EXPECT_EQ(ws.TotalLength(), 0xFFFFFFFFu) << "a paste that fits is made";
    EXPECT_EQ(ws.Segments().size(), 3u);
}

}  // namespace
