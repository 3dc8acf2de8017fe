#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/SampleLayout.h"
#include "audio/WaveChunks.h"

/// Where the audio of a WAV file is and how it is laid out.
struct WaveLayout {
    SampleLayout samples;
    uint32_t sampleRate = 0;
    uint64_t dataOffset = 0;  // byte offset of frame 0
    uint64_t frames = 0;      // whole frames of the audio, by WaveChunks' length rule
};

/// What ParseWave found: the layout, or why the file cannot be opened.
struct WaveParseResult {
    bool accepted = false;
    WaveLayout layout;
    std::string refusal;  // in words for the user, without the file's name; empty when accepted
};

/// Recognises a WAV file, reading only through `readAt` (positioned reads, so the caller's
/// file keeps no position and needs no second descriptor).
///
///     WaveParseResult r = ParseWave(size, [&](void* b, size_t n, uint64_t at) { ... });
///
/// The chunks are walked here (see WaveChunks for the order, repeats, length and damage
/// rules); libsndfile then reads the sample format from the `fmt ` chunk. The frames are the
/// whole frames of the audio. Refused: files that are not WAV, more than two channels,
/// compressed and big-endian sample formats; refusals say why in Orvane's words, with
/// libsndfile's own text only as a detail after them.
WaveParseResult ParseWave(uint64_t fileSize, const ReadAtFunction& readAt);

/// True when the file starts as a WAV file does (RIFF, RF64 or RIFX, then WAVE): such a file
/// is read by ParseWave's rules, whatever else it holds.
bool IsWaveContainer(uint64_t fileSize, const ReadAtFunction& readAt);
