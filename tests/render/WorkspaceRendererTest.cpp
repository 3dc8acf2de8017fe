#include "render/WorkspaceRenderer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"
#include "support/TestWav.h"
#include "tests/plugins/RecorderLog.h"

using namespace testing_support;

namespace {

uint32_t Word(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

class RendererFixture : public ::testing::Test {
protected:
    void Open(uint32_t fileFrames) {
        source = dir.File("source.wav");
        WriteWav(source, MakeFrames(1, fileFrames));
        sourceSum = Checksum(source);
        ASSERT_TRUE(workspace.AddFile(source.c_str()));
        std::filesystem::create_directory(dir.File("vstplugs"));
        host.Configure(44100, 2048, dir.File("vstplugs"));
    }

    RenderResult Render(const std::string& path) {
        progress.clear();
        return renderer.Render(path, [this](uint32_t frame) { progress.push_back(frame); });
    }

    void TearDown() override {
        workspace.Clear();
        if (!source.empty()) {
            EXPECT_EQ(Checksum(source), sourceSum) << "the source was written";
        }
    }

    TempDir dir;
    std::string source;
    uint64_t sourceSum = 0;
    Workspace workspace;
    PluginHost host{&workspace};
    WorkspaceRenderer renderer{host, workspace};
    std::vector<uint32_t> progress;
};

TEST_F(RendererFixture, WritesExactlyTheWorkspaceTheHeaderAnnounces) {
    struct LengthCase {
        const char* name;
        uint32_t keep;  // the workspace is the file's first `keep` frames
        std::vector<uint32_t> progress;
    } cases[] = {
        {"1000 of 10000 frames: no frame past the end", 1000, {0, 0, 512, 1000}},
        {"one block", 512, {0, 0, 512}},
        {"one frame", 1, {0, 0, 1}},
        {"three blocks and a bit", 1600, {0, 0, 512, 1024, 1536, 1600}},
    };
    Open(10000);
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        workspace.Clear();
        ASSERT_TRUE(workspace.AddFile(source.c_str()));
        workspace.DeleteRange(c.keep, 10000);
        const std::string out = dir.File("out.wav");
        const RenderResult result = Render(out);
        EXPECT_EQ(result.outcome, RenderOutcome::kDone) << result.reason;
        const auto bytes = ReadBytes(out);
        ASSERT_EQ(bytes.size(), 44 + 4 * size_t{c.keep});
        EXPECT_EQ(Word(bytes, 4), 4 * c.keep + 36);
        EXPECT_EQ(Word(bytes, 40), 4 * c.keep);
        const auto frames = MakeFrames(1, c.keep);
        EXPECT_EQ(std::memcmp(bytes.data() + 44, frames.data(), 4 * size_t{c.keep}), 0);
        EXPECT_EQ(progress, c.progress) << "the bar moves block by block and ends full";
    }
}

TEST_F(RendererFixture, FollowsTheEditListAndReplacesAnExistingFile) {
    Open(5000);
    workspace.DeleteRange(100, 2000);
    workspace.CopyRange(0, 700);
    workspace.PasteAt(2500);
    const uint32_t length = workspace.TotalLength();
    std::vector<uint8_t> expected(size_t{length} * 4);
    uint32_t got = 0;
    ASSERT_TRUE(workspace.ReadFrames(expected.data(), length, got, 0));

    const std::string out = dir.File("existing.wav");
    WriteBytes(out, std::vector<uint8_t>(100000, 0x77));
    ASSERT_EQ(Render(out).outcome, RenderOutcome::kDone);
    const auto bytes = ReadBytes(out);
    ASSERT_EQ(bytes.size(), 44 + expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 44));

    // The rendered file opens as a source like any other.
    Workspace again;
    ASSERT_TRUE(again.AddFile(out.c_str()));
    EXPECT_EQ(again.TotalLength(), length);
}

