#include "platform/RegularFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::string WhyNotARegularFile(const std::string& path) {
    struct stat info {};
    if (path.empty()) {
        return std::strerror(ENOENT);
    }
    if (::stat(path.c_str(), &info) != 0) {
        return std::strerror(errno);
    }
    switch (info.st_mode & S_IFMT) {
        case S_IFREG:
            return {};
        case S_IFDIR:
            return "it is a directory, not a file";
        case S_IFIFO:
            return "it is a named pipe (FIFO), not a file";
        case S_IFCHR:
        case S_IFBLK:
            return "it is a device, not a file";
        case S_IFSOCK:
            return "it is a socket, not a file";
        default:
            return "it is not a regular file";
    }
}

}  // namespace platform
