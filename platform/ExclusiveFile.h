#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

/// Which file a path or descriptor leads to: two paths name the same file exactly when their
/// identities are equal (hard links and symbolic links included).
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool IsKnown() const { return device != 0 || inode != 0; }
    bool operator==(const FileIdentity&) const = default;
};

/// The identity of the file at path; unknown (all zero) when it cannot be examined.
FileIdentity IdentityOf(const char* path);

/// One regular file held with an exclusive advisory lock (flock) for as long as it is open.
///
/// A second ExclusiveFile on the same file, in this process or another, fails to open, so a
/// source file can never be opened twice nor replaced by a file being created. Reads come in
/// two kinds: Read at the file's own position (one position per object) and ReadAt at an
/// explicit offset, which several threads may use at once.
///
///     platform::ExclusiveFile f;
///     if (f.OpenForReading("a.wav")) f.ReadAt(buf, 44, 0);
class ExclusiveFile {
public:
    ExclusiveFile() = default;
    ~ExclusiveFile();
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    /// Opens an existing regular file for reading and locks it. False if it cannot be opened,
    /// is not a regular file, or is locked by someone else.
    bool OpenForReading(const char* path);

    /// Opens or creates a regular file for writing, locks it, and only then empties it, so a
    /// locked file is never truncated. False on any failure; the file is then left as it was.
    bool CreateForWriting(const char* path);

    bool IsOpen() const { return fd_ >= 0; }

    /// Releases the lock and closes the file: 0 on success, -1 on failure or when not open.
    int Close();

    /// Moves the file's own position; returns the new position or -1.
    int64_t Seek(uint64_t offset);

    /// Reads up to size bytes at the file's own position, retrying interrupted and partial
    /// reads; returns the bytes read (fewer only at the end of the file or on an error).
    size_t Read(void* buffer, size_t size);

    /// Reads up to size bytes at offset without touching the file's own position.
    size_t ReadAt(void* buffer, size_t size, uint64_t offset) const;

    /// As ReadAt, but takes only bytes the system holds in memory, never waiting for the
    /// disk: `missing` is set when it stopped short because the rest is not in memory (the
    /// system may start fetching it). Where the file system cannot tell, it reads as ReadAt.
    size_t ReadCachedAt(void* buffer, size_t size, uint64_t offset, bool& missing) const;

    /// Writes size bytes at the file's own position; returns the bytes written (fewer only
    /// on an error such as a full disk).
    size_t Write(const void* buffer, size_t size);

    /// The file's current size in bytes, or 0 when not open.
    uint64_t Size() const;

    /// Why the latest open, create or write failed, in words for the user ("" when the
    /// latest of them succeeded).
    const std::string& FailureReason() const { return failureReason_; }
    /// The system's error number behind FailureReason (0 when the latest call succeeded);
    /// EWOULDBLOCK when another open file holds the lock.
    int FailureError() const { return failureError_; }

    /// The open file's identity; unknown when not open.
    FileIdentity Identity() const;
    /// The absolute path that leads to the open file now, following a rename since it was
    /// opened; "" when not open, or when no path leads to it any more.
    std::string CurrentPath() const;

    /// Removes the file at path from its directory; false with FailureReason set on failure.
    /// An open ExclusiveFile on it stays usable and keeps its lock until closed.
    bool Remove(const char* path);

private:
    int OpenLocked(const char* path, int flags);
    void NoteFailure(int error);

    int fd_ = -1;
    std::string failureReason_;
    int failureError_ = 0;
};

}  // namespace platform