TEST_F(RendererFixture, OutputsThatCannotBeCreatedWriteNothing) {
    Open(3000);
    std::filesystem::create_directory(dir.File("dir.wav"));
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing directory", dir.File("missing/out.wav")},
        {"empty path", ""},
        {"a directory", dir.File("dir.wav")},
        {"a source of the workspace", source},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderResult result = Render(c.path);
        EXPECT_EQ(result.outcome, RenderOutcome::kCannotCreate);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_TRUE(progress.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
    EXPECT_EQ(Checksum(source), sourceSum) << "a locked source is never emptied";
}

TEST_F(RendererFixture, WriteFailingPartWayRemovesTheIncompleteFile) {
    Open(9000);
    // A file-size limit makes writes past 10000 bytes fail as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string out = dir.File("partial.wav");
    const RenderResult result = Render(out);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.outcome, RenderOutcome::kWriteFailed);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_FALSE(std::filesystem::exists(out)) << "no incomplete file is left behind";
}

TEST_F(RendererFixture, WorkspaceLongerThanAWavHeaderCanAnnounceIsRefused) {
    // Sparse, and too large to checksum in a test: only its length matters here.
    const std::string huge = dir.File("huge.wav");
    WriteWav(huge, {});
    std::filesystem::resize_file(huge, 44 + 4 * uint64_t{WorkspaceRenderer::kMaxFrames + 1});
    ASSERT_TRUE(workspace.AddFile(huge.c_str()));
    const std::string out = dir.File("out.wav");
    const RenderResult result = Render(out);
    EXPECT_EQ(result.outcome, RenderOutcome::kTooLong);
    EXPECT_FALSE(std::filesystem::exists(out)) << "refused before anything is written";
}

TEST_F(RendererFixture, RendersThroughTheEffectChain) {
    Open(2000);
    std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/doubler.so",
                               dir.File("vstplugs/doubler.so"));
    ASSERT_NE(host.LoadPlugin("doubler.so", 0, true, nullptr), nullptr);
    const std::string out = dir.File("doubled.wav");
    ASSERT_EQ(Render(out).outcome, RenderOutcome::kDone);
    const auto bytes = ReadBytes(out);
    ASSERT_EQ(bytes.size(), 44 + 4 * 2000u);
    // Frame 100 of the source: left 100, right 0x0100; doubled.
    const auto sample = [&](size_t frame, int channel) {
        return static_cast<int16_t>(bytes[44 + 4 * frame + 2 * channel] |
                                    bytes[44 + 4 * frame + 2 * channel + 1] << 8);
    };
    EXPECT_EQ(sample(100, 0), 200);
    EXPECT_EQ(sample(100, 1), 0x200);
}

class EffectRenderFixture : public RendererFixture {
protected:
    void Use(const std::string& plugin) {
        std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                                   dir.File("vstplugs/" + plugin));
        ASSERT_NE(host.LoadPlugin(plugin, 0, true, nullptr), nullptr);
    }
    std::vector<uint8_t> RenderBytes(const std::string& name, RenderOptions options = {}) {
        const std::string out = dir.File(name);
        const RenderResult result = renderer.Render(
            out, [](uint32_t) {}, options);
        EXPECT_EQ(result.outcome, RenderOutcome::kDone) << result.reason;
        return ReadBytes(out);
    }
    static std::vector<uint8_t> SourceBytes(uint32_t frames) {
        const auto source = MakeFrames(1, frames);
        std::vector<uint8_t> bytes(size_t{frames} * 4);
        std::memcpy(bytes.data(), source.data(), bytes.size());
        return bytes;
    }
};

TEST_F(EffectRenderFixture, AnEffectWithMemoryRendersTheSameFileEveryTime) {
    Open(3000);
    Use("echo.so");
    const auto first = RenderBytes("first.wav");
    const auto second = RenderBytes("second.wav");
    ASSERT_EQ(first.size(), 44 + 4 * 3000u);
    EXPECT_TRUE(first == second) << "the second render heard the first one's echo";
    // The echo is there: frame 441 onwards hears frame 0 onwards again.
    EXPECT_FALSE(std::equal(first.begin() + 44, first.end(), SourceBytes(3000).begin()));
}

