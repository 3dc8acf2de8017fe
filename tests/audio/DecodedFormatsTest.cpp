// Files that are not WAV, made here by the command-line encoders from a known signal, read at
// random positions and backwards, against what the reference decoders make of them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "audio/SampleLayout.h"
#include "audio/WaveFile.h"
#include "support/TestWav.h"

namespace {

using testing_support::TempDir;

// Runs `command`; a failure names it with its output and the packages behind it.
void RunTool(const std::string& command, const char* packages) {
    const std::string logPath = (std::filesystem::temp_directory_path() /
                                 ("orvane-decode-test-" + std::to_string(getpid()) + ".log"))
                                    .string();
    const std::string quiet = "(" + command + ") > '" + logPath + "' 2>&1";
    const int status = std::system(quiet.c_str());
    std::string output;
    if (FILE* log = std::fopen(logPath.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, log) != nullptr) {
            output += line;
        }
        std::fclose(log);
    }
    std::filesystem::remove(logPath);
    if (status != 0) {
        FAIL() << "`" << command << "` failed; it needs the Debian packages " << packages
               << " (scripts/setup installs them):\n"
               << output;
    }
}

std::string Replace(std::string text, const std::string& name, const std::string& value) {
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name)) {
        text.replace(at, name.size(), value);
    }
    return text;
}

// How the reference decoder's raw output is laid out.
enum class Raw { kS16, kS24, kF32 };

// The reference output as native frames, by the documented conversion rules.
std::vector<int16_t> NativeFromRaw(const std::vector<uint8_t>& raw, Raw kind, int channels) {
    const size_t sampleBytes = kind == Raw::kS24 ? 3 : kind == Raw::kS16 ? 2 : 4;
    const size_t frames = raw.size() / (sampleBytes * channels);
    std::vector<int16_t> native(frames * 2);
    for (size_t k = 0; k < frames; ++k) {
        for (int c = 0; c < 2; ++c) {
            const uint8_t* at =
                raw.data() + (k * channels + std::min(c, channels - 1)) * sampleBytes;
            int16_t value = 0;
            if (kind == Raw::kS16) {
                value = int16_t(at[0] | at[1] << 8);
            } else if (kind == Raw::kS24) {
                value = int16_t(at[1] | at[2] << 8);  // the 16 most significant bits
            } else {
                float f;
                std::memcpy(&f, at, 4);
                value = FloatToSample(f);
            }
            native[k * 2 + c] = value;
        }
    }
    return native;
}

// What the length of our decode is, against the reference decoder's output.
enum class Length {
    kReference,           // the same
    kSource,              // the encoded signal's, the reference holds the codec's delay too
    kReferenceLastFrame,  // sox's MP3 reader leaves out the last MPEG frame, 1152 samples
};

struct Row {
    const char* name;
    uint32_t rate;
    int channels;
    int bits;
    const char* file;
    const char* make;       // {src} -> {out}
    const char* reference;  // {out} -> {ref}, raw
    const char* packages;
    Raw raw;
    int tolerance;  // in 16-bit steps
    size_t referenceSkip;
    Length length;
};

// Long enough for several decoded blocks, so that reads seek into the middle of the file.
constexpr uint32_t kSeconds = 10;

