#include "audio/WaveFile.h"

#include <algorithm>
#include <cstring>

namespace {

// The largest frame count whose byte count still fits the 32-bit byte counters.
constexpr uint32_t kMaxFramesPerCall = 0xFFFFFFFFu / WaveFile::kBytesPerFrame;

uint64_t ByteOffsetOfFrame(uint32_t frame) {
    return WaveFile::kHeaderBytes + uint64_t{WaveFile::kBytesPerFrame} * frame;
}

void PutLE16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLE32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace

bool WaveFile::Open(const char* filePath, uint8_t mode) {
    Close();
    if (mode == kWrite) {
        if (!handle.CreateForWriting(filePath)) {
            return false;
        }
        sizeAtOpen = 0;
        path = filePath;
        isOpen = true;
        return true;
    }
    if (mode != kRead || !handle.OpenForReading(filePath)) {
        return false;
    }
    path = filePath;
    sizeAtOpen = handle.Size();
    header.fill(0);
    lastReadBytes = static_cast<uint32_t>(handle.Read(header.data(), header.size()));
    // A file too short to hold a header is refused rather than read as a negative frame count.
    if (lastReadBytes < kHeaderBytes || !IsAcceptedHeader(header)) {
        handle.Close();
        return false;
    }
    isOpen = true;
    return true;
}

bool WaveFile::RemoveFile() {
    return isOpen && handle.Remove(path.c_str());
}

int WaveFile::Close() {
    isOpen = false;
    return handle.Close();
}

int64_t WaveFile::Seek(uint32_t frame) {
    // 64-bit arithmetic: frames past 1 GiB of data must not wrap back to the file's start.
    return handle.Seek(ByteOffsetOfFrame(frame));
}

uint32_t WaveFile::ReadFrames(void* buffer, uint32_t n) {
    if (!isOpen) {
        return 0;
    }
    const size_t bytes = size_t{std::min(n, kMaxFramesPerCall)} * kBytesPerFrame;
    lastReadBytes = static_cast<uint32_t>(handle.Read(buffer, bytes));
    return lastReadBytes / kBytesPerFrame;
}

uint32_t WaveFile::ReadFramesAt(void* buffer, uint32_t n, uint32_t frame) const {
    if (!isOpen) {
        return 0;
    }
    const size_t bytes = size_t{std::min(n, kMaxFramesPerCall)} * kBytesPerFrame;
    return static_cast<uint32_t>(handle.ReadAt(buffer, bytes, ByteOffsetOfFrame(frame)) /
                                 kBytesPerFrame);
}

uint32_t WaveFile::WriteFrames(const void* buffer, uint32_t n) {
    if (!isOpen) {
        return 0;
    }
    const size_t bytes = size_t{std::min(n, kMaxFramesPerCall)} * kBytesPerFrame;
    lastWrittenBytes = static_cast<uint32_t>(handle.Write(buffer, bytes));
    return lastWrittenBytes / kBytesPerFrame;
}

uint32_t WaveFile::FrameCount() const {
    if (!isOpen) {
        return 0;
    }
    const uint64_t size = handle.Size();
    if (size < kHeaderBytes) {
        return 0;  // a created file before its header is written
    }
    return static_cast<uint32_t>(
        std::min<uint64_t>((size - kHeaderBytes) / kBytesPerFrame, 0xFFFFFFFFu));
}

bool WaveFile::WriteHeader(uint32_t n) {
    if (!isOpen) {
        return false;
    }
    const std::array<uint8_t, kHeaderBytes> bytes = MakeHeader(n);
    return handle.Write(bytes.data(), bytes.size()) == bytes.size();
}

bool WaveFile::RewriteHeader(uint32_t n) {
    if (!isOpen) {
        return false;
    }
    if (handle.Seek(0) != 0) {
        return false;
    }
    const std::array<uint8_t, kHeaderBytes> bytes = MakeHeader(n);
    const bool written = handle.Write(bytes.data(), bytes.size()) == bytes.size();
    return handle.Seek(kHeaderBytes + uint64_t{n} * kBytesPerFrame) >= 0 && written;
}

bool WaveFile::IsAcceptedHeader(const std::array<uint8_t, kHeaderBytes>& bytes) {
    // Only the low-order bytes of the format tag, channel count and bit depth decide.
    return bytes[20] == 1 && bytes[22] == kChannels && bytes[34] == kBitsPerSample;
}

std::array<uint8_t, WaveFile::kHeaderBytes> WaveFile::MakeHeader(uint32_t n) {
    std::array<uint8_t, kHeaderBytes> bytes{};
    uint8_t* at = bytes.data();
    std::memcpy(at + 0, "RIFF", 4);
    PutLE32(at + 4, 4 * n + 36);  // 32-bit arithmetic, as the field is
    std::memcpy(at + 8, "WAVE", 4);
    std::memcpy(at + 12, "fmt ", 4);
    PutLE32(at + 16, 16);
    PutLE16(at + 20, 1);
    PutLE16(at + 22, kChannels);
    PutLE32(at + 24, kSampleRate);
    PutLE32(at + 28, kSampleRate * kBytesPerFrame);
    PutLE16(at + 32, kBytesPerFrame);
    PutLE16(at + 34, kBitsPerSample);
    std::memcpy(at + 36, "data", 4);
    PutLE32(at + 40, 4 * n);
    return bytes;
}
