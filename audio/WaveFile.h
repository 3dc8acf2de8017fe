#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/ExclusiveFile.h"

/// Frame-addressed access to one WAV file: a 44-byte header followed at once by 16-bit stereo
/// frames (4 bytes each) up to the end of the file.
///
/// Only the format tag, channel count and bits per sample of the header are tested; no RIFF
/// chunks are walked. Both open modes hold the file exclusively, so a file open here cannot be
/// opened again, in this program or another, and a file being read is never overwritten.
///
///     WaveFile wav;
///     if (wav.Open("take.wav", WaveFile::kRead)) frames = wav.ReadFramesAt(buf, 512, 0);
class WaveFile {
public:
    static constexpr uint8_t kRead = 0;
    static constexpr uint8_t kWrite = 1;
    static constexpr uint32_t kHeaderBytes = 44;
    static constexpr uint32_t kBytesPerFrame = 4;
    static constexpr uint32_t kSampleRate = 44100;
    static constexpr uint16_t kChannels = 2;
    static constexpr uint16_t kBitsPerSample = 16;

    WaveFile() = default;
    ~WaveFile() = default;  // the handle closes itself
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    /// mode kRead: opens an existing file and accepts it when its header says PCM, 2 channels,
    /// 16 bits (low-order bytes only) and the file holds at least the 44 header bytes.
    /// mode kWrite: creates the file or empties an existing one, nothing written yet.
    bool Open(const char* path, uint8_t mode);

    /// Closes the file: 0 on success, -1 on failure or when nothing was open.
    int Close();

    /// Moves the file position to frame k (byte 44 + 4k); returns the new byte position or -1.
    int64_t Seek(uint32_t frame);

    /// Reads n frames at the file position; returns the whole frames delivered (fewer near the
    /// end of the file, 0 at or past it, 0 when not open).
    uint32_t ReadFrames(void* buffer, uint32_t n);

    /// Reads n frames starting at frame `frame` without using or moving the file position, so
    /// several threads may read one file at once. Leaves lastReadBytes alone for the same reason.
    uint32_t ReadFramesAt(void* buffer, uint32_t n, uint32_t frame) const;

    /// Writes n frames at the file position; returns the frames written (0 when not open).
    uint32_t WriteFrames(const void* buffer, uint32_t n);

    /// Frames in the file now: (size - 44) / 4, at most 0xFFFFFFFF; 0 when not open.
    uint32_t FrameCount() const;

    /// Writes the canonical 44-byte header announcing n frames at the file position; true only
    /// when all 44 bytes were written.
    bool WriteHeader(uint32_t n);
    /// Writes the header again, at the start of the file, for n frames, and returns to the
    /// end: for a writer that learns the length only at the end.
    bool RewriteHeader(uint32_t n);

    bool IsOpen() const { return isOpen; }
    const std::array<uint8_t, kHeaderBytes>& Header() const { return header; }
    uint32_t LastReadBytes() const { return lastReadBytes; }
    uint32_t LastWrittenBytes() const { return lastWrittenBytes; }
    const std::string& Path() const { return path; }
    /// Why the latest Open, WriteHeader or WriteFrames failed, in words for the user.
    const std::string& FailureReason() const { return handle.FailureReason(); }
    /// Removes the file this object created, still holding it until Close: the way to drop
    /// an incomplete output. False when nothing is open or the removal fails.
    bool RemoveFile();
    uint64_t SizeAtOpen() const { return sizeAtOpen; }

    /// True when the first 44 bytes of a file describe a file this class accepts.
    static bool IsAcceptedHeader(const std::array<uint8_t, kHeaderBytes>& bytes);

    /// The 44 header bytes WriteHeader writes for n frames.
    static std::array<uint8_t, kHeaderBytes> MakeHeader(uint32_t n);

private:
    std::array<uint8_t, kHeaderBytes> header{};
    uint32_t lastReadBytes = 0;
    uint32_t lastWrittenBytes = 0;
    bool isOpen = false;
    platform::ExclusiveFile handle;
    std::string path;
    uint64_t sizeAtOpen = 0;  // recorded for diagnosis; the frame count uses the current size
};
