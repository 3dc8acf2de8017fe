#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Times as the user reads them, and the marks of the time ruler: pure arithmetic on frame
/// counts and a sample rate, so that every label can be checked without a window.
///
///     FormatTime(66150, 44100);                  // "0:00:01.500"
///     RulerMarks(0, 44100 * 60, 600, 44100, 80); // a mark every 10 s, labelled "0:00:10" ...
namespace time_scale {

/// `frames` at `rate` as h:mm:ss.mmm (hours unbounded), milliseconds truncated; without
/// milliseconds as h:mm:ss. A rate of 0 reads as 0:00:00.
std::string FormatTime(uint64_t frames, uint32_t rate, bool withMilliseconds = true);

/// The spacing of the ruler's marks in milliseconds: the smallest step of the series
/// 1, 2, 5, 10, 20, 50 ms ... 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12,
/// 24 h, then whole days, whose marks lie at least `minPixels` apart at this zoom.
uint64_t MarkSpacingMs(double framesPerPixel, uint32_t rate, int minPixels);

struct Mark {
    int x = 0;          // pixel column in the view
    std::string label;  // h:mm:ss, with .mmm when the spacing is under a second
};

/// The labelled marks that fall into the shown range [viewStart, viewStart + viewLength)
/// drawn `width` pixels wide, at the spacing MarkSpacingMs gives.
std::vector<Mark> RulerMarks(uint32_t viewStart, uint32_t viewLength, int width, uint32_t rate,
                             int minPixels);

/// The status bar's texts for a selection (or, with length 0, the insertion point) in a
/// source of `total` frames at `rate`, and a tooltip giving the same in frames.
struct Readouts {
    std::string start;   // "Insertion h:mm:ss.mmm" or "Start h:mm:ss.mmm"
    std::string end;     // "End h:mm:ss.mmm", empty without a selection
    std::string length;  // "Length h:mm:ss.mmm", empty without a selection
    std::string total;   // "Total h:mm:ss.mmm"
    std::string rate;    // "44100 Hz"
    std::string frames;  // the tooltip
};
Readouts MakeReadouts(uint32_t selectionStart, uint32_t selectionLength, uint32_t total,
                      uint32_t rate);

}  // namespace time_scale
