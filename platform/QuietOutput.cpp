#include "platform/QuietOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

namespace {

// Duplicates `fd` above the standard descriptors, not inherited by child processes.
int Keep(int fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

}  // namespace

QuietOutput::QuietOutput(bool quiet) {
    if (!quiet) {
        return;
    }
    std::fflush(nullptr);  // what was printed before belongs on the real outputs
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) {
        return;
    }
    savedOutput = Keep(STDOUT_FILENO);
    savedError = Keep(STDERR_FILENO);
    const bool redirected = savedOutput >= 0 && savedError >= 0 &&
                            ::dup2(null, STDOUT_FILENO) >= 0 && ::dup2(null, STDERR_FILENO) >= 0;
    ::close(null);
    if (!redirected) {
        Restore();
    }
}

QuietOutput::~QuietOutput() {
    Restore();
}

void QuietOutput::Restore() {
    std::fflush(nullptr);  // what plug-ins left in the buffers goes to /dev/null too
    if (savedOutput >= 0) {
        ::dup2(savedOutput, STDOUT_FILENO);
        ::close(savedOutput);
    }
    if (savedError >= 0) {
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
    }
    savedOutput = -1;
    savedError = -1;
}

}  // namespace platform