TEST(DecodedFormats, ReadAnywhereMatchesTheReferenceDecoders) {
    // Lossless formats are bit-exact. Lossy decoders produce floating point; ours and the
    // reference round the same floats (Vorbis, Opus: the same library underneath) or floats
    // of two decoders (MP3: mpg123 here, libmad in sox) that differ far below one step, so
    // after rounding they may land one step apart.
    const Row rows[] = {
        {"FLAC 16-bit stereo", 44100, 2, 16, "a.flac", "flac -s -f -o {out} {src}",
         "flac -s -d -f --force-raw-format --endian=little --sign=signed -o {ref} {out}", "flac",
         Raw::kS16, 0, 0, Length::kReference},
        {"FLAC 24-bit mono", 48000, 1, 24, "m.flac", "flac -s -f -o {out} {src}",
         "flac -s -d -f --force-raw-format --endian=little --sign=signed -o {ref} {out}", "flac",
         Raw::kS24, 0, 0, Length::kReference},
        {"AIFF 24-bit stereo", 44100, 2, 24, "a.aiff", "sox {src} {out}", "sox {out} -t s24 {ref}",
         "sox", Raw::kS24, 0, 0, Length::kReference},
        {"W64 16-bit stereo", 48000, 2, 16, "a.w64", "sox {src} {out}", "sox {out} -t s16 {ref}",
         "sox libsox-fmt-base", Raw::kS16, 0, 0, Length::kReference},
        // lame writes the encoder's delay and padding into its tag, which our decode honours:
        // the source's length exactly. sox's reader ignores the tag, and its output starts
        // with the tag frame (1152) and the delay (576 encoder + 529 decoder).
        {"MP3 with a length tag", 44100, 2, 16, "a.mp3", "lame --quiet -b 160 {src} {out}",
         "sox {out} -t f32 {ref}", "lame sox libsox-fmt-mp3", Raw::kF32, 1, 1152 + 576 + 529,
         Length::kSource},
        {"MP3 without a length tag", 48000, 1, 16, "m.mp3", "sox {src} -C 128 {out}",
         "sox {out} -t f32 {ref}", "sox libsox-fmt-mp3", Raw::kF32, 1, 0,
         Length::kReferenceLastFrame},
        {"Ogg Vorbis", 44100, 2, 16, "a.ogg", "sox {src} -C 4 {out}", "sox {out} -t f32 {ref}",
         "sox libsox-fmt-base", Raw::kF32, 1, 0, Length::kReference},
        {"Opus", 48000, 2, 16, "a.opus", "opusenc --quiet {src} {out}",
         "opusdec --quiet --float {out} {ref}", "opus-tools", Raw::kF32, 1, 0, Length::kReference},
    };
    TempDir dir;
    std::mt19937 random(7);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string src = dir.File(std::string("src-") + row.file + ".wav");
        const std::string out = dir.File(row.file);
        const std::string ref = dir.File(std::string(row.file) + ".raw");
        const std::string signal = row.channels == 2
                                       ? "sine 100-8000 sine 300-15000 synth whitenoise mix"
                                       : "sine 100-8000 synth whitenoise mix";
        ASSERT_NO_FATAL_FAILURE(RunTool("sox -R -n -r " + std::to_string(row.rate) + " -c " +
                                            std::to_string(row.channels) + " -b " +
                                            std::to_string(row.bits) + " " + src + " synth " +
                                            std::to_string(kSeconds) + " " + signal + " vol 0.5",
                                        "sox"));
        ASSERT_NO_FATAL_FAILURE(
            RunTool(Replace(Replace(row.make, "{src}", src), "{out}", out), row.packages));
        ASSERT_NO_FATAL_FAILURE(
            RunTool(Replace(Replace(row.reference, "{out}", out), "{ref}", ref), row.packages));
        std::vector<int16_t> expected =
            NativeFromRaw(testing_support::ReadBytes(ref), row.raw, row.channels);
        ASSERT_GT(expected.size(), row.referenceSkip * 2);
        expected.erase(expected.begin(), expected.begin() + ptrdiff_t(row.referenceSkip * 2));
        size_t length = expected.size() / 2;
        if (row.length == Length::kSource) {
            length = size_t{kSeconds} * row.rate;
        } else if (row.length == Length::kReferenceLastFrame) {
            length += 1152;
        }

        WaveFile file;
        ASSERT_TRUE(file.Open(out.c_str(), WaveFile::kRead)) << file.FailureReason();
        EXPECT_TRUE(file.IsDecoded());
        EXPECT_EQ(file.SampleRate(), row.rate);
        ASSERT_EQ(file.FrameCount(), length);
        const size_t compared = std::min(length, expected.size() / 2);

        int worst = 0;
        const auto check = [&](uint32_t from, uint32_t count) {
            std::vector<int16_t> got(size_t{count} * 2 + 2, 0x5A5A);
            const uint32_t read = file.ReadFramesAt(got.data(), count, from);
            ASSERT_EQ(read, std::min<uint64_t>(count, length - std::min<uint64_t>(from, length)))
                << "at " << from;
            EXPECT_EQ(got[size_t{count} * 2], 0x5A5A) << "wrote past the frames asked for";
            for (uint32_t k = 0; k < read && from + k < compared; ++k) {
                for (int c = 0; c < 2; ++c) {
                    worst = std::max(worst, std::abs(got[size_t{k} * 2 + c] -
                                                     expected[(size_t{from} + k) * 2 + c]));
                }
            }
        };
        for (uint32_t end = uint32_t(length); end > 0; end -= std::min(end, 3001u)) {
            check(end - std::min(end, 3001u), std::min(end, 3001u));  // backwards
        }
        // Again from a fresh open, so that blocks are decoded in random order, after seeks.
        file.Close();
        ASSERT_TRUE(file.Open(out.c_str(), WaveFile::kRead)) << file.FailureReason();
        for (int i = 0; i < 300; ++i) {
            check(uint32_t(random() % (length + 10)), uint32_t(1 + random() % 4000));
        }
        EXPECT_LE(worst, row.tolerance);
    }
}

TEST(DecodedFormats, RefusesWhatItCannotRead) {
    TempDir dir;
    testing_support::WriteBytes(dir.File("notes.flac"),
                                {'f', 'i', 'r', 's', 't', ' ', 't', 'a', 'k', 'e', '\n', '2'});
    ASSERT_NO_FATAL_FAILURE(RunTool(
        "cd '" + dir.Path().string() +
            "' && sox -R -n -r 44100 -c 4 -b 16 four.wav synth 1 sine 440 && flac -s -o four.flac "
            "four.wav && sox -R -n -r 44100 -c 2 -b 16 long.wav synth 5 whitenoise && flac -s -o "
            "cut.flac long.wav && truncate -s 400K cut.flac",
        "sox flac"));
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"notes.flac", "it is not a WAV file or any other audio file Orvane reads"},
        {"four.flac", "FLAC audio with 4 channels; Orvane opens mono and stereo files"},
        {"cut.flac", "FLAC audio cut short: its header announces 220,500 frames, and only "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const uint64_t before = testing_support::Checksum(dir.File(c.file));
        WaveFile file;
        EXPECT_FALSE(file.Open(dir.File(c.file).c_str(), WaveFile::kRead));
        EXPECT_EQ(file.FailureReason().rfind(c.reason, 0), 0u) << file.FailureReason();
        EXPECT_EQ(testing_support::Checksum(dir.File(c.file)), before);
        WaveFile again;  // the refusal let go of the file
        EXPECT_FALSE(again.Open(dir.File(c.file).c_str(), WaveFile::kRead));
        EXPECT_FALSE(again.FailedOnLock());
    }
}

}  // namespace