TEST_F(EffectRenderFixture, ResettingSuspendsAndResumesEveryEffect) {
    Open(10);
    Use("echo.so");
    std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/recorder.so",
                               dir.File("vstplugs/recorder.so"));
    platform::SharedLibrary recorder;
    ASSERT_TRUE(recorder.Open(dir.File("vstplugs/recorder.so")));
    RecorderLog* log = reinterpret_cast<RecorderLogProc>(recorder.Symbol("RecorderLogOf"))();
    ASSERT_NE(host.LoadPlugin("recorder.so", 1, true, nullptr), nullptr);
    log->Clear();
    host.ResetChain();
    ASSERT_EQ(log->calls.size(), 2u);
    EXPECT_EQ(log->calls[0].opcode, 12);  // effMainsChanged
    EXPECT_EQ(log->calls[0].value, 0);
    EXPECT_EQ(log->calls[1].opcode, 12);
    EXPECT_EQ(log->calls[1].value, 1);
    host.UnloadPlugin(1, nullptr);
}

TEST_F(EffectRenderFixture, TheEffectsLatencyIsCompensated) {
    Open(2000);
    Use("latency.so");  // delays by 300 frames and reports it
    EXPECT_EQ(host.LatencyFrames(), 300u);
    const auto bytes = RenderBytes("aligned.wav");
    ASSERT_EQ(bytes.size(), 44 + 4 * 2000u);
    EXPECT_TRUE(std::equal(bytes.begin() + 44, bytes.end(), SourceBytes(2000).begin()))
        << "the output does not line up with the input";
    EXPECT_EQ(Word(bytes, 40), 4 * 2000u);
}

TEST_F(EffectRenderFixture, TheTailGoesOnUntilHalfASecondOfSilence) {
    Open(2000);
    Use("echo.so");
    const auto plain = RenderBytes("plain.wav");
    const auto tailed = RenderBytes("tail.wav", {.includeTail = true});
    ASSERT_EQ(plain.size(), 44 + 4 * 2000u) << "no tail unless asked for";
    const size_t frames = (tailed.size() - 44) / 4;
    ASSERT_GT(frames, 2000u + WorkspaceRenderer::kTailSilenceFrames);
    EXPECT_EQ(Word(tailed, 4), 4 * frames + 36) << "the header announces the tail";
    EXPECT_EQ(Word(tailed, 40), 4 * frames);
    EXPECT_TRUE(std::equal(plain.begin() + 44, plain.end(), tailed.begin() + 44));
    // It ends with exactly half a second of silence, after the echo's last sound.
    const size_t silenceStart = frames - WorkspaceRenderer::kTailSilenceFrames;
    const auto isSilent = [&](size_t frame) {
        return std::all_of(tailed.begin() + 44 + 4 * frame, tailed.begin() + 48 + 4 * frame,
                           [](uint8_t b) { return b == 0; });
    };
    for (size_t f = silenceStart; f < frames; ++f) {
        ASSERT_TRUE(isSilent(f)) << "frame " << f;
    }
    EXPECT_FALSE(isSilent(silenceStart - 1));
    EXPECT_FALSE(isSilent(2000 + 441)) << "the echo goes on past the end";

    Workspace reopened;
    ASSERT_TRUE(reopened.AddFile(dir.File("tail.wav").c_str()));
    EXPECT_EQ(reopened.TotalLength(), frames);
}

TEST_F(EffectRenderFixture, WithoutAnEffectTheTailAddsNothing) {
    Open(1000);
    const auto bytes = RenderBytes("none.wav", {.includeTail = true});
    EXPECT_EQ(bytes.size(), 44 + 4 * 1000u);
}

}  // namespace
