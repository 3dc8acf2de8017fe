#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "support/TestWav.h"

using namespace testing_support;

namespace {

struct HeaderCase {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> shape;  // edits the bytes of a 10-frame file
    bool accepted;
    uint32_t frames;  // FrameCount when accepted
};

std::vector<uint8_t> TenFrameFile() {
    const auto header = CanonicalHeader(10);
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (uint32_t k = 0; k < 40; ++k) {
        bytes.push_back(static_cast<uint8_t>(k + 1));
    }
    return bytes;
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

TEST(WaveFileHeader, AcceptsOnlyStereo16BitPcmByLowOrderBytes) {
    const HeaderCase cases[] = {
        {"canonical", [](auto&) {}, true, 10},
        {"header only, 44 bytes", [](auto& b) { b.resize(44); }, true, 0},
        {"one channel", [](auto& b) { Put16(b, 22, 1); }, false, 0},
        {"six channels", [](auto& b) { Put16(b, 22, 6); }, false, 0},
        {"8 bits", [](auto& b) { Put16(b, 34, 8); }, false, 0},
        {"24 bits", [](auto& b) { Put16(b, 34, 24); }, false, 0},
        {"float format tag 3", [](auto& b) { Put16(b, 20, 3); }, false, 0},
        {"extensible tag 0xFFFE", [](auto& b) { Put16(b, 20, 0xFFFE); }, false, 0},
        {"tag 0x0101: only the low byte counts", [](auto& b) { Put16(b, 20, 0x0101); }, true, 10},
        {"channels 0x0302: only the low byte counts", [](auto& b) { Put16(b, 22, 0x0302); }, true,
         10},
        {"48000 Hz is accepted as it is",
         [](auto& b) {
             b[24] = 0x80;
             b[25] = 0xBB;
             b[26] = 0;
             b[27] = 0;
         },
         true, 10},
        {"garbage identifiers are not examined",
         [](auto& b) {
             std::memset(b.data(), 'x', 20);
             std::memset(b.data() + 36, 'y', 8);
         },
         true, 10},
        {"1 trailing byte", [](auto& b) { b.push_back(9); }, true, 10},
        {"3 trailing bytes",
         [](auto& b) {
             b.insert(b.end(), {7, 8, 9});
         },
         true, 10},
        {"43 bytes", [](auto& b) { b.resize(43); }, false, 0},
        {"empty file", [](auto& b) { b.clear(); }, false, 0},
        {"35 bytes: every tested field present, header short", [](auto& b) { b.resize(35); }, false,
         0},
    };
    TempDir dir;
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = TenFrameFile();
        c.shape(bytes);
        const std::string path = dir.File("case.wav");
        WriteBytes(path, bytes);
        WaveFile wav;
        EXPECT_EQ(wav.Open(path.c_str(), WaveFile::kRead), c.accepted);
        EXPECT_EQ(wav.IsOpen(), c.accepted);
        EXPECT_EQ(wav.FrameCount(), c.frames);
        EXPECT_EQ(ReadBytes(path), bytes) << "opening must not change the file";
    }
}

TEST(WaveFileHeader, ExtraChunkBeforeDataIsReadAsFrames) {
    // "fmt " then a LIST chunk: the first 44 bytes still pass, and the LIST chunk's header
    // (bytes 36..43) plus its body are frames like any other bytes after offset 44.
    std::vector<uint8_t> bytes = TenFrameFile();
    std::memcpy(bytes.data() + 36, "LIST", 4);
    TempDir dir;
    WriteBytes(dir.File("list.wav"), bytes);
    WaveFile wav;
    ASSERT_TRUE(wav.Open(dir.File("list.wav").c_str(), WaveFile::kRead));
    EXPECT_EQ(wav.FrameCount(), 10u);
    uint8_t first[4];
    EXPECT_EQ(wav.ReadFramesAt(first, 1, 0), 1u);
    EXPECT_EQ(first[0], 1);
    EXPECT_EQ(first[3], 4);
}

TEST(WaveFileHeader, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    WaveFile wav;
    EXPECT_FALSE(wav.Open(dir.File("missing.wav").c_str(), WaveFile::kRead));
    EXPECT_FALSE(wav.Open(dir.Path().c_str(), WaveFile::kRead));
    EXPECT_FALSE(wav.Open(dir.Path().c_str(), WaveFile::kWrite));
    EXPECT_FALSE(wav.Open("", WaveFile::kRead));
    EXPECT_FALSE(wav.Open(nullptr, WaveFile::kRead));
    EXPECT_FALSE(wav.Open(dir.File("no/such/dir.wav").c_str(), WaveFile::kWrite));
    EXPECT_FALSE(wav.IsOpen());
}

TEST(WaveFileReading, SeekAndReadDeliverWholeFramesUpToTheEnd) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    std::vector<uint8_t> bytes = TenFrameFile();
    bytes.insert(bytes.end(), {0xAA, 0xBB});  // a half frame at the end
    WriteBytes(path, bytes);

