// The window's loudness measurement and snapping to zero crossings, as the menus reach them.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "app/FrameFixture.h"
#include "app/LoudnessDialog.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

constexpr uint32_t kHalf = 10 * 44100;

class AnalyzeAndLevels : public FrameFixture {
protected:
    // Ten seconds of a 1 kHz sine with its crests at -23 dBFS, then ten at -13 dBFS.
    void LoadTwoLevels() {
        std::vector<Frame> frames(2 * kHalf);
        for (uint32_t k = 0; k < frames.size(); ++k) {
            const double crest = 32767 * std::pow(10.0, (k < kHalf ? -23 : -13) / 20.0);
            const auto sample =
                uint16_t(int16_t(std::lround(crest * std::sin(2 * M_PI * k / 44.1))));
            frames[k] = uint32_t{sample} | uint32_t{sample} << 16;
        }
        WriteWav(dir.File("levels.wav"), frames);
        ASSERT_TRUE(frame->LoadWave(dir.File("levels.wav"), "levels.wav"));
    }

    // Runs the dialog's timer until the measurement ends (at most ten seconds).
    static void WaitFor(const LoudnessDialog& dialog) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (dialog.IsMeasuring() && std::chrono::steady_clock::now() < limit) {
            wxTheApp->Yield(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
};

TEST_F(AnalyzeAndLevels, LoudnessOfTheSelectionOrOfAllThatIsShown) {
    LoadTwoLevels();
    WaveformView* view = frame->View();
    const struct {
        const char* name;
        uint32_t start, length;
        const char* integrated;
        const char* samplePeak;
    } cases[] = {
        {"the quiet half selected", 0, kHalf, "-23.0 LUFS", "-23.0 dBFS"},
        {"the loud half selected", kHalf, kHalf, "-13.0 LUFS", "-13.0 dBFS"},
        {"no selection: all of it", 5000, 0, "-15.6 LUFS", "-13.0 dBFS"},
    };
    UpdateUi();
    EXPECT_TRUE(Enabled(cmd::kAnalyzeLoudness));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view->ShowWorkspaceSelection(c.start, c.length);
        LoudnessDialog dialog(frame, frame->Loudness().JobOfView());
        WaitFor(dialog);
        ASSERT_FALSE(dialog.IsMeasuring());
        EXPECT_EQ(dialog.FigureText(0), c.integrated);
        EXPECT_EQ(dialog.FigureText(3), c.samplePeak);
        EXPECT_EQ(dialog.CloseButton()->GetLabel(), "Close");
    }
}

TEST_F(AnalyzeAndLevels, SnappedDragEdgesSitOnZeroCrossings) {
    LoadTwoLevels();
    WaveformView* view = frame->View();
    UpdateUi();
    EXPECT_FALSE(Checked(cmd::kSnapToZeroCrossings));
    Command(cmd::kSnapToZeroCrossings);
    UpdateUi();
    EXPECT_TRUE(Checked(cmd::kSnapToZeroCrossings));
    const auto crossesAt = [&](uint32_t edge) {
        int16_t pair[4] = {};
        uint32_t got = 0;
        frame->GetWorkspace().ReadFrames(pair, 2, got, edge - 1);
        return got == 2 && (pair[2] == 0 || (pair[0] < 0) != (pair[2] < 0));
    };
    for (const auto& [a, b] : {std::pair{37, 211}, std::pair{400, 123}, std::pair{301, 301}}) {
        SCOPED_TRACE(a);
        DragInView(a, b);
        EXPECT_TRUE(crossesAt(view->SelectionStart())) << view->SelectionStart();
        EXPECT_TRUE(crossesAt(view->SelectionStart() + view->SelectionLength()));
        EXPECT_EQ(view->SelectionLength() == 0, a == b);
    }
}

}  // namespace
