#include "platform/PartFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/SessionStorage.h"

namespace platform::part_files {
namespace {

constexpr size_t kMaxNameBytes = 255;  // NAME_MAX of Linux file systems
constexpr const char* kMarker = ".orvane-";
constexpr size_t kTokenDigits = 8;
constexpr const char* kSuffix = ".part";
constexpr const char* kShortened = "~";  // stands for the bytes cut from a long name's middle

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// `name` cut to `budget` bytes by taking out its middle, never inside a UTF-8 character.
std::string ShortenMiddle(const std::string& name, size_t budget) {
    if (name.size() <= budget) {
        return name;
    }
    const size_t kept = budget - std::strlen(kShortened);
    size_t headEnd = kept / 2;
    while (headEnd > 0 && IsContinuationByte(name[headEnd])) {
        --headEnd;
    }
    size_t tailStart = name.size() - (kept - kept / 2);
    while (tailStart < name.size() && IsContinuationByte(name[tailStart])) {
        ++tailStart;
    }
    return name.substr(0, headEnd) + kShortened + name.substr(tailStart);
}

std::string NotesFolder() {
    const std::string state = StateDirectory();
    if (state.empty()) {
        return {};
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(state) / "parts";
    std::filesystem::create_directories(folder, error);
    return error ? std::string() : folder.string();
}

// Locks the whole file as its writer, without waiting: false when another holds the lock.
bool TryLock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// True when a writer holds its lock on the file (a read-only descriptor can ask).
bool IsLocked(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
}

enum class Abandoned { kRemoved, kNotThere, kHeld };

// Removes the part file at path unless its writer still holds it. Anything that is not a part
// file of ours (by name and kind) counts as not there: its note goes, the file stays.
Abandoned RemoveIfAbandoned(const std::string& path) {
    if (!IsPartFileName(std::filesystem::path(path).filename().string())) {
        return Abandoned::kNotThere;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT || errno == ELOOP ? Abandoned::kNotThere : Abandoned::kHeld;
    }
    struct stat opened {};
    struct stat named {};
    Abandoned result = Abandoned::kHeld;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        result = Abandoned::kNotThere;
    } else if (!IsLocked(fd)) {
        // Its writer is gone, and part files are never opened again once made: if the name
        // still leads to this file, it can go.
        const bool same = ::stat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
                          named.st_ino == opened.st_ino;
        result = same && ::unlink(path.c_str()) == 0 ? Abandoned::kRemoved : Abandoned::kNotThere;
    }
    ::close(fd);
    return result;
}

}  // namespace

std::string NameFor(const std::string& targetName, uint32_t token) {
    char digits[kTokenDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(token));
    const size_t fixed = 1 + std::strlen(kMarker) + kTokenDigits + std::strlen(kSuffix);
    return "." + ShortenMiddle(targetName, kMaxNameBytes - fixed) + kMarker + digits + kSuffix;
}

bool IsPartFileName(const std::string& name) {
    const size_t tail = std::strlen(kMarker) + kTokenDigits + std::strlen(kSuffix);
    if (name.size() <= tail + 1 || name[0] != '.' || name.size() > kMaxNameBytes) {
        return false;
    }
    const std::string end = name.substr(name.size() - tail);
    const std::string digits = end.substr(std::strlen(kMarker), kTokenDigits);
    return end.rfind(kMarker, 0) == 0 && end.ends_with(kSuffix) &&
           digits.find_first_not_of("0123456789abcdef") == std::string::npos;
}

int CreateLocked(const std::string& path, unsigned mode) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return -1;
    }
    if (!TryLock(fd)) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = error;
        return -1;
    }
    return fd;
}

std::string Note(const std::string& path) {
    const std::string folder = NotesFolder();
    if (folder.empty()) {
        return {};
    }
    const std::string absolute = AbsolutePath(path);
    std::random_device seed;
    for (int attempt = 0; attempt < 10; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "%d-%08x", CurrentProcessId(),
                      static_cast<unsigned>(seed()));
        const std::string note = folder + "/" + name;
        const int fd = ::open(note.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return {};
        }
        const bool written =
            ::write(fd, absolute.data(), absolute.size()) == static_cast<ssize_t>(absolute.size());
        ::close(fd);
        if (!written) {
            ::unlink(note.c_str());
            return {};
        }
        return note;
    }
    return {};
}

void Forget(const std::string& note) {
    if (!note.empty()) {
        ::unlink(note.c_str());
    }
}

int RemoveStale() {
    const std::string folder = NotesFolder();
    if (folder.empty()) {
        return 0;
    }
    int removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string path;
        std::string why;
        if (!entry.is_regular_file(error) || !ReadWholeFile(entry.path().string(), path, why)) {
            continue;
        }
        const Abandoned outcome = RemoveIfAbandoned(path);
        if (outcome != Abandoned::kHeld) {
            removed += outcome == Abandoned::kRemoved ? 1 : 0;
            ::unlink(entry.path().c_str());
        }
    }
    return removed;
}

}  // namespace platform::part_files
