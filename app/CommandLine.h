#pragma once

#include <string>
#include <vector>

#include "render/RenderCommand.h"

/// What the command line asks of Orvane: `orvane [--help] [--version] [--list-plugins]
/// [--rescan] [FILE...]`, or `orvane --render OUTPUT INPUT [--effect NAME-OR-PATH
/// [--param INDEX=VALUE]... [--bypass] [--preset FILE]]... [--tail] [--verbose]` (no window),
/// or `orvane --analyze FILE` (no window).
/// --param, --bypass and --preset belong to the --effect before them.
///
///     const CommandLine line = CommandLine::Parse(argc, argv);
///     if (!line.error.empty()) { print line.error and CommandLine::Usage(); }
struct CommandLine {
    bool showHelp = false;
    bool showVersion = false;
    bool listPlugins = false;  // print the plug-in catalogue and exit
    bool rescan = false;       // examine every plug-in again, rebuilding the cache
    bool render = false;
    bool analyze = false;               // print the loudness of the one file and exit
    std::string renderOutput;           // with render: the file to write
    std::vector<std::string> files;     // opened at start-up, in order, as Load Wave would; with
                                        // render: the one input; with analyze: the one file
    std::vector<RenderEffect> effects;  // with render: the chain, first to last
    RenderSettings renderSettings;      // with render: --tail and --verbose; --in-process:
                                        // every effect inside Orvane
    std::string error;                  // an unknown or misplaced option; empty when fine

    static CommandLine Parse(int argc, const char* const* argv);
    static std::string Usage();
    static std::string Version();
};
