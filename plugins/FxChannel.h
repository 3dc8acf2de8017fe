#pragma once

#include <chrono>
#include <cstddef>

/// Whole-message reads and writes on the stream sockets between Orvane and orvane-fx.
namespace fx {

enum class ReadOutcome { kDone, kClosed, kTimedOut };

/// Reads exactly `bytes` bytes, waiting until `deadline` at most. kClosed when the other end
/// went away (or the socket failed) first.
ReadOutcome ReadFully(int fd, void* data, size_t bytes,
                      std::chrono::steady_clock::time_point deadline);

/// Reads exactly `bytes` bytes, waiting as long as it takes; false when the other end went.
bool ReadFully(int fd, void* data, size_t bytes);

/// Writes all `bytes` bytes by `deadline`; false when the other end went away or the deadline
/// passed first (a child that reads nothing fills the socket). Never raises SIGPIPE.
bool WriteFully(
    int fd, const void* data, size_t bytes,
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

}  // namespace fx
