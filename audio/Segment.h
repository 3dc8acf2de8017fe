#pragma once

#include <cstdint>

class WaveFile;

/// One entry of the edit list: the frames [start, end) of one opened file. Zero-length
/// segments are legal; start never exceeds end.
struct Segment {
    uint32_t start = 0;
    uint32_t end = 0;
    WaveFile* file = nullptr;  // refers into the workspace's files; not owned

    uint32_t Length() const { return end - start; }
    bool operator==(const Segment&) const = default;
};
