#include "platform/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

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
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const std::string candidate =
            FolderOf(target) + "." + NameOf(target) + "." + suffix + ".part";
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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
        ::close(fd);
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
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        failureReason_ = std::strerror(errno);
        return false;
    }
    path_.clear();
    targetLock_.Close();
    return true;
}

void ReplacementFile::Discard() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
    targetLock_.Close();
}

}  // namespace platform
