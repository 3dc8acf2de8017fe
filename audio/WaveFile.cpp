#include "audio/WaveFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The largest frame count whose byte count still fits the 32-bit byte counters.
constexpr uint32_t kMaxFramesPerCall = 0xFFFFFFFFu / WaveFile::kBytesPerFrame;
// Converted formats are read through a buffer of this size on the reading thread's stack.
constexpr size_t kConversionBytes = 16384;

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
    failureReason.clear();
    failedOnLock = false;
    if (mode == kWrite) {
        if (!handle.CreateForWriting(filePath)) {
            failureReason = handle.FailureReason();
            return false;
        }
        layout = WaveLayout{};
        layout.sampleRate = kDefaultSampleRate;
        path = filePath;
        isOpen = true;
        return true;
    }
    if (mode != kRead) {
        failureReason = "unknown open mode";
        return false;
    }
    return OpenForReading(filePath);
}

bool WaveFile::OpenForReading(const char* filePath) {
    if (!handle.OpenForReading(filePath)) {
        failureReason = handle.FailureReason();
        failedOnLock = handle.FailureError() == EWOULDBLOCK;
        return false;
    }
    const ReadAtFunction readAt = [this](void* buffer, size_t size, uint64_t offset) {
        return handle.ReadAt(buffer, size, offset);
    };
    if (!IsWaveContainer(handle.Size(), readAt)) {
        if (!OpenDecoded()) {
            handle.Close();
            return false;
        }
        path = filePath;
        isOpen = true;
        return true;
    }
    const WaveParseResult parsed = ParseWave(handle.Size(), readAt);
    if (!parsed.accepted) {
        failureReason = parsed.refusal;
        handle.Close();
        return false;
    }
    layout = parsed.layout;
    path = filePath;
    isOpen = true;
    return true;
}

bool WaveFile::OpenDecoded() {
    std::unique_ptr<SoundFileDecoder> decoder = SoundFileDecoder::Open(handle, failureReason);
    if (!decoder) {
        return false;
    }
    const DecodedFormat& format = decoder->Format();
    layout = WaveLayout{};
    layout.samples = {format.floating ? SampleEncoding::kFloat32 : SampleEncoding::kInt16,
                      format.channels};
    layout.sampleRate = format.sampleRate;
    layout.frames = format.frames;
    decoded = std::make_unique<DecodedBlockCache>(std::move(decoder));
    return true;
}

bool WaveFile::RemoveFile() {
    if (!isOpen) {
        return false;
    }
    const bool removed = handle.Remove(path.c_str());
    if (!removed) {
        failureReason = handle.FailureReason();
    }
    return removed;
}

int WaveFile::Close() {
    isOpen = false;
    decoded.reset();  // before the handle its decoders read
    return handle.Close();
}

template <typename ReadAt>
uint32_t WaveFile::ReadFramesThrough(void* buffer, uint32_t n, uint32_t frame,
                                     const ReadAt& readAt) const {
    const uint32_t count = FrameCount();
    if (!isOpen || frame >= count) {
        return 0;
    }
    const uint32_t wanted = std::min({n, count - frame, kMaxFramesPerCall});
    const uint32_t frameBytes = layout.samples.BytesPerFrame();
    const uint64_t offset = layout.dataOffset + uint64_t{frameBytes} * frame;
    if (layout.samples.IsNative()) {
        // The common case: straight into the caller's buffer, no copy.
        return static_cast<uint32_t>(readAt(buffer, size_t{wanted} * kBytesPerFrame, offset) /
                                     kBytesPerFrame);
    }
    uint8_t raw[kConversionBytes];
    const uint32_t framesPerPiece = static_cast<uint32_t>(kConversionBytes / frameBytes);
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t delivered = 0;
    while (delivered < wanted) {
        const uint32_t piece = std::min(framesPerPiece, wanted - delivered);
        const size_t got =
            readAt(raw, size_t{piece} * frameBytes, offset + uint64_t{frameBytes} * delivered);
        const auto whole = static_cast<uint32_t>(got / frameBytes);
        ConvertToNative(layout.samples, raw, whole, out + size_t{delivered} * kBytesPerFrame);
        delivered += whole;
        if (whole < piece) {
            break;  // the file ends early
        }
    }
    return delivered;
}

