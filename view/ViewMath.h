#pragma once

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

/// A drag moves the selection only with the left button alone down: no other button, no
/// Shift, no Ctrl. Alt and the other modifiers do not count.
inline bool IsLeftButtonAlone(const wxMouseState& state) {
    return state.LeftIsDown() && !state.MiddleIsDown() && !state.RightIsDown() &&
           !state.Aux1IsDown() && !state.Aux2IsDown() && !state.ShiftDown() && !state.ControlDown();
}

}  // namespace view_math
