#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/DecodedBlockCache.h"
#include "audio/WaveParser.h"
#include "platform/ExclusiveFile.h"

/// Frame-addressed access to one audio file, always as native frames: 16-bit stereo, 4 bytes
/// each, left sample first.
///
/// Reading a WAV file: the chunks are walked in any order (WaveChunks) and libsndfile reads the
/// format (WAVE_FORMAT_EXTENSIBLE, RF64); the frames of the data chunk are then read with
/// positioned reads and converted as they are read (mono, 8/24/32-bit integers and 32/64-bit
/// floats, see SampleLayout). A 16-bit stereo file is read straight into the caller's buffer.
/// Any other file libsndfile reads (FLAC, Ogg Vorbis, Opus, MP3, AIFF/AIFC, W64 ...) is decoded
/// by it, by the same conversion rules, through a cache of decoded blocks (DecodedBlockCache).
/// Writing (WAV only): a
/// canonical 44-byte header and native frames. Both modes hold the file exclusively, so a file open
/// here cannot be opened again, in this program or another, and a file being read is never
/// overwritten.
///
///     WaveFile wav;
///     if (wav.Open("take.wav", WaveFile::kRead)) frames = wav.ReadFramesAt(buf, 512, 0);
class WaveFile {
public:
    static constexpr uint8_t kRead = 0;
    static constexpr uint8_t kWrite = 1;
    static constexpr uint32_t kHeaderBytes = 44;
    static constexpr uint32_t kBytesPerFrame = 4;
    static constexpr uint32_t kDefaultSampleRate = 44100;
    static constexpr uint16_t kChannels = 2;
    static constexpr uint16_t kBitsPerSample = 16;
    /// Frame positions are 32-bit: a longer file is edited up to here.
    static constexpr uint32_t kMaxFrames = 0xFFFFFFFFu;

    WaveFile() = default;
    ~WaveFile() = default;  // the handle closes itself
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    /// mode kRead: opens an existing WAV file, or another audio file, of a format Orvane reads.
    /// mode kWrite: creates the file or empties an existing one, nothing written yet.
    /// On failure FailureReason says why.
    bool Open(const char* path, uint8_t mode);

    /// Closes the file: 0 on success, -1 on failure or when nothing was open.
    int Close();

    /// Reads n native frames starting at frame `frame` without any shared file position, so
    /// several threads may read one file at once. Returns the frames delivered: fewer at the
    /// end of the data (or when the file was cut short since it was opened), 0 when not open.
    uint32_t ReadFramesAt(void* buffer, uint32_t n, uint32_t frame) const;
    /// As ReadFramesAt, but delivers only frames the system holds in memory, never waiting for
    /// the disk; `missing` is set when it stopped short for that reason.
    uint32_t ReadCachedFramesAt(void* buffer, uint32_t n, uint32_t frame, bool& missing) const;

    /// Writes n frames at the file position; returns the frames written (0 when not open).
    uint32_t WriteFrames(const void* buffer, uint32_t n);

    /// Frames that can be read: those of the data chunk (of the decoded audio for a file that is
    /// not WAV), at most kMaxFrames; 0 when not open.
    uint32_t FrameCount() const;
    /// Frames the data chunk holds, even beyond kMaxFrames.
    uint64_t FramesInFile() const { return isOpen ? layout.frames : 0; }
    /// True when the file holds more frames than FrameCount can reach.
    bool IsCutAtFrameLimit() const { return FramesInFile() > kMaxFrames; }

    /// Frames per second of the file (for a written file: what its header announced).
    uint32_t SampleRate() const { return layout.sampleRate; }
    /// How the file's samples are stored (for a decoded file: integer or floating point, as
    /// they come out of the decoder).
    const SampleLayout& Samples() const { return layout.samples; }
    /// True when the file is decoded through libsndfile rather than read as WAV.
    bool IsDecoded() const { return decoded != nullptr; }
    /// What the file holds, in words for the user: "WAV", "FLAC", "MP3" ...
    std::string FormatName() const { return decoded ? decoded->Format().name : "WAV"; }

    /// Writes the canonical 44-byte header announcing n frames at `sampleRate`, at the file
    /// position; true only when all 44 bytes were written.
    bool WriteHeader(uint32_t n, uint32_t sampleRate = kDefaultSampleRate);
    /// Writes the header again, at the start of the file, for n frames at `sampleRate`, and
    /// returns to the end of those frames: for a writer that learns the length only at the end.
    bool RewriteHeader(uint32_t n, uint32_t sampleRate);

    bool IsOpen() const { return isOpen; }
    uint32_t LastWrittenBytes() const { return lastWrittenBytes; }
    const std::string& Path() const { return path; }
    /// Where the open file is now (it may have been moved since it was opened); Path() when
    /// that cannot be told.
    std::string CurrentPath() const {
        std::string now = handle.CurrentPath();
        return now.empty() ? path : now;
    }
    /// Why the latest Open, WriteHeader or WriteFrames failed, in words for the user.
    const std::string& FailureReason() const { return failureReason; }
    /// True when the latest Open failed because another program holds the file's lock.
    bool FailedOnLock() const { return failedOnLock; }
    /// Removes the file this object created, still holding it until Close: the way to drop
    /// an incomplete output. False when nothing is open or the removal fails.
    bool RemoveFile();
    /// The open file's identity, to tell whether two paths name one file.
    platform::FileIdentity Identity() const { return handle.Identity(); }

    /// The hash of every frame FrameCount covers (see FramesHasher), once a reader that went
    /// through them all noted it; false until then. Safe from any thread.
    bool KnownFramesHash(uint64_t& hash) const {
        if (!framesHashKnown.load(std::memory_order_acquire)) {
            return false;
        }
        hash = framesHash.load(std::memory_order_relaxed);
        return true;
    }
    void NoteFramesHash(uint64_t hash) const {
        framesHash.store(hash, std::memory_order_relaxed);
        framesHashKnown.store(true, std::memory_order_release);
    }

    /// The 44 header bytes WriteHeader writes for n frames at `sampleRate`.
    static std::array<uint8_t, kHeaderBytes> MakeHeader(uint32_t n,
                                                        uint32_t sampleRate = kDefaultSampleRate);

private:
    bool OpenForReading(const char* filePath);
    /// Opens the held file through libsndfile: for files that are not WAV.
    bool OpenDecoded();
    /// ReadFramesAt through `readAt`, which reads bytes as ExclusiveFile::ReadAt does.
    template <typename ReadAt>
    uint32_t ReadFramesThrough(void* buffer, uint32_t n, uint32_t frame,
                               const ReadAt& readAt) const;

    WaveLayout layout;
    uint32_t lastWrittenBytes = 0;
    bool isOpen = false;
    bool failedOnLock = false;
    platform::ExclusiveFile handle;
    std::string path;
    std::string failureReason;
    // Noted by whoever read every frame (the peak tables); the session writer reads it.
    mutable std::atomic<uint64_t> framesHash{0};
    mutable std::atomic<bool> framesHashKnown{false};
    // Files that are not WAV; declared after the handle, whose reads it uses.
    std::unique_ptr<DecodedBlockCache> decoded;
};
