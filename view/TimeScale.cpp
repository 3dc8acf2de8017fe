#include "view/TimeScale.h"

#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace time_scale {

namespace {

std::string FormatMilliseconds(uint64_t ms, bool withMilliseconds) {
    const uint64_t seconds = ms / 1000;
    char text[48];
    if (withMilliseconds) {
        std::snprintf(text, sizeof text, "%" PRIu64 ":%02u:%02u.%03u", seconds / 3600,
                      unsigned(seconds / 60 % 60), unsigned(seconds % 60), unsigned(ms % 1000));
    } else {
        std::snprintf(text, sizeof text, "%" PRIu64 ":%02u:%02u", seconds / 3600,
                      unsigned(seconds / 60 % 60), unsigned(seconds % 60));
    }
    return text;
}

}  // namespace

std::string FormatTime(uint64_t frames, uint32_t rate, bool withMilliseconds) {
    return FormatMilliseconds(rate == 0 ? 0 : frames * 1000 / rate, withMilliseconds);
}

uint64_t MarkSpacingMs(double framesPerPixel, uint32_t rate, int minPixels) {
    // Steps that read well on a clock: decimal below a second, then the clock's own divisions.
    static constexpr std::array<uint64_t, 28> kSteps = {
        1,       2,       5,       10,       20,       50,       100,      200,      500,    1000,
        2000,    5000,    10000,   15000,    30000,    60000,    120000,   300000,   600000, 900000,
        1800000, 3600000, 7200000, 10800000, 21600000, 43200000, 86400000, 172800000};
    const double msPerPixel = rate == 0 ? 0.0 : framesPerPixel * 1000.0 / rate;
    const double wanted = msPerPixel * minPixels;
    for (uint64_t step : kSteps) {
        if (double(step) >= wanted) {
            return step;
        }
    }
    const uint64_t day = 86400000;
    return uint64_t(std::ceil(wanted / day)) * day;
}

std::vector<Mark> RulerMarks(uint32_t viewStart, uint32_t viewLength, int width, uint32_t rate,
                             int minPixels) {
    std::vector<Mark> marks;
    if (width <= 0 || viewLength == 0 || rate == 0) {
        return marks;
    }
    const double framesPerPixel = double(viewLength) / width;
    const uint64_t step = MarkSpacingMs(framesPerPixel, rate, minPixels);
    const bool withMilliseconds = step < 1000;
    // The first mark at or after the view's start, in whole steps of milliseconds.
    const uint64_t startMs = uint64_t(viewStart) * 1000 / rate;
    uint64_t ms = (startMs + step - 1) / step * step;
    const double viewEnd = double(viewStart) + viewLength;
    for (;; ms += step) {
        const double frame = double(ms) * rate / 1000.0;
        if (frame < viewStart) {
            continue;  // the rounding of startMs landed a little early
        }
        if (frame >= viewEnd) {
            break;
        }
        const int x = int((frame - viewStart) / framesPerPixel);
        marks.push_back({x, FormatMilliseconds(ms, withMilliseconds)});
    }
    return marks;
}

Readouts MakeReadouts(uint32_t selectionStart, uint32_t selectionLength, uint32_t total,
                      uint32_t rate) {
    const uint64_t end = uint64_t{selectionStart} + selectionLength;
    Readouts r;
    r.total = "Total " + FormatTime(total, rate);
    r.rate = std::to_string(rate) + " Hz";
    if (selectionLength == 0) {
        r.start = "Insertion " + FormatTime(selectionStart, rate);
        r.frames = "Insertion point at frame " + std::to_string(selectionStart) + " of " +
                   std::to_string(total);
        return r;
    }
    r.start = "Start " + FormatTime(selectionStart, rate);
    r.end = "End " + FormatTime(end, rate);
    r.length = "Length " + FormatTime(selectionLength, rate);
    r.frames = "Frames " + std::to_string(selectionStart) + " to " + std::to_string(end) + ", " +
               std::to_string(selectionLength) + " of " + std::to_string(total);
    return r;
}

}  // namespace time_scale
