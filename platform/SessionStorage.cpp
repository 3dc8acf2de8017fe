#include "platform/SessionStorage.h"

#include "platform/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {

FileStamp StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return {true, static_cast<uint64_t>(info.st_size),
            int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec};
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? std::string() : absolute.lexically_normal().string();
}

bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error) {
    ReplacementFile out;
    if (!out.Create(path)) {
        error = out.FailureReason();
        return false;
    }
    const int fd = ::open(out.Path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? std::strerror(errno) : "the disk is full";
            ::close(fd);
            return false;  // the new file goes with `out`
        }
        written += static_cast<size_t>(n);
    }
    // On disk before the rename: a crash then leaves the old file or the whole new one.
    if (::fsync(fd) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!out.Commit()) {
        error = out.FailureReason();
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        error = "it cannot be read";
        return false;
    }
    contents = buffer.str();
    return true;
}

bool RemoveFileIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string StateDirectory() {
    std::filesystem::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::filesystem::path(home) / ".local" / "state";
    } else {
        return "";
    }
    const std::filesystem::path directory = base / "orvane";
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    return error ? std::string() : directory.string();
}

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

}  // namespace platform
