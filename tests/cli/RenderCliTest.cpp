// The orvane program's command line: parsing, and `orvane --render` run as a user runs it,
// with no display and no sound device in its environment.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/CommandLine.h"
#include "audio/Workspace.h"
#include "session/SessionFile.h"
#include "support/TestWav.h"
#include "support/WavBytes.h"

using namespace testing_support;

namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Runs orvane with `args` (already quoted) without DISPLAY or WAYLAND_DISPLAY, after the
// shell words in `before` (a cd and variables, say).
ProgramRun RunOrvane(const TempDir& dir, const std::string& args, const std::string& before = "") {
    const std::string out = dir.File("stdout.txt");
    const std::string err = dir.File("stderr.txt");
    const std::string command = before + (before.empty() ? "" : " ") +
                                "env -u DISPLAY -u WAYLAND_DISPLAY " ORVANE_PROGRAM " " + args +
                                " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const auto text = [](const std::string& path) {
        const std::vector<uint8_t> bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    };
    run.out = text(out);
    run.err = text(err);
    return run;
}

TEST(CommandLineParse, RenderTakesAnOutputAndOneInput) {
    const struct {
        std::vector<const char*> argv;
        bool render;
        const char* output;
        const char* input;
        bool error;
    } cases[] = {
        {{"orvane", "--render", "out.wav", "in.wav"}, true, "out.wav", "in.wav", false},
        {{"orvane", "in.wav", "--render", "out.wav"}, true, "out.wav", "in.wav", false},
        {{"orvane", "--render=out.wav", "in.wav"}, true, "out.wav", "in.wav", false},
        {{"orvane", "--render", "out.wav"}, true, "out.wav", "", true},
        {{"orvane", "--render", "out.wav", "a.wav", "b.wav"}, true, "out.wav", "", true},
        {{"orvane", "--render"}, false, "", "", true},
        {{"orvane", "--render="}, true, "", "", true},
        {{"orvane", "a.wav", "b.wav"}, false, "", "", false},
    };
    for (const auto& c : cases) {
        const CommandLine line = CommandLine::Parse(static_cast<int>(c.argv.size()), c.argv.data());
        SCOPED_TRACE(c.argv.size() > 1 ? c.argv[1] : "");
        EXPECT_EQ(line.render, c.render);
        EXPECT_EQ(line.renderOutput, c.output);
        EXPECT_EQ(!line.error.empty(), c.error) << line.error;
        if (!c.error && c.render) {
            ASSERT_EQ(line.files.size(), 1u);
            EXPECT_EQ(line.files[0], c.input);
        }
    }
}

