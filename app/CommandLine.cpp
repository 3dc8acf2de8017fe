#include "app/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

// "INDEX=VALUE" with a parameter index and a normalised value (0 to 1).
bool ParseParameter(const std::string& text, EffectParameter& parameter) {
    const size_t equals = text.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == text.size()) {
        return false;
    }
    const std::string index = text.substr(0, equals);
    if (index.find_first_not_of("0123456789") != std::string::npos || index.size() > 9) {
        return false;
    }
    const char* value = text.c_str() + equals + 1;
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(value, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(number) || number < 0.0 || number > 1.0) {
        return false;
    }
    parameter.index = std::stoi(index);
    parameter.value = static_cast<float>(number);
    return true;
}

constexpr double kMaxFadeSeconds = 3600.0;

// A whole decimal number (a sign, a fraction and an exponent allowed); nothing for anything else.
std::optional<double> ParseNumber(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

CommandLine CommandLine::Parse(int argc, const char* const* argv) {
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        // An option's value: the next argument, or what follows "=" in this one.
        const auto value = [&](const std::string& option, std::string& out) {
            if (arg == option) {
                if (i + 1 >= argc) {
                    return false;
                }
                out = argv[++i];
            } else {
                out = arg.substr(option.size() + 1);
            }
            return true;
        };
        const auto is = [&](const std::string& option) {
            return !optionsEnded && (arg == option || arg.rfind(option + "=", 0) == 0);
        };
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
        } else if (is("--analyze")) {
            std::string file;
            if (!value("--analyze", file) || file.empty()) {
                line.error = "--analyze needs a file";
                break;
            }
            line.analyze = true;
            line.files.push_back(file);
        } else if (is("--effect")) {
            RenderEffect effect;
            if (!value("--effect", effect.nameOrPath) || effect.nameOrPath.empty()) {
                line.error = "--effect needs a plug-in's name or path";
                break;
            }
            line.effects.push_back(std::move(effect));
        } else if (is("--param")) {
            std::string text;
            EffectParameter parameter;
            if (!value("--param", text) || !ParseParameter(text, parameter)) {
                line.error =
                    "--param needs INDEX=VALUE, a parameter number and a value from 0 to 1";
                break;
            }
            if (line.effects.empty()) {
                line.error = "--param needs an --effect before it";
                break;
            }
            line.effects.back().parameters.push_back(parameter);
        } else if (!optionsEnded && arg == "--bypass") {
            if (line.effects.empty()) {
                line.error = "--bypass needs an --effect before it";
                break;
            }
            line.effects.back().bypass = true;
        } else if (is("--preset")) {
            std::string preset;
            if (!value("--preset", preset) || preset.empty()) {
                line.error = "--preset needs a preset file";
                break;
            }
            if (line.effects.empty() || !line.effects.back().preset.empty()) {
                line.error = "--preset needs an --effect before it, one preset each";
                break;
            }
            line.effects.back().preset = preset;
        } else if (!optionsEnded && arg == "--tail") {
            line.renderSettings.tail = true;
        } else if (!optionsEnded && arg == "--verbose") {
            line.renderSettings.verbose = true;
        } else if (is("--format")) {
            std::string name;
            const bool named = value("--format", name);
            line.renderSettings.format = render_format::Parse(name);
            if (!named || !line.renderSettings.format) {
                line.error = "--format needs one of wav16, wav24, wav32f, flac16, flac24";
                break;
            }
        } else if (!optionsEnded && arg == "--no-dither") {
            line.renderSettings.dither = false;
        } else if (is("--rate")) {
            std::string text;
            const bool given = value("--rate", text);
            const bool digits = !text.empty() && text.size() <= 6 &&
                                text.find_first_not_of("0123456789") == std::string::npos;
            const uint32_t rate = digits ? static_cast<uint32_t>(std::stoul(text)) : 0;
            if (!given || rate < RenderSettings::kMinRate || rate > RenderSettings::kMaxRate) {
                line.error = "--rate needs a sample rate in Hz, from 8000 to 384000";
                break;
            }
            line.renderSettings.rate = rate;
        } else if (!optionsEnded && arg == "--in-process") {
            line.renderSettings.inProcess = true;
        } else if (is("--gain") || is("--normalize") || is("--loudness") || is("--fade-in") ||
                   is("--fade-out")) {
            // Level changes on the whole output: a number each (decibels, or seconds).
            const std::string option = arg.substr(0, arg.find('='));
            std::string text;
            const bool given = value(option.c_str(), text);
            const std::optional<double> number = ParseNumber(text);
            OutputLevel& level = line.renderSettings.level;
            if (option == "--gain" && given && number && std::abs(*number) <= 96.0) {
                level.gainDecibels = number;
            } else if (option == "--normalize" && given && number && *number <= 0.0 &&
                       *number >= -96.0) {
                level.normalizeDbfs = number;
            } else if (option == "--loudness" && given && number && *number <= 0.0 &&
                       *number >= -70.0) {
                level.loudnessLufs = number;
            } else if (option == "--fade-in" && given && number && *number >= 0.0 &&
                       *number <= kMaxFadeSeconds) {
                level.fadeInSeconds = *number;
            } else if (option == "--fade-out" && given && number && *number >= 0.0 &&
                       *number <= kMaxFadeSeconds) {
                level.fadeOutSeconds = *number;
            } else {
                line.error =
                    option == "--gain"        ? "--gain needs decibels, from -96 to 96"
                    : option == "--normalize" ? "--normalize needs a level in dBFS, from -96 to 0"
                    : option == "--loudness"  ? "--loudness needs a loudness in LUFS, from -70 to 0"
                                              : option + " needs seconds, from 0 to 3600";
                break;
            }
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
    const RenderSettings& settings = line.renderSettings;
    const bool renderOptions = !line.effects.empty() || settings.tail || settings.verbose ||
                               settings.format.has_value() || !settings.dither ||
                               settings.rate != 0 || settings.level.Any();
    if (line.error.empty() && renderOptions && !line.render) {
        line.error =
            "--effect, --param, --bypass, --preset, --tail, --verbose, --format, --no-dither, "
            "--rate, --gain, --normalize, --loudness, --fade-in and --fade-out go with --render";
    } else if (line.error.empty() && settings.level.normalizeDbfs && settings.level.loudnessLufs) {
        line.error = "--normalize and --loudness each set the output's level: give one of them";
    } else if (line.error.empty() && line.effects.empty() && line.renderSettings.tail) {
        line.error = "--tail needs --effect";
    }
    if (line.error.empty() && line.analyze) {
        if (line.render) {
            line.error = "--analyze and --render cannot be combined";
        } else if (line.files.size() != 1) {
            line.error = "--analyze needs exactly one file";
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
           "   or: orvane --render OUTPUT INPUT [--effect NAME-OR-PATH [--param INDEX=VALUE]...\n"
           "                                      [--bypass] [--preset FILE]]... [--tail]\n"
           "                                      [--verbose] [--format FORMAT]\n"
           "                                      [--no-dither] [--rate HZ] [--gain DB]\n"
           "                                      [--normalize DBFS | --loudness LUFS]\n"
           "                                      [--fade-in SECONDS]\n"
           "                                      [--fade-out SECONDS] [--in-process]\n"
           "   or: orvane --analyze FILE\n"
           "Edit WAV files and play them through a VST 2 effect.\n"
           "\n"
           "Each FILE is opened at start-up as \"Load Wave...\" would open it, in order:\n"
           "the first becomes the workspace, the others can be copied from. A session\n"
           "(*.orvane, saved with \"Save Session...\") opens with its files and edits.\n"
           "VST 2 plug-ins (*.so) are looked for in vstplugs/ under the current directory,\n"
           "then in the folders of VST_PATH (colon-separated) or, without it, in ~/.vst,\n"
           "~/.lxvst, /usr/local/lib/vst, /usr/local/lib/lxvst, /usr/lib/vst, /usr/lib/lxvst.\n"
           "WAV files open in PCM (8, 16, 24, 32 bits) or floating point, mono or stereo,\n"
           "at their own sample rate; FLAC, Ogg Vorbis, Opus, MP3, AIFF and W64 files are\n"
           "decoded. Everything is edited as 16-bit stereo.\n"
           "\n"
           "  --render OUTPUT INPUT  render INPUT (an audio file or a session: *.orvane)\n"
           "                         into OUTPUT, a stereo file (see --format) at INPUT's rate,\n"
           "                         without a window or a sound device;\n"
           "                         prints nothing and exits 0 on success, or prints one\n"
           "                         line naming the file and the reason and exits 1\n"
           "  --effect NAME-OR-PATH  with --render: through this plug-in, given by its name\n"
           "                         (as --list-plugins prints it) or its library's path;\n"
           "                         repeated, through each in the order given\n"
           "  --param INDEX=VALUE    set parameter INDEX (from 0) of the --effect before it\n"
           "                         to VALUE (0 to 1) before rendering; may be repeated\n"
           "  --bypass               leave out the --effect before it (it is still looked\n"
           "                         up and loaded, so a wrong name is still an error)\n"
           "  --preset FILE          load the preset FILE (*.fxp) into the --effect before\n"
           "                         it, before its --param values are set\n"
           "  --tail                 with --effect: render on past the end until the effects\n"
           "                         have been quiet (below -90 dBFS, offsets aside) for\n"
           "                         0.5 s (at most 30 s)\n"
           "  --verbose              with --render: let the plug-ins' own messages through\n"
           "                         (they are discarded otherwise)\n"
           "  --format FORMAT        with --render: wav16, wav24, wav32f (32-bit float),\n"
           "                         flac16 or flac24; without it, OUTPUT's extension\n"
           "                         chooses (.flac: flac16, otherwise wav16)\n"
           "  --no-dither            with --render: reduce effects' output to 16 bits by\n"
           "                         rounding alone (dithered otherwise)\n"
           "  --rate HZ              with --render: convert the output to HZ (8000 to\n"
           "                         384000)\n"
           "  --gain DB              with --render: raise (or lower) the output by DB\n"
           "  --normalize DBFS       with --render: bring the output's peak to DBFS\n"
           "                         (after --gain; renders twice, to measure first)\n"
           "  --loudness LUFS        with --render: bring the output's integrated loudness\n"
           "                         (EBU R128) to LUFS, instead of --normalize\n"
           "  --fade-in SECONDS      with --render: fade the output in from silence, then\n"
           "  --fade-out SECONDS     fade it out to silence at its end (linear); all of these\n"
           "                         act on the whole output after the effects, in this order\n"
           "  --in-process           run every effect inside Orvane instead of in a process\n"
           "                         of its own (orvane-fx); a plug-in that crashes or hangs\n"
           "                         then takes Orvane with it\n"
           "  --analyze FILE         print the loudness of FILE (an audio file), one \"name "
           "value\"\n"
           "                         line each: integrated_lufs, loudness_range_lu,\n"
           "                         true_peak_dbtp, sample_peak_dbfs; exits 0, or prints\n"
           "                         one line naming the file and the reason and exits 1\n"
           "  --list-plugins         print every plug-in found (name, vendor, path, status)\n"
           "                         and exit\n"
           "  --rescan               examine every plug-in again (rebuilds the cache) and exit\n"
           "  -h, --help             show this help and exit\n"
           "  -v, --version          show the version and exit\n";
}

std::string CommandLine::Version() {
    return "Orvane 1.0\n";
}
