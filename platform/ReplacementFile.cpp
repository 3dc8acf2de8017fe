#include "platform/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/PartFiles.h"

namespace platform {
namespace {

constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the folder's entries durable; a file system that cannot flush a folder counts as done.
bool FlushFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    errno = error;
    return flushed;
}

}  // namespace

ReplacementFile::~ReplacementFile() {
    Discard();
}

bool ReplacementFile::Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool ReplacementFile::Create(const std::string& target) {
    Discard();
    failureReason_.clear();
    if (target.empty() || target.back() == '/') {
        failureReason_ = "no file name was given";
        return false;
    }
    mode_t mode = 0666;  // narrowed by the umask at creation
    bool keepMode = false;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (!targetLock_.OpenForReading(target.c_str())) {
            failureReason_ = targetLock_.FailureReason();
            return false;
        }
        mode = info.st_mode & 07777;
        keepMode = true;
    }

    // A hidden name beside the target: the rename then stays inside one file system.
    std::random_device seed;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate =
            FolderOf(target) + part_files::NameFor(NameOf(target), static_cast<uint32_t>(seed()));
        const int fd = part_files::CreateLocked(candidate, mode);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            failureReason_ = std::strerror(errno);
            targetLock_.Close();
            return false;
        }
        if (keepMode) {
            ::fchmod(fd, mode);  // the umask may have narrowed the replaced file's permissions
        }
        partFd_ = fd;  // holds the writer's lock until the rename
        note_ = part_files::Note(candidate);
        target_ = target;
        path_ = candidate;
        return true;
    }
    failureReason_ = "no free name for a temporary file beside it";
    targetLock_.Close();
    return false;
}

bool ReplacementFile::Commit() {
    if (path_.empty()) {
        failureReason_ = "nothing to commit";
        return false;
    }
    // The new contents reach the disk before the name does: after a power cut the target is
    // then the old file or the whole new one, never an empty or partial one.
    if (::fsync(partFd_) != 0) {
        failureReason_ = std::string("it could not be flushed to disk: ") + std::strerror(errno);
        return false;
    }
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        failureReason_ = std::strerror(errno);
        return false;
    }
    path_.clear();
    Release();
    // The rename itself is on disk only once the folder is.
    if (!FlushFolder(FolderOf(target_))) {
        failureReason_ =
            std::string("it was written, but its folder could not be flushed to disk: ") +
            std::strerror(errno);
        return false;
    }
    return true;
}

void ReplacementFile::Discard() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
    Release();
}

void ReplacementFile::Release() {
    if (partFd_ >= 0) {
        ::close(partFd_);
        partFd_ = -1;
    }
    part_files::Forget(note_);
    note_.clear();
    targetLock_.Close();
}

}  // namespace platform
