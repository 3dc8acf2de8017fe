#include "app/CommandLine.h"

CommandLine CommandLine::Parse(int argc, const char* const* argv) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            line.showHelp = true;
        } else if (!optionsEnded && (arg == "--version" || arg == "-v")) {
            line.showVersion = true;
        } else if (!optionsEnded && arg == "--list-plugins") {
            line.listPlugins = true;
        } else if (!optionsEnded && arg == "--rescan") {
            line.rescan = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            line.error = "unknown option " + arg;
        } else {
            line.files.push_back(arg);
        }
    }
    return line;
}

std::string CommandLine::Usage() {
    return "Usage: orvane [OPTION]... [FILE]...\n"
           "Edit stereo 16-bit WAV files and play them through a VST 2 effect.\n"
           "\n"
           "Each FILE is opened at start-up as \"Load Wave...\" would open it, in order:\n"
           "the first becomes the workspace, the others can be copied from.\n"
           "VST 2 plug-ins (*.so) are looked for in vstplugs/ under the current directory,\n"
           "then in the folders of VST_PATH (colon-separated) or, without it, in ~/.vst,\n"
           "~/.lxvst, /usr/local/lib/vst, /usr/local/lib/lxvst, /usr/lib/vst, /usr/lib/lxvst.\n"
           "\n"
           "  -h, --help       show this help and exit\n"
           "  -v, --version    show the version and exit\n"
           "      --list-plugins  print every plug-in found (name, vendor, path, status) and exit\n"
           "      --rescan     examine every plug-in again (rebuilds the cache) and exit\n";
}

std::string CommandLine::Version() {
    return "Orvane 1.0\n";
}
