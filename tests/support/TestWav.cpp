#include "support/TestWav.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "audio/WaveFile.h"

namespace testing_support {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<Frame> MakeFrames(uint32_t fileId, uint32_t count) {
    std::vector<Frame> frames(count);
    for (uint32_t k = 0; k < count; ++k) {
        frames[k] = (fileId << 24) | (k & 0xFFFFFFu);
    }
    return frames;
}

std::array<uint8_t, 44> CanonicalHeader(uint32_t frames) {
    return WaveFile::MakeHeader(frames);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteWav(const std::string& path, const std::vector<Frame>& frames) {
    const auto header = CanonicalHeader(static_cast<uint32_t>(frames.size()));
    std::vector<uint8_t> bytes(header.begin(), header.end());
    for (Frame f : frames) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<uint8_t>(f >> (8 * i)));
        }
    }
    WriteBytes(path, bytes);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint64_t Checksum(const std::string& path) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : ReadBytes(path)) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

}  // namespace testing_support
