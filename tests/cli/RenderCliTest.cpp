// The orvane program's command line: parsing, and `orvane --render` run as a user runs it,
// with no display and no sound device in its environment.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

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

// Runs orvane with `args` (already quoted) without DISPLAY or WAYLAND_DISPLAY.
ProgramRun RunOrvane(const TempDir& dir, const std::string& args) {
    const std::string out = dir.File("stdout.txt");
    const std::string err = dir.File("stderr.txt");
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " ORVANE_PROGRAM " " + args +
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

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
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
        ASSERT_TRUE(session_file::Save(dir.File("mix.orvane"), *ws.Snapshot(), error)) << error;
    }
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

TEST(RenderCli, HelpDescribesRenderWithoutADisplay) {
    TempDir dir;
    const ProgramRun run = RunOrvane(dir, "--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--render OUTPUT INPUT"), std::string::npos) << run.out;
}

}  // namespace
