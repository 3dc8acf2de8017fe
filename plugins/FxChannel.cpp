#include "plugins/FxChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace fx {

ReadOutcome ReadFully(int fd, void* data, size_t bytes,
                      std::chrono::steady_clock::time_point deadline) {
    auto* at = static_cast<char*>(data);
    while (bytes > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return ReadOutcome::kTimedOut;
        }
        pollfd watch{fd, POLLIN, 0};
        const int ready =
            ::poll(&watch, 1, static_cast<int>(std::min<int64_t>(left.count() + 1, 60000)));
        if (ready < 0 && errno != EINTR) {
            return ReadOutcome::kClosed;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t got = ::recv(fd, at, bytes, MSG_DONTWAIT);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            return ReadOutcome::kClosed;
        }
        at += got;
        bytes -= static_cast<size_t>(got);
    }
    return ReadOutcome::kDone;
}

bool ReadFully(int fd, void* data, size_t bytes) {
    auto* at = static_cast<char*>(data);
    while (bytes > 0) {
        const ssize_t got = ::recv(fd, at, bytes, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        at += got;
        bytes -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteFully(int fd, const void* data, size_t bytes,
                std::chrono::steady_clock::time_point deadline) {
    const auto* at = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t put = ::send(fd, at, bytes, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put < 0 && (errno == EINTR || errno == EAGAIN)) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                return false;
            }
            const auto left =
                deadline == std::chrono::steady_clock::time_point::max()
                    ? std::chrono::milliseconds(1000)
                    : std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
            pollfd watch{fd, POLLOUT, 0};
            ::poll(&watch, 1, static_cast<int>(std::min<int64_t>(left.count() + 1, 1000)));
            continue;
        }
        if (put <= 0) {
            return false;
        }
        at += put;
        bytes -= static_cast<size_t>(put);
    }
    return true;
}

}  // namespace fx
