// WAV files as common tools write them, built byte by byte here: each is accepted with the
// right frame count, rate and every frame as worked out by hand, or refused for the right
// reason.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <thread>
#include <utility>

#include "audio/WaveFile.h"
#include "support/TestWav.h"
#include "support/WavBytes.h"

using namespace testing_support;

namespace {

using Pair = std::pair<int16_t, int16_t>;

struct FormatCase {
    const char* name;
    Bytes file;
    bool accepted;
    const char* reason;  // a part of the refusal's text
    uint32_t rate;
    std::vector<Pair> frames;  // every frame expected, as (left, right)
};

// Ten stereo frames whose channels differ in sign, so a swap or an offset shows.
std::vector<int16_t> TenFrames() {
    std::vector<int16_t> samples;
    for (int k = 0; k < 10; ++k) {
        samples.push_back(static_cast<int16_t>(1000 * k + 7));
        samples.push_back(static_cast<int16_t>(-(1000 * k + 9)));
    }
    return samples;
}

std::vector<Pair> TenPairs(size_t count = 10) {
    std::vector<Pair> pairs;
    for (int k = 0; k < static_cast<int>(count); ++k) {
        pairs.emplace_back(static_cast<int16_t>(1000 * k + 7),
                           static_cast<int16_t>(-(1000 * k + 9)));
    }
    return pairs;
}

Bytes Fmt16() {
    return FmtChunk(1, 2, 44100, 16);
}
Bytes Data16() {
    return Chunk("data", Int16Samples(TenFrames()));
}
Bytes List() {
    return Chunk("LIST",
                 {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 5, 0, 0, 0, 'l', 'a', 'v', 'f', 0, 0});
}
// A canonical file whose data chunk declares `declared` bytes, followed by the ten frames.
Bytes DeclaredLength(uint32_t declared) {
    return Concat({Riff(Fmt16()), ChunkHeader("data", declared), Int16Samples(TenFrames())});
}

// Bytes read as 16-bit stereo frames, little-endian, as a reader taking them for audio does.
std::vector<Pair> AsFrames(const Bytes& bytes) {
    std::vector<Pair> pairs;
    const auto sample = [&](size_t at) {
        return static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8);
    };
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        pairs.emplace_back(sample(at), sample(at + 2));
    }
    return pairs;
}

// Bytes written as hexadecimal digits, spaces ignored: "5249 4646" is "RIFF".
Bytes FromHex(const char* hex) {
    Bytes bytes;
    std::string digits;
    for (const char* c = hex; *c != 0; ++c) {
        if (*c != ' ') {
            digits += *c;
        }
    }
    for (size_t at = 0; at + 1 < digits.size(); at += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(at, 2), nullptr, 16)));
    }
    return bytes;
}