    WaveFile wav;
    ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
    EXPECT_EQ(wav.LastReadBytes(), 44u);
    EXPECT_EQ(wav.SizeAtOpen(), 86u);
    EXPECT_EQ(wav.Seek(8), 44 + 32);
    uint8_t buf[4 * 8] = {};
    EXPECT_EQ(wav.ReadFrames(buf, 8), 2u) << "two whole frames remain; the half frame is dropped";
    EXPECT_EQ(wav.LastReadBytes(), 10u);
    EXPECT_EQ(buf[0], 33);
    EXPECT_EQ(wav.ReadFrames(buf, 8), 0u) << "at the end";
    EXPECT_EQ(wav.Seek(100), 44 + 400);
    EXPECT_EQ(wav.ReadFrames(buf, 8), 0u) << "past the end";

    EXPECT_EQ(wav.ReadFramesAt(buf, 3, 1), 3u);
    EXPECT_EQ(buf[0], 5);
    EXPECT_EQ(wav.ReadFramesAt(buf, 3, 9), 1u);
    EXPECT_EQ(wav.ReadFramesAt(buf, 3, 10), 0u);

    // Seeking uses 64-bit offsets: frame 2^30 is 4 GiB into the file, not back at its start.
    EXPECT_EQ(wav.Seek(0x40000000u), int64_t{44} + 4 * int64_t{0x40000000});
    EXPECT_EQ(wav.ReadFrames(buf, 1), 0u);
}

TEST(WaveFileReading, FrameCountUsesTheFull64BitSize) {
    TempDir dir;
    const std::string path = dir.File("huge.wav");
    WriteWav(path, {});
    struct SizeCase {
        uint64_t size;
        uint32_t frames;
    } cases[] = {
        {44 + (uint64_t{1} << 32), 0x40000000u},            // low 32 bits alone would give 0 frames
        {44 + 4 * uint64_t{0xFFFFFFFFu}, 0xFFFFFFFFu},      // the largest countable
        {44 + 4 * (uint64_t{1} << 32) + 400, 0xFFFFFFFFu},  // beyond: capped, not wrapped to 100
    };
    for (const SizeCase& c : cases) {
        std::filesystem::resize_file(path, c.size);  // sparse: no disk space used
        WaveFile wav;
        ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
        EXPECT_EQ(wav.FrameCount(), c.frames) << "size " << c.size;
        uint32_t frame = 1;
        EXPECT_EQ(wav.ReadFramesAt(&frame, 1, c.frames - 1), 1u) << "the last frame is readable";
        EXPECT_EQ(frame, 0u);
    }
}

