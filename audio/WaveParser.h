#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "audio/SampleLayout.h"

/// Where the audio of a WAV file is and how it is laid out.
struct WaveLayout {
    SampleLayout samples;
    uint32_t sampleRate = 0;
    uint64_t dataOffset = 0;  // byte offset of frame 0
    uint64_t frames = 0;      // frames of the data chunk, by the length rule below
};

/// What ParseWave found: the layout, or why the file cannot be opened.
struct WaveParseResult {
    bool accepted = false;
    WaveLayout layout;
    std::string refusal;  // in words for the user, without the file's name; empty when accepted
};

/// Recognises a WAV file with libsndfile, reading only through `readAt` (positioned reads, so
/// the caller's file keeps no position and needs no second descriptor).
///
///     WaveParseResult r = ParseWave(size, [&](void* b, size_t n, uint64_t at) { ... });
///
/// Chunks may come in any order; libsndfile walks them. The frames are those of the data
/// chunk, of its declared length; a declared length of 0 or 0xFFFFFFFF, or one that runs past
/// the end of the file (a writer that was cut off), runs to the end of the file instead. RF64
/// files take their length from their ds64 chunk. Refused: files that are not WAV, more than
/// two channels, compressed and big-endian sample formats.
using ReadAtFunction = std::function<size_t(void* buffer, size_t size, uint64_t offset)>;
WaveParseResult ParseWave(uint64_t fileSize, const ReadAtFunction& readAt);
