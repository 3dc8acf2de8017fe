// Random edit sequences checked against a plain model: the workspace's audio as a vector of
// frames, edited the obvious way. Set ORVANE_MODEL_SEED to replay a reported failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "audio/Workspace.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

class EditModel {
public:
    std::vector<Frame> audio;
    std::vector<Frame> clipboard;

    std::vector<Frame> Slice(uint32_t a, uint32_t b) const {
        const size_t from = std::min<size_t>(a, audio.size());
        const size_t to = std::min<size_t>(b, audio.size());
        return from < to ? std::vector<Frame>(audio.begin() + from, audio.begin() + to)
                         : std::vector<Frame>{};
    }
    void Delete(uint32_t a, uint32_t b) {
        const size_t from = std::min<size_t>(a, audio.size());
        const size_t to = std::min<size_t>(b, audio.size());
        if (from < to) {
            audio.erase(audio.begin() + from, audio.begin() + to);
        }
    }
};

uint32_t SeedFromEnvironment() {
    const char* text = std::getenv("ORVANE_MODEL_SEED");
    return text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : 20261207u;
}

TEST(WorkspaceModel, RandomEditsMatchTheReferenceModel) {
    const uint32_t seed = SeedFromEnvironment();
    SCOPED_TRACE("ORVANE_MODEL_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);
    auto uniform = [&](uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };

    TempDir dir;
    const uint32_t sizes[] = {4000, 2500, 1, 0};
    std::vector<std::string> paths;
    std::vector<std::vector<Frame>> contents;
    std::vector<uint64_t> sums;
    for (uint32_t i = 0; i < std::size(sizes); ++i) {
        paths.push_back(dir.File("f" + std::to_string(i) + ".wav"));
        contents.push_back(MakeFrames(i + 1, sizes[i]));
        WriteWav(paths.back(), contents.back());
        sums.push_back(Checksum(paths.back()));
    }

    constexpr int kSequences = 250;
    constexpr int kSteps = 40;
    std::vector<Frame> buffer;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        // A random opening order decides which file seeds the workspace.
        std::vector<uint32_t> order = {0, 1, 2, 3};
        std::shuffle(order.begin(), order.end(), rng);
        Workspace ws;
        EditModel model;
        for (uint32_t i : order) {
            ASSERT_TRUE(ws.AddFile(paths[i].c_str()));
        }
        model.audio = contents[order[0]];

        for (int step = 0; step < kSteps; ++step) {
            const uint32_t length = static_cast<uint32_t>(model.audio.size());
            uint32_t a = uniform(0, length + 20);
            uint32_t b = uniform(0, length + 20);
            if (a > b) {
                std::swap(a, b);
            }
            if (uniform(0, 4) == 0) {
                b = a;  // empty ranges split at a
            }
            std::string op;
            switch (uniform(0, 5)) {
                case 0:
                    op = "DeleteRange";
                    ws.DeleteRange(a, b);
                    model.Delete(a, b);
                    break;
                case 1:
                    op = "CopyRange";
                    ws.CopyRange(a, b);
                    model.clipboard = model.Slice(a, b);
                    break;
                case 2:
                    op = "CutRange";
                    ws.CutRange(a, b);
                    model.clipboard = model.Slice(a, b);
                    model.Delete(a, b);
                    break;
                case 3:
                case 4: {
                    op = "PasteAt";
                    // The one rule the frames cannot show: no segment records at all.
                    const bool pastes =
                        !ws.IsClipboardEmpty() && !ws.Segments().empty() && a <= length;
                    ws.PasteAt(a);
                    if (pastes) {
                        model.audio.insert(model.audio.begin() + a, model.clipboard.begin(),
                                           model.clipboard.end());
                    }
                    break;
                }
                default: {
                    op = "CopyFromFile";
                    const uint32_t slot = uniform(0, 3);
                    const uint32_t fileIndex = static_cast<uint32_t>(
                        std::find(order.begin(), order.end(), slot) - order.begin());
                    const auto& file = contents[slot];
                    a = uniform(0, sizes[slot] + 10);
                    b = uniform(0, sizes[slot] + 10);  // may be below a: clamped
                    ws.CopyFromFile(a, b, static_cast<uint8_t>(fileIndex));
                    const size_t end = std::min<size_t>(b, file.size());
                    const size_t start = std::min<size_t>(a, end);
                    model.clipboard.assign(file.begin() + start, file.begin() + end);
                    break;
                }
            }
            SCOPED_TRACE("sequence " + std::to_string(sequence) + " step " + std::to_string(step) +
                         ": " + op + "(" + std::to_string(a) + ", " + std::to_string(b) + ")");

            ASSERT_EQ(ws.TotalLength(), model.audio.size());
            for (const Segment& s : ws.Segments()) {
                ASSERT_LE(s.start, s.end);
                ASSERT_LE(s.end, s.file->FrameCount());
            }
            for (const Segment& s : ws.Clipboard()) {
                ASSERT_LE(s.start, s.end);
            }

            const uint32_t newLength = static_cast<uint32_t>(model.audio.size());
            for (int probe = 0; probe < 4; ++probe) {
                const uint32_t position = uniform(0, newLength + 2);
                const uint32_t n = uniform(1, 700);
                buffer.assign(n, 0xDEADBEEF);
                uint32_t got = 0;
                const bool inside = !ws.Segments().empty() && position <= newLength;
                ASSERT_EQ(ws.ReadFrames(buffer.data(), n, got, position), inside)
                    << "position " << position << " of " << newLength;
                if (inside) {
                    buffer.resize(got);
                    ASSERT_EQ(buffer, model.Slice(position, position + n))
                        << "read of " << n << " at " << position;
                }
            }
        }
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(Checksum(paths[i]), sums[i]) << paths[i] << " was written";
    }
}

}  // namespace
