#include "render/RenderWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/WaveFile.h"

namespace {

// Full scale of the 16- and 24-bit formats: a float of +-1.0 is this many steps.
constexpr double k16BitScale = 32768.0;
constexpr double k24BitScale = 8388608.0;

// Rounds to the nearest step (halves away from zero) within [-scale, scale - 1]; NaN gives 0.
int32_t Quantize(double scaled, double scale) {
    if (std::isnan(scaled)) {
        return 0;
    }
    return static_cast<int32_t>(std::fmin(std::fmax(std::round(scaled), -scale), scale - 1.0));
}

int16_t ReadSample(const uint8_t* at) {
    return static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
}

void PutSample(uint8_t* at, int16_t sample) {
    const auto word = static_cast<uint16_t>(sample);
    at[0] = static_cast<uint8_t>(word);
    at[1] = static_cast<uint8_t>(word >> 8);
}

// libsndfile takes integers left-aligned in 32 bits whatever the file holds.
int32_t LeftAligned(int32_t sample, int bits) {
    return static_cast<int32_t>(static_cast<uint32_t>(sample) << (32 - bits));
}

int SoundFileFormat(RenderFormat format) {
    switch (format) {
        case RenderFormat::kWav24:
            return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
        case RenderFormat::kWavFloat:
            return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        case RenderFormat::kFlac16:
            return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        case RenderFormat::kFlac24:
            return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
        case RenderFormat::kWav16:
            break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

}  // namespace

double TpdfDither::Uniform() {
    // xorshift64*: fast, and good enough that the noise shows no pattern in the audio.
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    const uint64_t bits = (state * 0x2545F4914F6CDD1Dull) >> 11;  // 53 bits
    return static_cast<double>(bits) / 9007199254740992.0 - 0.5;
}

RenderWriter::RenderWriter(RenderFormat chosen, uint32_t frameRate, bool ditherWanted)
    : format(chosen), rate(frameRate), dither(ditherWanted) {}

RenderWriter::~RenderWriter() {
    if (sound != nullptr) {
        sf_close(sound);
    }
}

bool RenderWriter::Open(const std::string& path, uint32_t frames) {
    announced = frames;
    buffered = 0;
    written = 0;
    if (converter != nullptr && !converter->IsReady()) {
        return Fail(converter->Failure());
    }
    if (format == RenderFormat::kWav16) {
        wave = std::make_unique<WaveFile>();
        if (!wave->Open(path.c_str(), WaveFile::kWrite)) {
            return Fail(wave->FailureReason());
        }
        headerWritten = false;  // with the first frames: a failure then is a failed write
        bytes.resize(size_t{kBatchFrames} * WaveFile::kBytesPerFrame);
        return true;
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = 2;
    info.format = SoundFileFormat(format);
    sound = sf_open(path.c_str(), SFM_WRITE, &info);
    if (sound == nullptr) {
        return Fail(sf_strerror(nullptr));
    }
    if (format == RenderFormat::kWavFloat) {
        floats.resize(size_t{kBatchFrames} * 2);
    } else {
        integers.resize(size_t{kBatchFrames} * 2);
    }
    return true;
}

void RenderWriter::ResampleTo(uint32_t outputRate) {
    if (outputRate != rate) {
        converter = std::make_unique<RateConverter>(rate, outputRate);
        rate = outputRate;
    }
}

bool RenderWriter::WriteInt16(const uint8_t* frames, uint32_t count) {
    if (converter != nullptr) {
        // Converted, the samples are no longer 16-bit ones: they go the way of floats.
        std::vector<float> left(count);
        std::vector<float> right(count);
        for (uint32_t i = 0; i < count; ++i) {
            left[i] = static_cast<float>(ReadSample(frames + size_t{i} * 4) / k16BitScale);
            right[i] = static_cast<float>(ReadSample(frames + size_t{i} * 4 + 2) / k16BitScale);
        }
        return WriteFloat(left.data(), right.data(), count);
    }
    if (wave != nullptr) {
        // Canonical WAV holds these very bytes: copied a batch at a time.
        for (uint32_t done = 0; done < count;) {
            if (buffered == kBatchFrames && !Flush()) {
                return false;
            }
            const uint32_t n = std::min(count - done, kBatchFrames - buffered);
            std::memcpy(&bytes[size_t{buffered} * 4], frames + size_t{done} * 4, size_t{n} * 4);
            buffered += n;
            done += n;
        }
        return true;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (buffered == kBatchFrames && !Flush()) {
            return false;
        }
        const uint8_t* frame = frames + size_t{i} * 4;
        for (int channel = 0; channel < 2; ++channel) {
            const int16_t sample = ReadSample(frame + 2 * channel);
            const size_t at = size_t{buffered} * 2 + static_cast<size_t>(channel);
            if (format == RenderFormat::kWavFloat) {
                floats[at] = static_cast<float>(sample / k16BitScale);
            } else {
                integers[at] = LeftAligned(sample, 16);
            }
        }
        ++buffered;
    }
    return true;
}

bool RenderWriter::WriteFloat(const float* left, const float* right, uint32_t count) {
    if (converter == nullptr) {
        for (uint32_t i = 0; i < count; ++i) {
            if (!Store(left[i], right[i])) {
                return false;
            }
        }
        return true;
    }
    std::vector<float> input(size_t{count} * 2);
    for (uint32_t i = 0; i < count; ++i) {
        input[size_t{i} * 2] = left[i];
        input[size_t{i} * 2 + 1] = right[i];
    }
    interleaved.clear();
    if (!converter->Push(input.data(), count, interleaved)) {
        return Fail(converter->Failure());
    }
    for (size_t i = 0; i + 1 < interleaved.size(); i += 2) {
        if (!Store(interleaved[i], interleaved[i + 1])) {
            return false;
        }
    }
    return true;
}

bool RenderWriter::Store(float left, float right) {
    if (buffered == kBatchFrames && !Flush()) {
        return false;
    }
    const bool reduce16 = render_format::Is16Bit(format);
    const float values[2] = {left, right};
    for (int channel = 0; channel < 2; ++channel) {
        const float value = values[channel];
        const size_t at = size_t{buffered} * 2 + static_cast<size_t>(channel);
        if (wave != nullptr) {
            PutSample(&bytes[at * 2], To16(value));
        } else if (format == RenderFormat::kWavFloat) {
            floats[at] = std::isnan(value) ? 0.0f : value;
        } else if (reduce16) {
            integers[at] = LeftAligned(To16(value), 16);
        } else {
            integers[at] = LeftAligned(Quantize(value * k24BitScale, k24BitScale), 24);
        }
    }
    ++buffered;
    return true;
}

int16_t RenderWriter::To16(float value) {
    double scaled = static_cast<double>(value) * k16BitScale;
    // A sample already on a 16-bit step loses nothing in the reduction, so it is not dithered:
    // an effect's digital silence stays silent, and a delay or a pass-through stays exact.
    if (dither && scaled != std::round(scaled)) {
        scaled += noise.Next();
    }
    return static_cast<int16_t>(Quantize(scaled, k16BitScale));
}

bool RenderWriter::Flush() {
    const uint32_t count = buffered;
    buffered = 0;
    written += count;
    if (count == 0 && (wave == nullptr || headerWritten)) {
        return true;
    }
    if (wave != nullptr) {
        if (!headerWritten && !wave->WriteHeader(announced, rate)) {
            return Fail(wave->FailureReason());
        }
        headerWritten = true;
        return wave->WriteFrames(bytes.data(), count) == count || Fail(wave->FailureReason());
    }
    const sf_count_t written = format == RenderFormat::kWavFloat
                                   ? sf_writef_float(sound, floats.data(), count)
                                   : sf_writef_int(sound, integers.data(), count);
    return written == sf_count_t{count} || Fail(sf_strerror(sound));
}

bool RenderWriter::Finish() {
    if (converter != nullptr) {
        interleaved.clear();
        if (!converter->Drain(interleaved)) {
            return Fail(converter->Failure());
        }
        for (size_t i = 0; i + 1 < interleaved.size(); i += 2) {
            if (!Store(interleaved[i], interleaved[i + 1])) {
                return false;
            }
        }
    }
    if (!Flush()) {
        return false;
    }
    if (wave != nullptr) {
        // A tail, or a new rate, made the file longer or shorter than its header announced.
        const auto frames = static_cast<uint32_t>(written);
        if (frames != announced && !wave->RewriteHeader(frames, rate)) {
            return Fail(wave->FailureReason());
        }
        return wave->Close() == 0 || Fail("the file could not be closed");
    }
    // libsndfile completes the header (and a FLAC file's stream information) as it closes.
    sf_write_sync(sound);
    const int closed = sf_close(sound);
    sound = nullptr;
    return closed == 0 ||
           Fail(std::string("the file could not be closed: ") + sf_error_number(closed));
}

bool RenderWriter::Fail(const std::string& why) {
    failureReason = why;
    return false;
}
