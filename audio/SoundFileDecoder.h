#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/SampleLayout.h"
#include "platform/ExclusiveFile.h"

struct sf_private_tag;

/// What a file opened through libsndfile holds.
struct DecodedFormat {
    std::string name;  // in words for the user: "FLAC", "MP3", "Ogg Vorbis", "AIFF" ...
    uint32_t sampleRate = 0;
    uint16_t channels = 0;  // 1 or 2
    uint64_t frames = 0;    // frames a front-to-back decode delivers
    /// Decoded as floating point (MP3, Vorbis, Opus, float samples); otherwise as integers.
    bool floating = false;
    /// Codecs whose libsndfile decoder must run over frames before a seek target to settle
    /// (Vorbis, Opus); MP3's decoder does its own.
    bool needsPreroll = false;
};

/// One libsndfile decoder of an audio file that is not WAV (FLAC, Ogg Vorbis, Opus, MP3,
/// AIFF/AIFC, W64 and whatever else libsndfile reads), reading the held file through
/// positioned reads so that several decoders of one file can work at once, each with its own
/// position. Frames come out native (16-bit stereo) by SampleLayout's rules: integer samples
/// keep their 16 most significant bits, floating-point ones are scaled, rounded and saturated,
/// mono goes to both channels.
///
///     std::string why;
///     auto decoder = SoundFileDecoder::Open(file, why);
///     if (decoder) got = decoder->Decode(frames, 512, 44100);
///
/// Open checks the announced length by decoding the last frames: a file cut short is refused,
/// and an MP3 without a length tag (whose length libsndfile only estimates) gets the length
/// its decode really has. A Vorbis or Opus decoder is started a little before every seek target and
/// run up to it, so that a block decoded after a seek equals the same block decoded front to
/// back.
class SoundFileDecoder {
public:
    /// Frames decoded before a seek target of a codec that needs it (as long as the longest
    /// Vorbis block).
    static constexpr uint32_t kPrerollFrames = 8192;

    ~SoundFileDecoder();
    SoundFileDecoder(const SoundFileDecoder&) = delete;
    SoundFileDecoder& operator=(const SoundFileDecoder&) = delete;

    /// A decoder of `file` (which must outlive it), or nullptr with `refusal` set, in words for
    /// the user without the file's name, when libsndfile cannot read it or Orvane does not
    /// open what it holds (more than two channels, a file cut short).
    static std::unique_ptr<SoundFileDecoder> Open(const platform::ExclusiveFile& file,
                                                  std::string& refusal);
    /// Another decoder of the same file, for another thread; nullptr when it cannot be opened.
    std::unique_ptr<SoundFileDecoder> Another() const;

    const DecodedFormat& Format() const { return format; }
    /// The frame the next Decode continues from without seeking.
    uint64_t Position() const { return position; }

    /// Decodes up to n native frames starting at `frame` into `out` (4 bytes a frame); returns
    /// the frames delivered, fewer at the end of the file or when the decoder fails.
    uint32_t Decode(void* out, uint32_t n, uint64_t frame);

private:
    struct Source;
    SoundFileDecoder(const platform::ExclusiveFile& file, std::unique_ptr<Source> source,
                     sf_private_tag* sound, DecodedFormat format);
    /// Decodes n frames from the current position; nullptr `out` discards them.
    uint32_t DecodeHere(uint8_t* out, uint32_t n);
    /// Moves to `frame`, decoding the pre-roll before it where the codec needs one.
    bool SeekTo(uint64_t frame);
    /// Frames a decode from `from` to the end delivers, or -1 when the seek fails.
    int64_t DecodedEndFrom(uint64_t from);

    const platform::ExclusiveFile& file;
    std::unique_ptr<Source> source;
    sf_private_tag* sound = nullptr;
    DecodedFormat format;
    uint64_t position = 0;
    std::vector<int32_t> ints;     // one piece of integer samples as libsndfile gives them
    std::vector<double> doubles;   // or of floating-point samples
    std::vector<uint8_t> discard;  // native frames of a pre-roll
};
