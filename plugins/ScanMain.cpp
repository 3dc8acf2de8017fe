// orvane-scan: examines one plug-in library for Orvane, in a process of its own, so that a
// library that crashes or hangs while it loads cannot take Orvane with it. Prints the
// library's record (see ScanReport.h) after a greeting line and exits 0; any other ending is
// the library's fault, and Orvane reports it.

#include <unistd.h>

#include <cstdio>
#include <string>

#include "plugins/PluginHost.h"
#include "plugins/ScanReport.h"

// In sanitizer builds a library that crashes must end this process with its signal, at
// once, as it does in a normal build, not with a long sanitizer report.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_abort=0:detect_leaks=0";
}
extern "C" __attribute__((used, visibility("default"))) const char* __tsan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_abort=0";
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: orvane-scan LIBRARY\nPrints what a VST 2 plug-in library holds.\n",
                   stderr);
        return 2;
    }
    // Scans run in the background: on a busy machine the window waiting for them comes first.
    if (nice(10) == -1) {
        // Still scans, at the usual priority.
    }
    PluginHost host(nullptr);
    host.Configure(PluginHost::kSampleRate, PluginHost::kBlockBytes, "");
    const PluginInfo info = host.Examine(argv[1]);
    const std::string text =
        std::string(scan_report::kScannerGreeting) + "\n" + scan_report::FormatRecord(info);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    // No static destructors: some plug-ins crash or hang in theirs, after the answer is out.
    _exit(0);
}
