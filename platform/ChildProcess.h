#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace platform {

/// How a child program ended.
struct ChildResult {
    bool started = false;   // false when the program could not be run at all
    bool timedOut = false;  // it was still running at the time limit and was killed
    int exitCode = -1;      // its exit status when it exited
    int signal = 0;         // the signal that ended it, 0 when it exited
    std::string output;     // everything it wrote to its standard output
};

/// Runs `program` with `arguments` and waits for it at most `limit`, collecting its standard
/// output; its standard error is discarded. A program still running at the limit is killed
/// with its process group, so nothing it started outlives it; so is one running when *cancel
/// becomes true (then it counts as timed out).
///
///     ChildResult r = RunChild("/usr/bin/orvane-scan", {"/usr/lib/vst/x.so"}, 10s);
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     std::chrono::milliseconds limit, const std::atomic<bool>* cancel = nullptr);

/// A signal's name for people, such as "Segmentation fault".
std::string SignalDescription(int signal);

}  // namespace platform
