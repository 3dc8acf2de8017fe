#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

/// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

/// A frame as one 32-bit little-endian word: left sample in the low half, right in the high.
using Frame = uint32_t;

/// Frames that name their origin: frame k of file `fileId` is (fileId << 24) | k, so any
/// frame read back tells which file and which frame it came from (k below 2^24).
std::vector<Frame> MakeFrames(uint32_t fileId, uint32_t count);

/// Writes a canonical 44100 Hz stereo 16-bit WAV file holding `frames`.
void WriteWav(const std::string& path, const std::vector<Frame>& frames);

/// Writes raw bytes as a file.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

/// A 44-byte header that the file reader accepts, announcing `frames` frames.
std::array<uint8_t, 44> CanonicalHeader(uint32_t frames);

/// FNV-1a over the file's bytes: fixtures are checked against it to prove nothing wrote them.
uint64_t Checksum(const std::string& path);

}  // namespace testing_support
