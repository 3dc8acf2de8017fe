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
        } else if (!optionsEnded && arg == "--render") {
            if (i + 1 >= argc) {
                line.error = "--render needs an output file";
                break;
            }
            line.render = true;
            line.renderOutput = argv[++i];
        } else if (!optionsEnded && arg.rfind("--render=", 0) == 0) {
            line.render = true;
            line.renderOutput = arg.substr(9);
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
    if (line.error.empty() && line.render) {
        if (line.renderOutput.empty()) {
            line.error = "--render needs an output file";
        } else if (line.files.size() != 1) {
            line.error = "--render needs exactly one input file";
        }
    }
    return line;
}

std::string CommandLine::Usage() {
    return "Usage: orvane [OPTION]... [FILE]...\n"
           "   or: orvane --render OUTPUT INPUT\n"
           "Edit WAV files and play them through a VST 2 effect.\n"
           "\n"
           "Each FILE is opened at start-up as \"Load Wave...\" would open it, in order:\n"
           "the first becomes the workspace, the others can be copied from. A session\n"
           "(*.orvane, saved with \"Save Session...\") opens with its files and edits.\n"
           "VST 2 plug-ins (*.so) are looked for in vstplugs/ under the current directory,\n"
           "then in the folders of VST_PATH (colon-separated) or, without it, in ~/.vst,\n"
           "~/.lxvst, /usr/local/lib/vst, /usr/local/lib/lxvst, /usr/lib/vst, /usr/lib/lxvst.\n"
           "WAV files open in PCM (8, 16, 24, 32 bits) or floating point, mono or stereo,\n"
           "at their own sample rate; they are edited as 16-bit stereo.\n"
           "\n"
           "  --render OUTPUT INPUT  render INPUT (a WAV file, or a session: *.orvane) into\n"
           "                         OUTPUT, a 16-bit stereo WAV file at INPUT's rate,\n"
           "                         without a window or a sound device;\n"
           "                         prints nothing and exits 0 on success, or prints one\n"
           "                         line naming the file and the reason and exits 1\n"
           "  --list-plugins         print every plug-in found (name, vendor, path, status)\n"
           "                         and exit\n"
           "  --rescan               examine every plug-in again (rebuilds the cache) and exit\n"
           "  -h, --help             show this help and exit\n"
           "  -v, --version          show the version and exit\n";
}

std::string CommandLine::Version() {
    return "Orvane 1.0\n";
}
