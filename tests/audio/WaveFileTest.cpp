#include "audio/WaveFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "support/TestWav.h"

using namespace testing_support;

namespace {

TEST(WaveFileReading, ReadsWholeFramesUpToTheEndOfTheData) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    const std::vector<Frame> frames = MakeFrames(2, 10);
    WriteWav(path, frames);
    std::vector<uint8_t> bytes = ReadBytes(path);
    bytes.insert(bytes.end(), {0xAA, 0xBB});  // a half frame at the end
    WriteBytes(path, bytes);

    WaveFile wav;
    ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
    EXPECT_EQ(wav.FrameCount(), 10u);
    Frame buf[8] = {};
    EXPECT_EQ(wav.ReadFramesAt(buf, 3, 1), 3u);
    EXPECT_EQ(buf[0], frames[1]);
    EXPECT_EQ(buf[2], frames[3]);
    EXPECT_EQ(wav.ReadFramesAt(buf, 8, 8), 2u) << "two whole frames remain";
    EXPECT_EQ(buf[1], frames[9]);
    EXPECT_EQ(wav.ReadFramesAt(buf, 3, 10), 0u) << "at the end";
    EXPECT_EQ(wav.ReadFramesAt(buf, 3, 0xFFFFFFFFu), 0u) << "far past the end";
}

// The view's reads while tables are built: frames on disk only are not waited for, and the
// same frames come once they are in memory.
TEST(WaveFileReading, CachedReadsDeliverOnlyFramesInMemory) {
    TempDir dir;
    const std::string path = dir.File("a.wav");
    // Read far from the header: opening reads the header, and the kernel's read-ahead after
    // it may bring in several megabytes (8 MB on some machines).
    constexpr uint32_t kAt = 11'000'000;
    const std::vector<Frame> frames = MakeFrames(3, kAt + 1000);
    WriteWav(path, frames);
    const int fd = ::open(path.c_str(), O_RDONLY);  // onto the disk and out of memory
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fdatasync(fd), 0);
    ASSERT_EQ(::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED), 0);
    ::close(fd);

    WaveFile wav;
    ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
    std::vector<Frame> got(1000);
    bool missing = false;
    EXPECT_LT(wav.ReadCachedFramesAt(got.data(), 1000, kAt, missing), 1000u);
    EXPECT_TRUE(missing);

    ASSERT_EQ(wav.ReadFramesAt(got.data(), 1000, kAt), 1000u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), frames.begin() + kAt));
    got.assign(1000, 0);
    missing = false;
    EXPECT_EQ(wav.ReadCachedFramesAt(got.data(), 1000, kAt, missing), 1000u);
    EXPECT_FALSE(missing);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), frames.begin() + kAt));
}

TEST(WaveFileReading, RefusesWhatIsNotARegularFile) {
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
    // The header declares 0 data bytes, as a writer that was cut off leaves it: the frames run
    // to the end of the file.
    for (const SizeCase& c : cases) {
        std::filesystem::resize_file(path, c.size);  // sparse: no disk space used
        WaveFile wav;
        ASSERT_TRUE(wav.Open(path.c_str(), WaveFile::kRead));
        EXPECT_EQ(wav.FrameCount(), c.frames) << "size " << c.size;
        uint32_t frame = 1;
        EXPECT_EQ(wav.ReadFramesAt(&frame, 1, c.frames - 1), 1u) << "the last frame is readable";
        EXPECT_EQ(frame, 0u);
        EXPECT_EQ(wav.IsCutAtFrameLimit(), (c.size - 44) / 4 > 0xFFFFFFFFu);
        EXPECT_EQ(wav.FramesInFile(), (c.size - 44) / 4);
    }
}

TEST(WaveFileWriting, HeaderAnnouncesTheFrameCount) {
    struct HeaderWords {
        uint32_t frames, riffSize, dataSize;
    } cases[] = {{0, 36, 0}, {1000, 4036, 4000}, {0x3FFFFFF0u, 0xFFFFFFE4u, 0xFFFFFFC0u}};
    for (const HeaderWords& c : cases) {
        const auto h = WaveFile::MakeHeader(c.frames, 48000);
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
        EXPECT_EQ(word(24), 48000u);
        EXPECT_EQ(word(28), 192000u);
        EXPECT_EQ(word(32), 4u | 16u << 16);  // block alignment 4, 16 bits
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
        EXPECT_EQ(std::filesystem::file_size(path), 0u) << "create empties an existing file";
        EXPECT_TRUE(out.WriteHeader(300, 96000));
        EXPECT_EQ(out.WriteFrames(frames.data(), 300), 300u);
        EXPECT_EQ(out.LastWrittenBytes(), 1200u);
        EXPECT_EQ(out.Close(), 0);
    }
    WaveFile in;
    ASSERT_TRUE(in.Open(path.c_str(), WaveFile::kRead));
    EXPECT_EQ(in.FrameCount(), 300u);
    EXPECT_EQ(in.SampleRate(), 96000u);
    std::vector<Frame> back(300);
    EXPECT_EQ(in.ReadFramesAt(back.data(), 300, 0), 300u);
    EXPECT_EQ(back, frames);
}

TEST(WaveFileWriting, ObjectThatIsNotOpenDoesNothing) {
    WaveFile wav;
    uint8_t buf[16] = {};
    EXPECT_EQ(wav.ReadFramesAt(buf, 4, 0), 0u);
    EXPECT_EQ(wav.WriteFrames(buf, 4), 0u);
    EXPECT_EQ(wav.FrameCount(), 0u);
    EXPECT_FALSE(wav.WriteHeader(10));
    EXPECT_EQ(wav.Close(), -1);
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