uint32_t WaveFile::ReadFramesAt(void* buffer, uint32_t n, uint32_t frame) const {
    if (decoded) {
        return isOpen && frame < FrameCount()
                   ? decoded->Read(buffer, std::min(n, FrameCount() - frame), frame)
                   : 0;
    }
    return ReadFramesThrough(buffer, n, frame, [this](void* to, size_t size, uint64_t offset) {
        return handle.ReadAt(to, size, offset);
    });
}

uint32_t WaveFile::ReadCachedFramesAt(void* buffer, uint32_t n, uint32_t frame,
                                      bool& missing) const {
    if (decoded) {
        return isOpen && frame < FrameCount()
                   ? decoded->ReadKept(buffer, std::min(n, FrameCount() - frame), frame, missing)
                   : 0;
    }
    return ReadFramesThrough(buffer, n, frame, [&](void* to, size_t size, uint64_t offset) {
        return handle.ReadCachedAt(to, size, offset, missing);
    });
}

uint32_t WaveFile::WriteFrames(const void* buffer, uint32_t n) {
    if (!isOpen) {
        return 0;
    }
    const size_t bytes = size_t{std::min(n, kMaxFramesPerCall)} * kBytesPerFrame;
    lastWrittenBytes = static_cast<uint32_t>(handle.Write(buffer, bytes));
    if (lastWrittenBytes != bytes) {
        failureReason = handle.FailureReason();
    }
    return lastWrittenBytes / kBytesPerFrame;
}

uint32_t WaveFile::FrameCount() const {
    if (!isOpen) {
        return 0;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(layout.frames, kMaxFrames));
}

bool WaveFile::WriteHeader(uint32_t n, uint32_t sampleRate) {
    if (!isOpen) {
        return false;
    }
    const std::array<uint8_t, kHeaderBytes> bytes = MakeHeader(n, sampleRate);
    if (handle.Write(bytes.data(), bytes.size()) != bytes.size()) {
        failureReason = handle.FailureReason();
        return false;
    }
    layout.sampleRate = sampleRate;
    return true;
}

bool WaveFile::RewriteHeader(uint32_t n, uint32_t sampleRate) {
    if (!isOpen) {
        return false;
    }
    if (handle.Seek(0) != 0) {
        failureReason = "the file's header could not be rewritten";
        return false;
    }
    const bool written = WriteHeader(n, sampleRate);
    if (handle.Seek(kHeaderBytes + uint64_t{n} * kBytesPerFrame) < 0) {
        failureReason = "the file's header could not be rewritten";
        return false;
    }
    return written;
}

std::array<uint8_t, WaveFile::kHeaderBytes> WaveFile::MakeHeader(uint32_t n, uint32_t sampleRate) {
    std::array<uint8_t, kHeaderBytes> bytes{};
    uint8_t* at = bytes.data();
    std::memcpy(at + 0, "RIFF", 4);
    PutLE32(at + 4, 4 * n + 36);  // 32-bit arithmetic, as the field is
    std::memcpy(at + 8, "WAVE", 4);
    std::memcpy(at + 12, "fmt ", 4);
    PutLE32(at + 16, 16);
    PutLE16(at + 20, 1);
    PutLE16(at + 22, kChannels);
    PutLE32(at + 24, sampleRate);
    PutLE32(at + 28, sampleRate * kBytesPerFrame);
    PutLE16(at + 32, kBytesPerFrame);
    PutLE16(at + 34, kBitsPerSample);
    std::memcpy(at + 36, "data", 4);
    PutLE32(at + 40, 4 * n);
    return bytes;
}
