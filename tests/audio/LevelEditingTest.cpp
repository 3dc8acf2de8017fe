#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "audio/Workspace.h"
#include "session/EditSession.h"
#include "session/SessionFile.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

// What the user hears of one workspace frame, kept frame by frame: which source frame it is,
// the product of the gains applied to it in order, and each fade's own factor in order.
struct HeardFrame {
    uint32_t source = 0;
    double gain = 1.0;
    std::vector<double> fades;
};
using Model = std::vector<HeardFrame>;

// The fade curves as the user is promised them, rising from 0 to 1 over t in [0, 1].
double Rise(FadeCurve curve, double t) {
    switch (curve) {
        case FadeCurve::kEqualPower:
            return std::sin(t * std::numbers::pi / 2);
        case FadeCurve::kLogarithmic:
            return (std::pow(10.0, 3.0 * t) - 1.0) / 999.0;
        default:
            return t;
    }
}

int16_t Heard(const HeardFrame& frame, int16_t sample) {
    double g = frame.gain;
    for (const double fade : frame.fades) {
        g *= fade;
    }
    return static_cast<int16_t>(std::clamp(std::round(sample * g), -32768.0, 32767.0));
}

class LevelEditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> sample(-32768, 32767);
        for (uint32_t i = 0; i < kFrames; ++i) {
            source.push_back(static_cast<int16_t>(sample(random)));
            source.push_back(static_cast<int16_t>(sample(random)));
        }
        std::vector<Frame> frames;
        for (uint32_t i = 0; i < kFrames; ++i) {
            frames.push_back(uint16_t(source[2 * i]) | uint32_t(uint16_t(source[2 * i + 1])) << 16);
        }
        path = dir.File("take.wav");
        WriteWav(path, frames);
    }

    // The workspace's frames against the model, every one, and its peak over a range.
    void ExpectHeard(const Workspace& ws, const Model& model, const std::string& where) {
        ASSERT_EQ(ws.TotalLength(), model.size()) << where;
        std::vector<int16_t> read(model.size() * 2 + 2);
        uint32_t got = 0;
        ASSERT_TRUE(model.empty() || ws.ReadFrames(read.data(), uint32_t(model.size()), got, 0));
        ASSERT_EQ(got, model.size()) << where;
        for (size_t i = 0; i < model.size(); ++i) {
            for (int c = 0; c < 2; ++c) {
                ASSERT_EQ(read[2 * i + c], Heard(model[i], source[2 * model[i].source + c]))
                    << where << ", frame " << i << " channel " << c;
            }
        }
    }

    uint32_t ModelPeak(const Model& model, uint32_t a, uint32_t b) const {
        uint32_t peak = 0;
        for (uint32_t i = a; i < b; ++i) {
            for (int c = 0; c < 2; ++c) {
                const int32_t s = Heard(model[i], source[2 * model[i].source + c]);
                peak = std::max(peak, uint32_t(std::abs(s)));
            }
        }
        return peak;
    }

    static constexpr uint32_t kFrames = 6000;
    TempDir dir;
    std::string path;
    std::vector<int16_t> source;  // interleaved
};

// A seeded run of cuts, pastes, gains, fades of every curve and silences, each an edit step:
// after every step the frames and the peak match a model kept frame by frame; undoing all
// the way back and redoing meets the model of each step again; the session's text brings back
// exactly the same frames.
TEST_F(LevelEditingTest, RandomEditsReadAsTheFrameModelSays) {
    EditSession session;
    Workspace& ws = session.Edits();
    ASSERT_TRUE(ws.AddFile(path.c_str()));
    Model model(kFrames);
    for (uint32_t i = 0; i < kFrames; ++i) {
        model[i].source = i;
    }
    std::vector<Model> models{model};
    Model clipboard;
    std::mt19937 random(2024);
    const auto pick = [&](uint32_t below) {
        return std::uniform_int_distribution<uint32_t>(0, below)(random);
    };
    for (int step = 0; step < 120; ++step) {
        const auto length = uint32_t(model.size());
        uint32_t a = pick(length);
        uint32_t b = pick(length);
        if (a > b) {
            std::swap(a, b);
        }
        const int kind = int(pick(5));
        const std::string where = "step " + std::to_string(step) + " kind " + std::to_string(kind) +
                                  " [" + std::to_string(a) + ", " + std::to_string(b) + ")";
        session.BeginEdit("step", {});
        if (kind == 0 && b - a < length / 2) {
            ws.CutRange(a, b);
            clipboard.assign(model.begin() + a, model.begin() + b);
            model.erase(model.begin() + a, model.begin() + b);
        } else if (kind == 1 && !clipboard.empty()) {
            ws.PasteAt(a);
            model.insert(model.begin() + a, clipboard.begin(), clipboard.end());
        } else if (kind == 2) {
            const double decibels = std::uniform_real_distribution<double>(-20.0, 14.0)(random);
            const double factor = std::pow(10.0, decibels / 20.0);
            ws.ScaleRange(a, b, factor);
            for (uint32_t i = a; i < b; ++i) {
                model[i].gain *= factor;
            }
        } else if (kind == 3 || kind == 4) {
            const auto curve = FadeCurve(pick(2));
            const bool in = kind == 3;
            ws.FadeRange(a, b, curve, in);
            for (uint32_t i = a; i < b; ++i) {
                const double t = b - a > 1 ? double(i - a) / (b - a - 1) : 1.0;
                if (model[i].gain != 0.0) {
                    model[i].fades.push_back(in ? Rise(curve, t) : Rise(curve, 1.0 - t));
                }
            }
        } else {
            ws.ScaleRange(a, b, 0.0);
            for (uint32_t i = a; i < b; ++i) {
                model[i] = HeardFrame{model[i].source, 0.0, {}};
            }
        }
        if (session.EndEdit({})) {
            models.push_back(model);
        }
        ExpectHeard(ws, model, where);
        if (b > a && b <= model.size()) {  // a cut may have taken the range away
            EXPECT_EQ(ws.PeakMagnitude(a, b), ModelPeak(model, a, b)) << where;
        }
        if (HasFatalFailure()) {
            return;
        }
    }
    ASSERT_GT(models.size(), 60u);

    EditSelection selection;
    for (size_t i = models.size() - 1; i-- > 0;) {
        ASSERT_TRUE(session.Undo(selection));
        ExpectHeard(ws, models[i], "undone to step " + std::to_string(i));
    }
    for (size_t i = 1; i < models.size(); ++i) {
        ASSERT_TRUE(session.Redo(selection));
        ExpectHeard(ws, models[i], "redone to step " + std::to_string(i));
    }

    // Read back from its text into a state of its own (the file is taken up, not reopened).
    WorkspaceState state;
    std::string error;
    ASSERT_TRUE(session_file::Read(session_file::Write(*ws.Snapshot()), ws, state, error)) << error;
    ws.Clear();
    ws.Replace(std::move(state));
    ExpectHeard(ws, model, "the session read back");
}

}  // namespace
