#pragma once

#include <cstdint>
#include <functional>

/// Reads up to n stereo 16-bit frames at `position` into `buffer`, setting framesRead; false
/// when nothing can be read there. Workspace::ReadFrames and a file's own reads both fit:
///
///     const FrameReader reader = [&](void* b, uint32_t n, uint32_t& got, uint32_t at) {
///         return workspace.ReadFrames(b, n, got, at);
///     };
using FrameReader =
    std::function<bool(void* buffer, uint32_t n, uint32_t& framesRead, uint32_t position)>;