Bytes Rf64(uint64_t dataBytes, const Bytes& samples, const Bytes& after) {
    Bytes ds64;
    AppendLE(ds64, 0, 8);  // RIFF size: not needed by readers that walk the chunks
    AppendLE(ds64, dataBytes, 8);
    AppendLE(ds64, 0, 8);  // sample count
    AppendLE(ds64, 0, 4);  // table length
    Bytes body =
        Concat({Chunk("ds64", ds64), Fmt16(), ChunkHeader("data", 0xFFFFFFFFu), samples, after});
    Bytes file = ChunkHeader("RF64", 0xFFFFFFFFu);
    file.insert(file.end(), {'W', 'A', 'V', 'E'});
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<FormatCase> Cases() {
    const float nanF = std::numeric_limits<float>::quiet_NaN();
    const float infF = std::numeric_limits<float>::infinity();
    const double nanD = std::numeric_limits<double>::quiet_NaN();
    // Floats and what 16-bit samples they become: x * 32768 to the nearest step, saturated.
    const std::vector<double> floats = {0.5, -0.5, 1.0, -1.0, 1.5, -7.0, 0.25, 0.999, 1e-6, -0.3};
    const std::vector<Pair> floatPairs = {
        {16384, -16384}, {32767, -32768}, {32767, -32768}, {8192, 32735}, {0, -9830}};
    std::vector<float> floats32(floats.begin(), floats.end());
    floats32.insert(floats32.end(), {nanF, infF, -infF, nanF});
    std::vector<double> floats64 = floats;
    floats64.insert(floats64.end(), {nanD, std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(), nanD});
    std::vector<Pair> floatPairsNan = floatPairs;
    floatPairsNan.insert(floatPairsNan.end(), {{0, 32767}, {-32768, 0}});

    return {
        {"canonical", Riff(Concat({Fmt16(), Data16()})), true, "", 44100, TenPairs()},
        {"LIST before data", Riff(Concat({Fmt16(), List(), Data16()})), true, "", 44100,
         TenPairs()},
        {"LIST after data", Riff(Concat({Fmt16(), Data16(), List()})), true, "", 44100,
         TenPairs()},
        {"JUNK before fmt", Riff(Concat({Chunk("JUNK", Bytes(28, 0)), Fmt16(), Data16()})), true,
         "", 44100, TenPairs()},
        {"fact, bext and id3 chunks",
         Riff(Concat({Chunk("bext", Bytes(33, 'b')), FmtChunk(1, 2, 44100, 16, 18),
                      Chunk("fact", {10, 0, 0, 0}), Data16(), Chunk("id3 ", Bytes(11, 'i'))})),
         true, "", 44100, TenPairs()},
        {"fmt of 18 bytes", Riff(Concat({FmtChunk(1, 2, 44100, 16, 18), Data16()})), true, "",
         44100, TenPairs()},
        {"EXTENSIBLE 16-bit stereo (fmt of 40 bytes)",
         Riff(Concat({FmtChunk(1, 2, 44100, 16, 40), Data16()})), true, "", 44100, TenPairs()},
        {"48 kHz", Riff(Concat({FmtChunk(1, 2, 48000, 16), Data16()})), true, "", 48000,
         TenPairs()},
        {"96 kHz", Riff(Concat({FmtChunk(1, 2, 96000, 16), Data16()})), true, "", 96000,
         TenPairs()},
        {"mono 16-bit plays on both channels",
         Riff(Concat({FmtChunk(1, 1, 22050, 16), Chunk("data", Int16Samples({5, -6, 32767}))})),
         true, "", 22050, {{5, 5}, {-6, -6}, {32767, 32767}}},
        {"8-bit, unsigned around 128",
         Riff(Concat({FmtChunk(1, 2, 8000, 8),
                      Chunk("data", UInt8Samples({0, 1, 127, 128, 129, 255, 64, 200}))})),
         true, "", 8000, {{-32768, -32512}, {-256, 0}, {256, 32512}, {-16384, 18432}}},
        {"24-bit keeps the top 16 bits",
         Riff(Concat({FmtChunk(1, 2, 44100, 24),
                      Chunk("data", Int24Samples({0x7FFFFF, -0x800000, 0x123456, -1, 255, 256,
                                                  -256, -257}))})),
         true, "", 44100, {{32767, -32768}, {0x1234, -1}, {0, 1}, {-1, -2}}},
        {"EXTENSIBLE 24-bit",
         Riff(Concat({FmtChunk(1, 2, 48000, 24, 40),
                      Chunk("data", Int24Samples({0x100000, -0x100000}))})),
         true, "", 48000, {{0x1000, -0x1000}}},
        {"32-bit integer keeps the top 16 bits",
         Riff(Concat({FmtChunk(1, 2, 44100, 32),
                      Chunk("data", Int32Samples({0x7FFFFFFF, std::numeric_limits<int32_t>::min(),
                                                  0x12345678, -1, 65535, 65536}))})),
         true, "", 44100, {{32767, -32768}, {0x1234, -1}, {0, 1}}},
        {"32-bit float saturates, NaN is silence",
         Riff(Concat({FmtChunk(3, 2, 44100, 32, 18), Chunk("fact", {7, 0, 0, 0}),
                      Chunk("data", Float32Samples(floats32))})),
         true, "", 44100, floatPairsNan},
        {"64-bit float saturates, NaN is silence",
         Riff(Concat({FmtChunk(3, 2, 44100, 64), Chunk("data", Float64Samples(floats64))})), true,
         "", 44100, floatPairsNan},
        {"EXTENSIBLE float mono",
         Riff(Concat({FmtChunk(3, 1, 44100, 32, 40), Chunk("data", Float32Samples({0.5f, -2.0f}))})),
         true, "", 44100, {{16384, 16384}, {-32768, -32768}}},
        {"declared data length 0: to the end of the file", DeclaredLength(0), true, "", 44100,
         TenPairs()},
        {"declared length 0 followed by bytes that look like chunks: all of them are frames",
         Concat({Riff(Fmt16()), ChunkHeader("data", 0),
                 Chunk("data", Int16Samples({1, 2, 3, 4}))}),
         true, "", 44100,
         {{0x6164, 0x6174}, {8, 0}, {1, 2}, {3, 4}}},
        {"declared length 0 followed by a whole WAV file (a recording cut off, then appended)",
         Concat({Riff(Fmt16()), ChunkHeader("data", 0), Riff(Concat({Fmt16(), Data16()}))}),
         true, "", 44100, AsFrames(Riff(Concat({Fmt16(), Data16()})))},
        {"declared data length 0xFFFFFFFF: to the end", DeclaredLength(0xFFFFFFFFu), true, "",
         44100, TenPairs()},
        {"declared data length past the end: to the end", DeclaredLength(400), true, "", 44100,
         TenPairs()},
        {"declared length past the end, half a frame at the end",
         [] {
             Bytes b = DeclaredLength(40);
             b.resize(b.size() - 2);
             return b;
         }(),
         true, "", 44100, TenPairs(9)},
        {"odd declared length, pad byte, then a chunk",
         Concat({Riff(Concat({Fmt16(), ChunkHeader("data", 39)})), Int16Samples(TenFrames()),
                 List()}),
         true, "", 44100, TenPairs(9)},
        {"odd data chunk with its pad byte, then a chunk",
         Riff(Concat({FmtChunk(1, 1, 11025, 8), Chunk("data", UInt8Samples({128, 160, 96, 255, 0})),
                      List()})),
         true, "", 11025, {{0, 0}, {8192, 8192}, {-8192, -8192}, {32512, 32512}, {-32768, -32768}}},
        {"a second data chunk after the audio, declared past the end: only the first's frames",
         Concat({Riff(Concat({Fmt16(), Data16()})), ChunkHeader("data", 0x01000010),
                 Int16Samples({1, 2, 3})}),
         true, "", 44100, TenPairs()},
        {"a chunk after the audio cut off inside its header: only the data chunk's frames",
         Concat({Riff(Concat({Fmt16(), Data16()})), Bytes{'L', 'I', 'S'}}), true, "", 44100,
         TenPairs()},
        {"a second data chunk after the audio, its header cut off (found by fuzzing)",
         FromHex("52494646 34000000 57415645 666d7420 10000000 01000200 44ac0000 10b10200"
                 "04001000 64617461 10000000 01008010 20354050 60700102 45666d00 64617461"
                 "10000000"),
         true, "", 44100, {{1, 4224}, {13600, 20544}, {28768, 513}, {26181, 109}}},
        {"bytes that name no chunk after the audio",
         Concat({Riff(Concat({Fmt16(), Data16()})), Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}}), true, "",
         44100, TenPairs()},
        {"an absurd chunk after the audio, then a format that differs",
         Concat({Riff(Concat({Fmt16(), Data16()})), ChunkHeader("LIST", 0xFFFFFFF0u),
                 FmtChunk(1, 1, 8000, 8)}),
         true, "", 44100, TenPairs()},
        {"a second fmt that differs, after the audio: the one before it holds (found by fuzzing)",
         FromHex("52494646 34000000 57415645 666d7420 10000000 01000200 44ac0049 3eb10200"
                 "04001000 64617461 10000000 0100ff7f 00801020 30400000 57415645 666d7420"
                 "10000000 01000200 44ac002d 3eb10200 04001000 64617461 86868687 50607001"
                 "8a03"),
         true, "", 1224780868, {{1, 32767}, {-32768, 8208}, {16432, 0}, {16727, 17750}}},
        {"fmt after data", Riff(Concat({Data16(), List(), FmtChunk(1, 2, 48000, 16)})), true, "",
         48000, TenPairs()},
        {"fmt after data, then damage", Concat({Riff(Concat({Data16(), Fmt16()})), Bytes{'d', 'a'}}),
         true, "", 44100, TenPairs()},
        {"identical fmt chunks before and after data",
         Riff(Concat({Fmt16(), List(), Fmt16(), Data16(), Fmt16()})), true, "", 44100, TenPairs()},
        {"a chunk of odd size without its pad byte before the audio",
         Riff(Concat({Fmt16(), ChunkHeader("bext", 3), Bytes{'a', 'b', 'c'}, Data16()})), true, "",
         44100, TenPairs()},
        {"RF64 takes its length from ds64",
         Rf64(12, Int16Samples({1, 2, 3, 4, 5, 6}), List()), true, "", 44100, {{1, 2}, {3, 4}, {5, 6}}},
        {"empty data chunk", Riff(Concat({Fmt16(), Chunk("data", {})})), true, "", 44100, {}},

        {"six channels", Riff(Concat({FmtChunk(1, 6, 48000, 16), Chunk("data", Bytes(24, 0))})),
         false, "6 channels; Orvane opens mono and stereo files", 0, {}},
        {"u-law", Riff(Concat({FmtChunk(7, 2, 8000, 8, 18), Chunk("fact", {4, 0, 0, 0}),
                                Chunk("data", Bytes(8, 0x7F))})),
         false, "Orvane opens PCM", 0, {}},
        {"A-law", Riff(Concat({FmtChunk(6, 1, 8000, 8, 18), Chunk("fact", {4, 0, 0, 0}),
                                Chunk("data", Bytes(4, 0x55))})),
         false, "Orvane opens PCM", 0, {}},
        {"MPEG Layer 3 inside WAV",
         Riff(Concat({FmtChunk(0x55, 2, 44100, 0, 18), Chunk("fact", {4, 0, 0, 0}),
                      Chunk("data", Bytes(64, 0xFF))})),
         false, "MPEG Layer 3 audio (format 0x0055); Orvane opens PCM", 0, {}},
        {"unknown format tag inside EXTENSIBLE",
         Riff(Concat({FmtChunk(0x1234, 2, 44100, 16, 40), Chunk("data", Bytes(16, 0))})), false,
         "(format 0x1234)", 0, {}},
        {"big-endian RIFX",
         [] {
             Bytes b = Riff(Concat({Fmt16(), Data16()}));
             b[3] = 'X';
             return b;
         }(),
         false, "big-endian", 0, {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n', 'x', 'y'}, false,
         "not a WAV file", 0, {}},
        {"empty file", {}, false, "not a WAV file", 0, {}},
        {"RIFF WAVE without chunks", Riff({}), false, "it holds no audio (it has no \"data\" chunk)",
         0, {}},
        {"no data chunk", Riff(Concat({Fmt16(), List()})), false, "no \"data\" chunk", 0, {}},
        {"no fmt chunk", Riff(Data16()), false, "its format is missing (it has no \"fmt \" chunk)",
         0, {}},
        {"no fmt chunk before damage after the audio",
         Concat({Riff(Data16()), ChunkHeader("fmt ", 16)}), false,
         "no \"fmt \" chunk; after its audio, its \"fmt \" chunk at byte 60 declares 16 bytes, "
         "more than the file holds",
         0, {}},
        {"a second fmt that differs, before the audio",
         Riff(Concat({Fmt16(), FmtChunk(1, 2, 44100, 16, 18), Data16()})), false,
         "its second \"fmt \" chunk (at byte 36)", 0, {}},
        {"a chunk before the audio runs past the end of the file",
         Riff(Concat({Fmt16(), ChunkHeader("LIST", 400), Data16()})), false,
         "it is damaged before its audio: its \"LIST\" chunk at byte 36 declares 400 bytes, more "
         "than the file holds",
         0, {}},
        {"bytes that name no chunk before the audio",
         Riff(Concat({Fmt16(), Bytes{0, 0, 0, 0}, Data16()})), false,
         "it is damaged before its audio: no chunk begins at byte 36", 0, {}},
        {"cut off inside a chunk header before the audio", Riff(Concat({Fmt16(), Bytes{'d', 'a'}})),
         false, "it is damaged before its audio: the file ends inside a chunk header at byte 36",
         0, {}},
        {"fmt too short", Riff(Concat({Chunk("fmt ", {1, 0, 2, 0}), Data16()})), false,
         "its \"fmt \" chunk is too short (4 bytes", 0, {}},
        {"no channels", Riff(Concat({FmtChunk(1, 0, 44100, 16), Data16()})), false,
         "its \"fmt \" chunk gives 0 channels", 0, {}},
        {"rate 0", Riff(Concat({FmtChunk(1, 2, 0, 16), Data16()})), false,
         "its \"fmt \" chunk gives a sample rate of 0 Hz", 0, {}},
        {"24-bit float: libsndfile's text is only a detail",
         Riff(Concat({FmtChunk(3, 2, 44100, 24), Data16()})), false,
         "its \"fmt \" chunk gives 24-bit floating-point samples, which Orvane cannot read; "
         "Orvane opens PCM (8, 16, 24, 32 bits) and floating-point files (libsndfile: ",
         0, {}},
        {"0 bits per sample", Riff(Concat({FmtChunk(1, 2, 44100, 0), Data16()})), false,
         "its \"fmt \" chunk gives 0 bits per sample", 0, {}},
    };
}

std::vector<Pair> ReadAll(const WaveFile& wav) {
    std::vector<int16_t> samples(2 * size_t{wav.FrameCount()} + 2, 0x5A5A);
    const uint32_t got = wav.ReadFramesAt(samples.data(), wav.FrameCount() + 1, 0);
    EXPECT_EQ(got, wav.FrameCount()) << "asking one frame too many delivers the frames there are";
    std::vector<Pair> pairs;
    for (uint32_t k = 0; k < got; ++k) {
        pairs.emplace_back(samples[2 * k], samples[2 * k + 1]);
    }
    return pairs;
}

TEST(WaveFormats, FilesAsToolsWriteThem) {
    TempDir dir;
    for (const FormatCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("case.wav");
        WriteBytes(path, c.file);
        WaveFile wav;
        ASSERT_EQ(wav.Open(path.c_str(), WaveFile::kRead), c.accepted) << wav.FailureReason();
        if (!c.accepted) {
            EXPECT_NE(wav.FailureReason().find(c.reason), std::string::npos) << wav.FailureReason();
            continue;
        }
        EXPECT_EQ(wav.SampleRate(), c.rate);
        EXPECT_EQ(wav.FrameCount(), c.frames.size());
        EXPECT_EQ(ReadAll(wav), c.frames);
        if (c.frames.size() > 2) {
            // A read in the middle lands on the right frame (offsets follow the layout).
            int16_t two[4];
            ASSERT_EQ(wav.ReadFramesAt(two, 2, 1), 2u);
            EXPECT_EQ(Pair(two[0], two[1]), c.frames[1]);
            EXPECT_EQ(Pair(two[2], two[3]), c.frames[2]);
        }
        EXPECT_EQ(ReadBytes(path), c.file) << "opening must not change the file";
    }
}

TEST(WaveFormats, ConvertedFilesReadInPiecesMatchOneWholeRead) {
    // 24-bit mono longer than one conversion buffer, read at odd positions and sizes.
    std::vector<int32_t> samples;
    for (int32_t k = 0; k < 20000; ++k) {
        samples.push_back((k * 7919) % 0x7FFFFF - 0x400000);
    }
    TempDir dir;
    const std::string path = dir.File("long24.wav");
    WriteBytes(path,
               Riff(Concat({FmtChunk(1, 1, 44100, 24), Chunk("data", Int24Samples(samples))})));
    WaveFile wav;
    ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
    ASSERT_EQ(wav.FrameCount(), samples.size());
    std::vector<int16_t> frames(2 * samples.size());
    for (uint32_t at = 0, n = 1; at < samples.size(); at += n, n = n * 3 + 1) {
        wav.ReadFramesAt(frames.data() + 2 * size_t{at}, n, at);
    }
    for (size_t k = 0; k < samples.size(); ++k) {
        ASSERT_EQ(frames[2 * k], static_cast<int16_t>(samples[k] >> 8)) << "frame " << k;
        ASSERT_EQ(frames[2 * k + 1], frames[2 * k]) << "frame " << k;
    }
}

TEST(WaveFormats, TwoThreadsReadOneConvertedFileAtOnce) {
    std::vector<float> samples;
    for (int k = 0; k < 40000; ++k) {
        samples.push_back(static_cast<float>(k % 1000) / 1000.0f);
    }
    TempDir dir;
    const std::string path = dir.File("float.wav");
    WriteBytes(path,
               Riff(Concat({FmtChunk(3, 2, 44100, 32), Chunk("data", Float32Samples(samples))})));
    WaveFile wav;
    ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
    // Each thread reads its own frames; a shared file position would mix them up.
    auto reader = [&](uint32_t first, bool& ok) {
        std::vector<int16_t> block(2 * 64);
        ok = true;
        for (uint32_t at = first; at + 64 <= wav.FrameCount(); at += 128) {
            ok = ok && wav.ReadFramesAt(block.data(), 64, at) == 64 &&
                 block[0] == static_cast<int16_t>(std::floor(samples[2 * at] * 32768.0 + 0.5));
        }
    };
    bool okA = false;
    bool okB = false;
    std::thread a(reader, 0, std::ref(okA));
    std::thread b(reader, 64, std::ref(okB));
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
}

TEST(WaveFormats, LongerThanTheFrameLimitOpensCutAtTheLimit) {
    // RF64, 8-bit mono: 2^32 + 100 frames in a sparse file of that many data bytes.
    const uint64_t frames = (uint64_t{1} << 32) + 100;
    Bytes ds64;
    AppendLE(ds64, 0, 8);
    AppendLE(ds64, frames, 8);
    AppendLE(ds64, 0, 8);
    AppendLE(ds64, 0, 4);
    Bytes header = ChunkHeader("RF64", 0xFFFFFFFFu);
    header.insert(header.end(), {'W', 'A', 'V', 'E'});
    const Bytes chunks =
        Concat({Chunk("ds64", ds64), FmtChunk(1, 1, 44100, 8), ChunkHeader("data", 0xFFFFFFFFu)});
    header.insert(header.end(), chunks.begin(), chunks.end());
    TempDir dir;
    const std::string path = dir.File("long.wav");
    WriteBytes(path, header);
    std::filesystem::resize_file(path, header.size() + frames);  // sparse: no disk space used

    WaveFile wav;
    ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead)) << wav.FailureReason();
    EXPECT_EQ(wav.FramesInFile(), frames);
    EXPECT_TRUE(wav.IsCutAtFrameLimit());
    EXPECT_EQ(wav.FrameCount(), 0xFFFFFFFFu);
    int16_t last[2] = {1, 1};
    EXPECT_EQ(wav.ReadFramesAt(last, 1, 0xFFFFFFFEu), 1u);
    EXPECT_EQ(last[0], -32768) << "a zero byte is the lowest 8-bit sample";
}

}  // namespace
