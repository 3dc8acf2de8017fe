#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "audio/Workspace.h"
#include "support/TestWav.h"
#include "view/ColumnPeaks.h"

using namespace testing_support;

namespace {

// The exact extremes of the frames a column covers, as they are heard.
ColumnPeaks ExactColumn(const Workspace& ws, uint32_t position, uint32_t count) {
    std::vector<int16_t> samples(size_t{count} * 2);
    uint32_t got = 0;
    ColumnPeaks exact;
    if (!ws.ReadFrames(samples.data(), count, got, position)) {
        return exact;
    }
    for (uint32_t i = 0; i < got; ++i) {
        exact.leftMax = std::max(exact.leftMax, samples[2 * i]);
        exact.leftMin = std::min(exact.leftMin, samples[2 * i]);
        exact.rightMax = std::max(exact.rightMax, samples[2 * i + 1]);
        exact.rightMin = std::min(exact.rightMin, samples[2 * i + 1]);
    }
    return exact;
}

// Every column of the picture under a gain or a fade against the exact extremes of its frames:
// the same under a constant gain, and within one pixel of a lane 512 pixels high (64 steps)
// under fades long and short, drawn from the tables and from the frames.
TEST(FadePicture, ColumnsUnderAFadeStayWithinAPixelOfTheExactOnes) {
    constexpr uint32_t kFrames = 1 << 21;
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 9000.0);
    std::vector<Frame> frames(kFrames);
    for (Frame& f : frames) {
        const auto l = int16_t(std::clamp(noise(random), -32768.0, 32767.0));
        const auto r = int16_t(std::clamp(noise(random), -32768.0, 32767.0));
        f = uint16_t(l) | uint32_t(uint16_t(r)) << 16;
    }
    TempDir dir;
    WriteWav(dir.File("noise.wav"), frames);

    const struct {
        const char* name;
        double gain;
        uint32_t fadeFrom, fadeTo;  // none when equal
        FadeCurve curve;
        bool in;
        double framesPerPixel;
        int tolerance;
    } cases[] = {
        {"a constant gain, tables", 1.7, 0, 0, FadeCurve::kLinear, true, 4096.0, 0},
        {"a constant cut, raw ends", 0.3, 0, 0, FadeCurve::kLinear, true, 300.5, 0},
        {"a long linear fade in", 1.0, 100'000, 1'900'000, FadeCurve::kLinear, true, 8000.0, 64},
        {"a long equal-power fade out", 2.0, 5'000, 2'000'000, FadeCurve::kEqualPower, false,
         10'000.0, 64},
        {"a long logarithmic fade in", 1.0, 0, 2'000'000, FadeCurve::kLogarithmic, true, 9000.0,
         64},
        {"a short fade out, read raw", 1.0, 1'000'000, 1'020'000, FadeCurve::kLinear, false, 3000.0,
         64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace ws;
        ASSERT_TRUE(ws.AddFile(dir.File("noise.wav").c_str()));
        for (int wait = 0; !ws.Peaks(*ws.File(0))->IsComplete() && wait < 500; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(ws.Peaks(*ws.File(0))->IsComplete());
        ws.ScaleRange(0, kFrames, c.gain);
        if (c.fadeTo > c.fadeFrom) {
            ws.FadeRange(c.fadeFrom, c.fadeTo, c.curve, c.in);
        }
        // A cut inside the fade: each side keeps its own part of the curve.
        ws.CutRange(700'000, 700'333);
        ColumnPeakReader reader;
        const uint32_t perColumn = ColumnPeakReader::FramesPerColumn(c.framesPerPixel);
        int worst = 0;
        for (double x = 0; x * c.framesPerPixel < ws.TotalLength(); ++x) {
            const auto position = uint32_t(x * c.framesPerPixel);
            const ColumnPeaks drawn = reader.Read(ws, true, 0, position, c.framesPerPixel);
            const ColumnPeaks exact = ExactColumn(ws, position, perColumn);
            for (const auto& [a, b] : {std::pair{drawn.leftMax, exact.leftMax},
                                       {drawn.leftMin, exact.leftMin},
                                       {drawn.rightMax, exact.rightMax},
                                       {drawn.rightMin, exact.rightMin}}) {
                worst = std::max(worst, std::abs(int(a) - int(b)));
            }
        }
        EXPECT_LE(worst, c.tolerance);
    }
}

}  // namespace