TEST(WaveFileWriting, HeaderAnnouncesTheFrameCount) {
    struct HeaderWords {
        uint32_t frames, riffSize, dataSize;
    } cases[] = {{0, 36, 0}, {1000, 4036, 4000}, {0x3FFFFFF0u, 0xFFFFFFE4u, 0xFFFFFFC0u}};
    for (const HeaderWords& c : cases) {
        const auto h = WaveFile::MakeHeader(c.frames);
        auto word = [&](size_t at) {
            return uint32_t{h[at]} | uint32_t{h[at + 1]} << 8 | uint32_t{h[at + 2]} << 16 |
                   uint32_t{h[at + 3]} << 24;
        };
        EXPECT_EQ(word(4), c.riffSize);
        EXPECT_EQ(word(40), c.dataSize);
        EXPECT_EQ(std::memcmp(h.data(), "RIFF", 4), 0);
        EXPECT_EQ(std::memcmp(h.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(std::memcmp(h.data() + 36, "data", 4), 0);
        EXPECT_EQ(word(16), 16u);
        EXPECT_EQ(word(20), 1u | 2u << 16);  // PCM, 2 channels
        EXPECT_EQ(word(24), 44100u);
        EXPECT_EQ(word(28), 176400u);
        EXPECT_EQ(word(32), 4u | 16u << 16);  // block alignment 4, 16 bits
        EXPECT_TRUE(WaveFile::IsAcceptedHeader(h));
    }
}

TEST(WaveFileWriting, CreatedFileReadsBackAsWritten) {
    TempDir dir;
    const std::string path = dir.File("out.wav");
    WriteBytes(path, std::vector<uint8_t>(1000, 0x55));  // an existing file is emptied
    const std::vector<Frame> frames = MakeFrames(3, 300);
    {
        WaveFile out;
        ASSERT_TRUE(out.Open(path.c_str(), WaveFile::kWrite));
        EXPECT_EQ(out.SizeAtOpen(), 0u);
        EXPECT_EQ(std::filesystem::file_size(path), 0u) << "create empties an existing file";
        EXPECT_EQ(out.FrameCount(), 0u);
        EXPECT_TRUE(out.WriteHeader(300));
        EXPECT_EQ(out.WriteFrames(frames.data(), 300), 300u);
        EXPECT_EQ(out.LastWrittenBytes(), 1200u);
        EXPECT_EQ(out.FrameCount(), 300u);
        EXPECT_EQ(out.Close(), 0);
    }
    WaveFile in;
    ASSERT_TRUE(in.Open(path.c_str(), WaveFile::kRead));
    std::vector<Frame> back(300);
    EXPECT_EQ(in.ReadFrames(back.data(), 300), 300u);
    EXPECT_EQ(back, frames);
}

TEST(WaveFileWriting, ObjectThatIsNotOpenDoesNothing) {
    WaveFile wav;
    uint8_t buf[16] = {};
    EXPECT_EQ(wav.ReadFrames(buf, 4), 0u);
    EXPECT_EQ(wav.ReadFramesAt(buf, 4, 0), 0u);
    EXPECT_EQ(wav.WriteFrames(buf, 4), 0u);
    EXPECT_EQ(wav.FrameCount(), 0u);
    EXPECT_FALSE(wav.WriteHeader(10));
    EXPECT_EQ(wav.Close(), -1);
    EXPECT_EQ(wav.Seek(0), -1);
}

TEST(WaveFileExclusiveAccess, SecondOpenFailsInBothModes) {
    TempDir dir;
    const std::string path = dir.File("src.wav");
    WriteWav(path, MakeFrames(1, 100));
    const uint64_t before = Checksum(path);
    {
        WaveFile first;
        ASSERT_TRUE(first.Open(path.c_str(), WaveFile::kRead));
        WaveFile second;
        EXPECT_FALSE(second.Open(path.c_str(), WaveFile::kRead));
        EXPECT_FALSE(second.Open(path.c_str(), WaveFile::kWrite));
        EXPECT_EQ(Checksum(path), before) << "a create over a locked source must not empty it";
        EXPECT_EQ(first.FrameCount(), 100u);

        // Another path to the same file is the same file.
        std::filesystem::create_hard_link(path, dir.File("alias.wav"));
        EXPECT_FALSE(second.Open(dir.File("alias.wav").c_str(), WaveFile::kWrite));
        EXPECT_EQ(Checksum(path), before);
    }
    {
        WaveFile writer;
        ASSERT_TRUE(writer.Open(dir.File("new.wav").c_str(), WaveFile::kWrite));
        WaveFile reader;
        EXPECT_FALSE(reader.Open(dir.File("new.wav").c_str(), WaveFile::kRead));
        EXPECT_EQ(writer.Close(), 0);
        EXPECT_TRUE(reader.Open(dir.File("new.wav").c_str(), WaveFile::kWrite))
            << "closing releases the lock";
    }
    WaveFile again;
    EXPECT_TRUE(again.Open(path.c_str(), WaveFile::kRead)) << "destruction releases the lock";
}

}  // namespace