TEST(RenderCli, RendersWithoutADisplayAndSaysNothing) {
    TempDir dir;
    std::vector<int16_t> samples;
    for (int k = 0; k < 3000; ++k) {
        samples.push_back(static_cast<int16_t>(k * 7));
        samples.push_back(static_cast<int16_t>(-k * 5));
    }
    const Bytes input = CanonicalWav(samples, 48000);
    WriteBytes(dir.File("in.wav"), input);
    const ProgramRun run = RunOrvane(
        dir, "--render " + Quoted(dir.File("out.wav")) + " " + Quoted(dir.File("in.wav")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadBytes(dir.File("out.wav")), input);
}

TEST(RenderCli, FailureIsOneLineOnStandardErrorAndNoOutput) {
    TempDir dir;
    WriteBytes(dir.File("in.wav"), CanonicalWav({1, 2, 3, 4}));
    const uint64_t sum = Checksum(dir.File("in.wav"));
    const struct {
        const char* name;
        std::string output;
        std::string input;
        std::string named;
    } cases[] = {
        {"missing input", dir.File("out.wav"), dir.File("gone.wav"), dir.File("gone.wav")},
        {"unwritable output", dir.File("no/out.wav"), dir.File("in.wav"), dir.File("no/out.wav")},
        {"output = input", dir.File("in.wav"), dir.File("in.wav"), dir.File("in.wav")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run =
            RunOrvane(dir, "--render " + Quoted(c.output) + " " + Quoted(c.input));
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("orvane: " + c.named + ": ", 0), 0u) << run.err;
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "exactly one line";
        EXPECT_EQ(Checksum(dir.File("in.wav")), sum);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
}

TEST(RenderCli, RendersASessionsEditsAndNamesAMissingSource) {
    TempDir dir;
    std::vector<int16_t> a, b;
    for (int k = 0; k < 2000; ++k) {
        a.insert(a.end(), {static_cast<int16_t>(k), static_cast<int16_t>(-k)});
        b.insert(b.end(), {static_cast<int16_t>(3 * k), static_cast<int16_t>(7)});
    }
    WriteBytes(dir.File("a.wav"), CanonicalWav(a, 48000));
    WriteBytes(dir.File("b.wav"), CanonicalWav(b, 48000));
    {
        // a[0, 1500) with b[100, 400) pasted at 500, then a[0, 50) deleted.
        Workspace ws;
        ASSERT_TRUE(ws.AddFile(dir.File("a.wav").c_str()));
        ASSERT_TRUE(ws.AddFile(dir.File("b.wav").c_str()));
        ws.DeleteRange(1500, 2000);
        ASSERT_TRUE(ws.CopyFromFile(100, 400, 1));
        ws.PasteAt(500);
        ws.DeleteRange(0, 50);
        std::string error;
        ASSERT_TRUE(session_file::Save(dir.File("mix.orvane"), *ws.Snapshot(), error,
                                       session_file::Hashes::kCompute))
            << error;
    }
    // Copied without keeping its time: the same audio, so still the session's source.
    std::filesystem::last_write_time(
        dir.File("a.wav"), std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
    std::vector<int16_t> expected(a.begin() + 2 * 50, a.begin() + 2 * 500);
    expected.insert(expected.end(), b.begin() + 2 * 100, b.begin() + 2 * 400);
    expected.insert(expected.end(), a.begin() + 2 * 500, a.begin() + 2 * 1500);

    const ProgramRun run = RunOrvane(
        dir, "--render " + Quoted(dir.File("out.wav")) + " " + Quoted(dir.File("mix.orvane")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadBytes(dir.File("out.wav")), CanonicalWav(expected, 48000));

    std::filesystem::remove(dir.File("b.wav"));
    const ProgramRun missing = RunOrvane(
        dir, "--render " + Quoted(dir.File("out2.wav")) + " " + Quoted(dir.File("mix.orvane")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(dir.File("b.wav") + " is missing"), std::string::npos)
        << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out2.wav")));
}

TEST(CommandLineParse, EffectOptionsBelongToTheEffectBeforeThem) {
    struct Wanted {
        std::string name;
        std::vector<std::pair<int32_t, float>> parameters;
        bool bypass;
        std::string preset;
    };
    const struct {
        std::vector<const char*> argv;  // after "orvane --render o.wav"
        std::vector<Wanted> effects;
        bool tail;
        bool verbose;
    } cases[] = {
        {{"i.wav", "--effect", "Gain"}, {{"Gain", {}, false, ""}}, false, false},
        {{"i.wav", "--effect=/x/y.so", "--tail"}, {{"/x/y.so", {}, false, ""}}, true, false},
        {{"--effect", "Big Hall", "--param", "0=0.25", "--param=12=1", "i.wav"},
         {{"Big Hall", {{0, 0.25f}, {12, 1.0f}}, false, ""}},
         false,
         false},
        {{"--verbose", "--effect", "A", "--param", "0=1", "i.wav", "--effect", "B", "--bypass",
          "--param", "1=0", "--preset", "p.fxp", "--tail", "--effect", "A"},
         {{"A", {{0, 1.0f}}, false, ""}, {"B", {{1, 0.0f}}, true, "p.fxp"}, {"A", {}, false, ""}},
         true,
         true},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"orvane", "--render", "o.wav"};
        argv.insert(argv.end(), c.argv.begin(), c.argv.end());
        const CommandLine line = CommandLine::Parse(static_cast<int>(argv.size()), argv.data());
        SCOPED_TRACE(c.argv.back());
        ASSERT_EQ(line.error, "");
        EXPECT_EQ(line.renderSettings.tail, c.tail);
        EXPECT_EQ(line.renderSettings.verbose, c.verbose);
        EXPECT_EQ(line.files, std::vector<std::string>{"i.wav"});
        ASSERT_EQ(line.effects.size(), c.effects.size());
        for (size_t e = 0; e < c.effects.size(); ++e) {
            const RenderEffect& got = line.effects[e];
            EXPECT_EQ(got.nameOrPath, c.effects[e].name);
            EXPECT_EQ(got.bypass, c.effects[e].bypass);
            EXPECT_EQ(got.preset, c.effects[e].preset);
            ASSERT_EQ(got.parameters.size(), c.effects[e].parameters.size());
            for (size_t k = 0; k < got.parameters.size(); ++k) {
                EXPECT_EQ(got.parameters[k].index, c.effects[e].parameters[k].first);
                EXPECT_EQ(got.parameters[k].value, c.effects[e].parameters[k].second);
            }
        }
    }
}

TEST(CommandLineParse, MisplacedOrMalformedEffectOptionsAreErrors) {
    const std::vector<std::vector<const char*>> cases = {
        {"--render", "o.wav", "i.wav", "--effect"},
        {"--render", "o.wav", "i.wav", "--effect", "G", "--param", "1.5"},
        {"--render", "o.wav", "i.wav", "--effect", "G", "--param", "0=1.5"},
        {"--render", "o.wav", "i.wav", "--effect", "G", "--param", "-1=0.5"},
        {"--render", "o.wav", "i.wav", "--effect", "G", "--param", "0=x"},
        {"--render", "o.wav", "i.wav", "--param", "0=0.5", "--effect", "G"},
        {"--render", "o.wav", "i.wav", "--bypass", "--effect", "G"},
        {"--render", "o.wav", "i.wav", "--preset", "p.fxp", "--effect", "G"},
        {"--render", "o.wav", "i.wav", "--effect", "G", "--preset", "a.fxp", "--preset", "b.fxp"},
        {"--render", "o.wav", "i.wav", "--effect", "G", "--preset"},
        {"--render", "o.wav", "i.wav", "--tail"},
        {"--effect", "Gain", "i.wav"},
        {"--verbose", "i.wav"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"orvane"};
        argv.insert(argv.end(), c.begin(), c.end());
        SCOPED_TRACE(c.back());
        EXPECT_NE(CommandLine::Parse(static_cast<int>(argv.size()), argv.data()).error, "");
    }
}

// A folder with plug-ins of its own (VST_PATH), an empty home and a cache of its own, so
// that only the test plug-ins are found.
class EffectCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(dir.File("vst"));
        for (const char* plugin :
             {"gain.so", "doubler.so", "echo.so", "crashentry.so", "polarity.so", "rectifier.so",
              "chatty.so", "faulty_crash_process.so", "faulty_hang_process.so"}) {
            std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                                       dir.File(std::string("vst/") + plugin));
        }
        for (int k = 0; k < 3000; ++k) {
            samples.push_back(static_cast<int16_t>(k * 4));  // doubled, still within range
            samples.push_back(static_cast<int16_t>(-k * 2));
        }
        WriteBytes(dir.File("in.wav"), CanonicalWav(samples));
        inputSum = Checksum(dir.File("in.wav"));
    }
    void TearDown() override { EXPECT_EQ(Checksum(dir.File("in.wav")), inputSum); }

    ProgramRun Render(const std::string& options) {
        const std::string environment =
            "cd " + Quoted(dir.Path().string()) + " && HOME=" + Quoted(dir.Path().string()) +
            " XDG_CACHE_HOME=" + Quoted(dir.File("cache")) + " VST_PATH=" + Quoted(dir.File("vst"));
        return RunOrvane(dir,
                         "--render " + Quoted(dir.File("out.wav")) + " " +
                             Quoted(dir.File("in.wav")) + " " + options,
                         environment);
    }
    // The input with every left sample times `left` and every right one times `right`.
    Bytes Expected(int left, int right) const {
        std::vector<int16_t> out;
        for (size_t k = 0; k < samples.size(); ++k) {
            out.push_back(static_cast<int16_t>(samples[k] * (k % 2 == 0 ? left : right)));
        }
        return CanonicalWav(out);
    }

    // The input with every sample through `change`.
    template <typename Change>
    Bytes Changed(Change change) const {
        std::vector<int16_t> out;
        for (const int16_t sample : samples) {
            out.push_back(static_cast<int16_t>(change(sample)));
        }
        return CanonicalWav(out);
    }

    Bytes Halved() const {
        std::vector<int16_t> out;
        for (const int16_t sample : samples) {
            out.push_back(static_cast<int16_t>(sample / 2));  // every sample is even
        }
        return CanonicalWav(out);
    }

    TempDir dir;
    std::vector<int16_t> samples;
    uint64_t inputSum = 0;
};

TEST_F(EffectCli, ByNameOrPathWithParametersSet) {
    // Gain: output = input times twice parameter 0 (0.5 by default); parameters 1 and 2
    // switch the left and right channel off at 0.
    const struct {
        std::string options;
        Bytes expected;
    } cases[] = {
        {"--effect Gain", Expected(1, 1)},
        {"--effect Gain --param 0=0.25", Halved()},
        {"--effect gain --param 0=1 --param 2=0", Expected(2, 0)},  // by name in other case
        {"--effect " + Quoted(dir.File("vst/doubler.so")), Expected(2, 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const ProgramRun run = Render(c.options);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(ReadBytes(dir.File("out.wav")) == c.expected);
    }
}

// Left samples are positive, right ones negative: a rectifier before a polarity flip gives
// something else than after it. A parameter given to an effect without parameters would fail.
TEST_F(EffectCli, AChainRunsInTheOrderGivenAndBypassedEffectsAreLeftOut) {
    const auto positive = [](int s) { return std::max(s, 0); };
    const struct {
        std::string options;
        Bytes expected;
    } cases[] = {
        {"--effect Polarity --effect Rectifier", Changed([&](int s) { return positive(-s); })},
        {"--effect Rectifier --effect Polarity", Changed([&](int s) { return -positive(s); })},
        {"--effect Gain --param 0=1 --effect Polarity", Changed([](int s) { return -2 * s; })},
        {"--effect Polarity --effect Gain --param 0=0.25 --param 1=0", Changed([](int s) {
             return s > 0 ? 0 : -s / 2;  // only the right channel is negative
         })},
        {"--effect Gain --param 0=1 --effect Polarity --effect Rectifier",
         Changed([&](int s) { return positive(-2 * s); })},
        {"--effect Gain --param 0=1 --effect Polarity --bypass", Expected(2, 2)},
        {"--effect Polarity --bypass --effect Rectifier", Changed(positive)},
        {"--effect Rectifier --bypass --effect Polarity --bypass", Expected(1, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const ProgramRun run = Render(c.options);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(ReadBytes(dir.File("out.wav")) == c.expected);
    }
}

TEST_F(EffectCli, PluginsPrintToTheTerminalOnlyWithVerbose) {
    const ProgramRun quiet = Render("--effect Chatty");
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    const ProgramRun verbose = Render("--effect Chatty --verbose");
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_NE(verbose.out.find("chatty stdout: processing"), std::string::npos) << verbose.out;
    EXPECT_NE(verbose.out.find("chatty raw"), std::string::npos) << verbose.out;
    EXPECT_NE(verbose.err.find("chatty stderr: processing"), std::string::npos) << verbose.err;
    EXPECT_TRUE(ReadBytes(dir.File("out.wav")) == Expected(1, 1));
}

TEST_F(EffectCli, TheTailGoesOnPastTheEnd) {
    const ProgramRun plain = Render("--effect Echo");
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(ReadBytes(dir.File("out.wav")).size(), 44 + 4 * 3000u);
    const ProgramRun tailed = Render("--effect Echo --tail");
    ASSERT_EQ(tailed.status, 0) << tailed.err;
    const Bytes bytes = ReadBytes(dir.File("out.wav"));
    // Past the input, then half a second (22,050 frames) of silence at the end.
    EXPECT_GT(bytes.size(), 44 + 4 * (3000u + 22050u));
    const uint32_t dataBytes = bytes[40] | bytes[41] << 8 | bytes[42] << 16 | bytes[43] << 24;
    EXPECT_EQ(dataBytes, bytes.size() - 44) << "the header announces the tail";
}

TEST_F(EffectCli, AnEffectThatCannotBeUsedIsAnErrorWithNoOutput) {
    const struct {
        std::string options;
        std::string named;  // what the message starts with
    } cases[] = {
        {"--effect 'No Such Reverb'", "No Such Reverb: "},
        {"--effect " + Quoted(dir.File("vst/missing.so")), dir.File("vst/missing.so") + ": "},
        {"--effect " + Quoted(dir.File("vst/crashentry.so")), dir.File("vst/crashentry.so") + ": "},
        {"--effect Gain --param 3=0.5", "Gain: "},
        {"--effect Gain --effect 'No Such Reverb' --bypass", "No Such Reverb: "},
        {"--effect Gain --param 0=1 --effect Rectifier --param 0=1", "Rectifier: "},
        {"--effect Gain --preset " + Quoted(dir.File("in.wav")), "Gain: "},
        // Effects in processes of their own that fail part-way through the render.
        {"--effect Gain --effect " + Quoted(dir.File("vst/faulty_crash_process.so")),
         "\"faulty_crash_process.so\" crashed during the render; nothing was written."},
        {"--effect " + Quoted(dir.File("vst/faulty_hang_process.so")) + " --effect Gain",
         "\"faulty_hang_process.so\" stopped responding during the render; nothing was "
         "written."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const auto started = std::chrono::steady_clock::now();
        const ProgramRun run = Render(c.options);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            EXPECT_EQ(entry.path().filename().string().find("out.wav"), std::string::npos)
                << "left behind: " << entry.path();
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("orvane: " + c.named, 0), 0u) << run.err;
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "exactly one line";
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.wav")));
    }
}

TEST(RenderCli, HelpDescribesRenderWithoutADisplay) {
    TempDir dir;
    const ProgramRun run = RunOrvane(dir, "--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--render OUTPUT INPUT"), std::string::npos) << run.out;
}

TEST(AnalyzeCli, PrintsTheFiguresOfAFileOrOneLineWhyNot) {
    TempDir dir;
    // Ten seconds of a 1 kHz sine with its crests at -23 dBFS on both channels.
    std::vector<Frame> frames(441000);
    for (size_t k = 0; k < frames.size(); ++k) {
        const double crest = 32767 * std::pow(10.0, -23.0 / 20);
        const auto sample = static_cast<uint16_t>(
            static_cast<int16_t>(std::lround(crest * std::sin(2 * M_PI * 1000 * k / 44100.0))));
        frames[k] = uint32_t{sample} | uint32_t{sample} << 16;
    }
    WriteWav(dir.File("sine.wav"), frames);
    WriteBytes(dir.File("text.wav"), {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
    const struct {
        const char* file;
        int status;
        const char* out;
        const char* errorStart;
    } cases[] = {
        {"sine.wav", 0,
         "integrated_lufs -23.0\nloudness_range_lu 0.0\ntrue_peak_dbtp -23.0\n"
         "sample_peak_dbfs -23.0\n",
         ""},
        {"text.wav", 1, "", "orvane: "},
        {"missing.wav", 1, "", "orvane: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ProgramRun run = RunOrvane(dir, "--analyze " + Quoted(dir.File(c.file)));
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err.rfind(c.errorStart, 0), 0u) << run.err;
        if (c.status != 0) {
            EXPECT_NE(run.err.find(c.file), std::string::npos) << "names the file";
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        }
    }
}

}  // namespace

namespace {

TEST(CommandLineParse, FormatDitherAndRateGoWithARender) {
    const struct {
        std::vector<const char*> argv;
        std::optional<RenderFormat> format;
        bool dither;
        uint32_t rate;
        bool error;
    } cases[] = {
        {{"orvane", "--render", "o.wav", "i.wav"}, std::nullopt, true, 0, false},
        {{"orvane", "--render", "o.wav", "i.wav", "--format", "FLAC24", "--no-dither"},
         RenderFormat::kFlac24,
         false,
         0,
         false},
        {{"orvane", "--render", "o.wav", "i.wav", "--format=wav32f", "--rate=96000"},
         RenderFormat::kWavFloat,
         true,
         96000,
         false},
        {{"orvane", "--render", "o.wav", "i.wav", "--format", "mp3"}, std::nullopt, true, 0, true},
        {{"orvane", "--render", "o.wav", "i.wav", "--rate", "7999"}, std::nullopt, true, 0, true},
        {{"orvane", "--render", "o.wav", "i.wav", "--rate", "44.1k"}, std::nullopt, true, 0, true},
        {{"orvane", "i.wav", "--no-dither"}, std::nullopt, false, 0, true},
    };
    for (const auto& c : cases) {
        const CommandLine line = CommandLine::Parse(static_cast<int>(c.argv.size()), c.argv.data());
        SCOPED_TRACE(c.argv.back());
        EXPECT_EQ(!line.error.empty(), c.error) << line.error;
        if (!c.error) {
            EXPECT_EQ(line.renderSettings.format, c.format);
            EXPECT_EQ(line.renderSettings.dither, c.dither);
            EXPECT_EQ(line.renderSettings.rate, c.rate);
        }
    }
}

// The format by name or by the output's extension, and the rate converted, read back.
TEST(RenderCli, WritesTheFormatAndRateAsked) {
    TempDir dir;
    constexpr int kFrames = 3000;
    std::vector<int16_t> samples;
    for (int k = 0; k < kFrames; ++k) {
        samples.push_back(static_cast<int16_t>(k * 7));
        samples.push_back(static_cast<int16_t>(-k * 5));
    }
    WriteBytes(dir.File("in.wav"), CanonicalWav(samples, 44100));
    const struct {
        const char* output;
        const char* options;
        int format;
        int rate;
    } cases[] = {
        {"a.flac", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100},
        {"b.wav", "--format wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100},
        {"c.flac", "--format wav32f --rate 22050", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 22050},
        {"d.wav", "--rate 48000", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const ProgramRun run = RunOrvane(dir, "--render " + Quoted(dir.File(c.output)) + " " +
                                                  Quoted(dir.File("in.wav")) + " " + c.options);
        ASSERT_EQ(run.status, 0) << run.err;
        SF_INFO info{};
        SNDFILE* file = sf_open(dir.File(c.output).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<short> back(static_cast<size_t>(info.frames) * 2);
        sf_readf_short(file, back.data(), info.frames);
        sf_close(file);
        EXPECT_EQ(info.format, c.format);
        EXPECT_EQ(info.samplerate, c.rate);
        EXPECT_EQ(info.frames, std::lround(kFrames * double(c.rate) / 44100));
        if (c.rate == 44100) {
            EXPECT_TRUE(std::equal(back.begin(), back.end(), samples.begin()))
                << "an unchanged render is the input exactly";
        }
    }
}

}  // namespace
