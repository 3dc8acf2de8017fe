#pragma once

#include <cstdint>

class WaveFile;

/// One entry of the edit list as the workspace lists it: the frames [start, end) of one opened
/// file. Zero-length segments are legal; start never exceeds end. The list the workspace
/// keeps holds its files alive; this copy only names the file.
struct Segment {
    uint32_t start = 0;
    uint32_t end = 0;
    const WaveFile* file = nullptr;

    uint32_t Length() const { return end - start; }
    bool operator==(const Segment&) const = default;
};
