#pragma once

#include <cstdint>

#include "audio/FrameReader.h"

/// The edge nearest to `frame` (an edge k lies between frames k - 1 and k) at which the
/// louder channel around it crosses zero: its sign changes from frame k - 1 to frame k, or
/// frame k is exactly zero. Looks no further than 10 ms of `rate` either way and returns
/// `frame` itself when there is no crossing within that, when the rate is 0 or nothing can be
/// read. Of two crossings equally near, the earlier wins. The louder channel is the one with
/// the larger sum of magnitudes over the frames looked at.
///
///     selectionStart = SnapToZeroCrossing(reader, clickedFrame, 44100);
uint32_t SnapToZeroCrossing(const FrameReader& reader, uint32_t frame, uint32_t rate);
