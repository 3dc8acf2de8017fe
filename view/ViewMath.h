#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include <wx/mousestate.h>

namespace view_math {

/// A floating-point frame position or length as a frame count, truncated toward zero.
/// Values outside 32 bits (and NaN) saturate rather than wrap: 0 below, the largest above.
inline uint32_t ToFrames(double v) {
    if (!(v > 0.0)) {
        return 0;
    }
    constexpr double kMax = std::numeric_limits<uint32_t>::max();
    return v >= kMax ? std::numeric_limits<uint32_t>::max() : uint32_t(v);
}

/// A floating-point pixel coordinate, truncated toward zero and saturated to int (NaN gives 0).
inline int ToPixels(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    constexpr double kMin = std::numeric_limits<int>::min();
    constexpr double kMax = std::numeric_limits<int>::max();
    return v <= kMin   ? std::numeric_limits<int>::min()
           : v >= kMax ? std::numeric_limits<int>::max()
                       : int(v);
}

/// The end of the range [start, start + length), saturated to 32 bits.
inline uint32_t RangeEnd(uint32_t start, uint32_t length) {
    const uint64_t end = uint64_t{start} + length;
    return end > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : uint32_t(end);
}

/// A run of pixel columns [left, right) of the view; empty when left == right.
struct Columns {
    int left = 0;
    int right = 0;
    bool operator==(const Columns&) const = default;
};

/// The column that `frame` falls into in a view `width` columns wide showing
/// [viewStart, viewStart + viewLength): negative left of the view, `width` or more right of
/// it. The difference is signed 64-bit, so frames on either side keep their side.
inline int64_t FrameColumn(uint32_t frame, uint32_t viewStart, uint32_t viewLength, int width) {
    if (viewLength == 0 || width <= 0) {
        return 0;
    }
    const int64_t offset = int64_t{frame} - int64_t{viewStart};
    const int64_t scaled = offset * width;  // at most 2^32 * 2^31: well inside 64 bits
    // Rounded toward minus infinity, so a frame just left of the view lands left of column 0.
    return scaled >= 0 ? scaled / viewLength : -((-scaled + viewLength - 1) / viewLength);
}

/// The columns over the selection [start, start + length), clamped to the view: a selection
/// that begins left of it, ends right of it, or encloses it is cut at the view's edges. An
/// empty selection (the insertion point) is one column where it lies in the shown range,
/// the last one when it stands at the range's end; none outside it.
inline Columns SelectionColumns(uint32_t start, uint32_t length, uint32_t viewStart,
                                uint32_t viewLength, int width) {
    if (viewLength == 0 || width <= 0) {
        return {};
    }
    const int64_t left = FrameColumn(start, viewStart, viewLength, width);
    if (length == 0) {
        if (left < 0 || start > uint64_t{viewStart} + viewLength) {
            return {};
        }
        const int x = int(std::min<int64_t>(left, width - 1));
        return {x, x + 1};
    }
    const int64_t right = FrameColumn(RangeEnd(start, length), viewStart, viewLength, width);
    return {int(std::clamp<int64_t>(left, 0, width)), int(std::clamp<int64_t>(right, 0, width))};
}

/// A drag moves the selection only with the left button alone down: no other button, no
/// Shift, no Ctrl. Alt and the other modifiers do not count.
inline bool IsLeftButtonAlone(const wxMouseState& state) {
    return state.LeftIsDown() && !state.MiddleIsDown() && !state.RightIsDown() &&
           !state.Aux1IsDown() && !state.Aux2IsDown() && !state.ShiftDown() && !state.ControlDown();
}

}  // namespace view_math
