#pragma once

namespace platform {

/// Sends this process's standard output and standard error (descriptors 1 and 2) to
/// /dev/null for its lifetime, and puts the real ones back when it ends. Plug-ins print
/// diagnostics straight to those descriptors; a command-line render keeps them off the user's
/// terminal this way, while Orvane's own messages, written once this has ended, still reach
/// the real standard error. Buffered C and C++ stream output is flushed at both ends, so what
/// a plug-in printed goes where it was meant to go, not wherever the buffer happens to be
/// flushed later.
///
///     {
///         platform::QuietOutput quiet(!verbose);
///         RunPlugins();  // their output goes nowhere unless verbose
///     }
///     std::fputs(error, stderr);  // reaches the terminal
///
/// Not for threads that write meanwhile: the descriptors are the whole process's.
class QuietOutput {
public:
    /// With `quiet` false (or when /dev/null cannot be opened) nothing changes.
    explicit QuietOutput(bool quiet = true);
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

    /// True while descriptors 1 and 2 lead to /dev/null.
    bool IsQuiet() const { return savedOutput >= 0; }

private:
    void Restore();

    int savedOutput = -1;  // a duplicate of the real standard output while quiet
    int savedError = -1;   // a duplicate of the real standard error while quiet
};

}  // namespace platform
