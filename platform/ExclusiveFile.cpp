#include "platform/ExclusiveFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// Repeats a read or write until size bytes are through, the file ends, or an error other
// than an interruption occurs; returns the bytes transferred.
template <typename Step>
size_t TransferAll(int fd, size_t size, Step step) {
    size_t done = 0;
    while (fd >= 0 && done < size) {
        const ssize_t moved = step(fd, done);
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved <= 0) {
            break;
        }
        done += static_cast<size_t>(moved);
    }
    return done;
}

}  // namespace

ExclusiveFile::~ExclusiveFile() {
    Close();
}

FileIdentity IdentityOf(const char* path) {
    struct stat info {};
    if (path == nullptr || ::stat(path, &info) != 0) {
        return {};
    }
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

FileIdentity ExclusiveFile::Identity() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        return {};
    }
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

std::string ExclusiveFile::CurrentPath() const {
    if (fd_ < 0) {
        return {};
    }
    // The kernel keeps the name of an open file up to date across renames.
    const std::string link = "/proc/self/fd/" + std::to_string(fd_);
    char target[4096];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length <= 0 || size_t(length) >= sizeof target) {
        return {};
    }
    std::string path(target, size_t(length));
    // A removed file reads "<old path> (deleted)": only a path that leads back here counts.
    return IdentityOf(path.c_str()) == Identity() ? path : std::string();
}

void ExclusiveFile::NoteFailure(int error) {
    failureError_ = error;
    switch (error) {
        case 0:
            failureReason_.clear();
            break;
        case EWOULDBLOCK:
            failureReason_ = "the file is in use (open in Orvane or in another program)";
            break;
        case EISDIR:
            failureReason_ = "it is a directory";
            break;
        case ENODEV:
            failureReason_ = "it is not a regular file";
            break;
        default:
            failureReason_ = std::strerror(error);
    }
}

// Opens without blocking (a FIFO would otherwise wait for a peer), insists on a regular
// file, takes the exclusive lock, then makes the descriptor blocking again.
int ExclusiveFile::OpenLocked(const char* path, int flags) {
    if (path == nullptr || path[0] == '\0') {
        NoteFailure(ENOENT);
        return -1;
    }
    const int fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        NoteFailure(errno);
        return -1;
    }
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
               ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        NoteFailure(error);
        return -1;
    }
    NoteFailure(0);
    return fd;
}

bool ExclusiveFile::Remove(const char* path) {
    if (path == nullptr || ::unlink(path) != 0) {
        NoteFailure(path == nullptr ? ENOENT : errno);
        return false;
    }
    return true;
}

bool ExclusiveFile::OpenForReading(const char* path) {
    Close();
    fd_ = OpenLocked(path, O_RDONLY);
    return fd_ >= 0;
}

bool ExclusiveFile::CreateForWriting(const char* path) {
    Close();
    // No O_TRUNC: the file is emptied only once the lock is ours.
    const int fd = OpenLocked(path, O_WRONLY | O_CREAT);
    if (fd < 0) {
        return false;
    }
    if (::ftruncate(fd, 0) != 0) {
        NoteFailure(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

int ExclusiveFile::Close() {
    if (fd_ < 0) {
        return -1;
    }
    const int result = ::close(fd_);  // closing the descriptor releases the flock
    fd_ = -1;
    return result;
}

int64_t ExclusiveFile::Seek(uint64_t offset) {
    if (fd_ < 0) {
        return -1;
    }
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET);
}

size_t ExclusiveFile::Read(void* buffer, size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    return TransferAll(fd_, size,
                       [&](int fd, size_t done) { return ::read(fd, bytes + done, size - done); });
}

size_t ExclusiveFile::ReadAt(void* buffer, size_t size, uint64_t offset) const {
    auto* bytes = static_cast<char*>(buffer);
    return TransferAll(fd_, size, [&](int fd, size_t done) {
        return ::pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
    });
}

size_t ExclusiveFile::ReadCachedAt(void* buffer, size_t size, uint64_t offset,
                                   bool& missing) const {
    auto* bytes = static_cast<char*>(buffer);
    bool supported = true;
    return TransferAll(fd_, size, [&](int fd, size_t done) {
        if (supported) {
            iovec part{bytes + done, size - done};
            const ssize_t got =
                ::preadv2(fd, &part, 1, static_cast<off_t>(offset + done), RWF_NOWAIT);
            if (got >= 0 || (errno != EOPNOTSUPP && errno != EINVAL)) {
                missing = missing || (got < 0 && errno == EAGAIN);
                return got;
            }
            supported = false;
        }
        return ::pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
    });
}

size_t ExclusiveFile::Write(const void* buffer, size_t size) {
    const auto* bytes = static_cast<const char*>(buffer);
    errno = 0;
    const size_t written = TransferAll(
        fd_, size, [&](int fd, size_t done) { return ::write(fd, bytes + done, size - done); });
    NoteFailure(written == size ? 0 : (errno != 0 ? errno : EIO));
    return written;
}

uint64_t ExclusiveFile::Size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(info.st_size);
}

}  // namespace platform
