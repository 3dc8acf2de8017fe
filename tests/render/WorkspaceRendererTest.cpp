#include "render/WorkspaceRenderer.h"
#include "support/LoadedEffect.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "audio/WaveFile.h"
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
        host.SetAllInProcess(true);  // the recorder's log lives in the process that loads it
    }

    RenderResult Render(const std::string& path) {
        progress.clear();
        return renderer.Render(path, [this](uint32_t frame) {
            progress.push_back(frame);
            return !cancelAt.has_value() || progress.size() < *cancelAt;
        });
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
    std::optional<size_t> cancelAt;  // the progress call that answers "stop"
};

// The names in a folder, sorted: a failed render must leave no temporary file behind.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Caps the size of files this process writes (as a full disk would stop it) for a scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        oldHandler = signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit saved {};
    void (*oldHandler)(int) = nullptr;
};

// Mounts a `bytes`-sized tmpfs on `folder` in a mount namespace of this process's own, so
// nothing outside sees it. For a child process (a death test) only.
bool MountSmallDisk(const std::string& folder, size_t bytes) {
    if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return false;
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    const std::string size = "size=" + std::to_string(bytes);
    return mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) == 0;
}

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
        RenderOutcome outcome;
    } cases[] = {
        {"missing directory", dir.File("missing/out.wav"), RenderOutcome::kCannotCreate},
        {"empty path", "", RenderOutcome::kCannotCreate},
        {"a directory", dir.File("dir.wav"), RenderOutcome::kCannotCreate},
        {"a source of the workspace", source, RenderOutcome::kOwnFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RenderResult result = Render(c.path);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_TRUE(progress.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
    EXPECT_EQ(Checksum(source), sourceSum) << "a locked source is never emptied";
}

// Every way a render can end early leaves an existing output byte for byte as it was, a new
// output not created at all, and no temporary file.
TEST_F(RendererFixture, AFailedOrCancelledRenderNeverTouchesTheOutput) {
    const struct {
        const char* name;
        bool existing;                     // an earlier file at the output path
        rlim_t sizeLimit;                  // 0: none
        std::optional<size_t> cancelAt;    // the progress call that says stop
        std::optional<uint32_t> shrinkTo;  // the source shrinks to this many frames mid-render
        RenderOutcome outcome;
    } cases[] = {
        {"write fails half-way over an existing file",
         true,
         20000,
         {},
         {},
         RenderOutcome::kWriteFailed},
        {"write fails half-way, new file", false, 20000, {}, {}, RenderOutcome::kWriteFailed},
        {"header write fails", true, 20, {}, {}, RenderOutcome::kWriteFailed},
        {"cancelled at once", true, 0, 1, {}, RenderOutcome::kCancelled},
        {"cancelled half-way over an existing file", true, 0, 5, {}, RenderOutcome::kCancelled},
        {"cancelled half-way, new file", false, 0, 5, {}, RenderOutcome::kCancelled},
        {"source cut short behind our back", true, 0, {}, 3000, RenderOutcome::kSourceShort},
        {"source emptied behind our back", false, 0, {}, 0, RenderOutcome::kSourceShort},
    };
    Open(9000);
    const std::string folder = dir.File("renders");
    const std::vector<uint8_t> earlier(30000, 0x77);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        const std::string out = folder + "/out.wav";
        if (c.existing) {
            WriteBytes(out, earlier);
        }
        // A copy of the source that may shrink; the fixture's own source stays whole.
        const std::string copy = dir.File("copy.wav");
        workspace.Clear();
        std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(workspace.AddFile(copy.c_str()));
        cancelAt = c.cancelAt;
        RenderResult result;
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit != 0) {
                limit.emplace(c.sizeLimit);
            }
            if (c.shrinkTo.has_value()) {
                progress.clear();
                // At the first progress call, after the output was created and before any
                // frame is read: without effects a whole batch is read at once.
                bool shrunk = false;
                result = renderer.Render(out, [&](uint32_t) {
                    if (!shrunk) {
                        std::filesystem::resize_file(copy, 44 + 4 * uint64_t{*c.shrinkTo});
                        shrunk = true;
                    }
                    return true;
                });
            } else {
                result = Render(out);
            }
        }
        EXPECT_EQ(result.outcome, c.outcome) << result.reason;
        if (c.outcome == RenderOutcome::kWriteFailed) {
            EXPECT_FALSE(result.reason.empty());
        }
        if (c.outcome == RenderOutcome::kSourceShort) {
            EXPECT_EQ(result.reason, copy) << "the file that came up short is named";
        }
        if (c.existing) {
            EXPECT_EQ(ReadBytes(out), earlier) << "the earlier file is kept byte for byte";
            EXPECT_EQ(Listing(folder), std::vector<std::string>{"out.wav"});
        } else {
            EXPECT_TRUE(Listing(folder).empty()) << "nothing created, nothing left behind";
        }
    }
    cancelAt.reset();
}

// A real full disk: a small tmpfs over a folder holding an earlier render. Runs in a child
// process, which has the mount to itself.
TEST_F(RendererFixture, AFullDiskKeepsTheEarlierFileByteForByte) {
    Open(20000);  // 80044 bytes to write
    const std::string folder = dir.File("small");
    std::filesystem::create_directory(folder);
    const auto renderOnFullDisk = [&] {
        if (!MountSmallDisk(folder, 64 * 1024)) {
            std::fprintf(stderr, "cannot mount a small disk: %s\n", std::strerror(errno));
            _exit(2);
        }
        const std::string out = folder + "/out.wav";
        const std::vector<uint8_t> earlier(40000, 0x5A);  // fits, leaving less than a render
        WriteBytes(out, earlier);
        const RenderResult result = Render(out);
        std::fprintf(
            stderr, "outcome %d (%s), %s, %s\n", static_cast<int>(result.outcome),
            result.reason.c_str(), ReadBytes(out) == earlier ? "kept" : "changed",
            Listing(folder) == std::vector<std::string>{"out.wav"} ? "no leftovers" : "leftovers");
        _exit(0);
    };
    EXPECT_EXIT(renderOnFullDisk(), testing::ExitedWithCode(0),
                "outcome 3 \\(No space left on device\\), kept, no leftovers");
}

TEST_F(RendererFixture, TheOutputKeepsTheReplacedFilesPermissions) {
    Open(1000);
    const std::string out = dir.File("shared.wav");
    WriteBytes(out, std::vector<uint8_t>(10, 1));
    std::filesystem::permissions(out, std::filesystem::perms(0640));
    ASSERT_EQ(Render(out).outcome, RenderOutcome::kDone);
    EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(ReadBytes(out).size(), 44u + 4000u);
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
    ASSERT_NE(EffectOf(host.AddEffect("doubler.so")), nullptr);
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

// What rendering one 512-frame block at a time, each written as it comes, gives.
std::vector<uint8_t> BlockByBlock(PluginHost& host, uint32_t length) {
    const auto header = WaveFile::MakeHeader(length);
    std::vector<uint8_t> bytes(header.begin(), header.end());
    std::vector<uint8_t> block(std::max<size_t>(512 * 4, host.BlockBytes()));
    for (uint32_t position = 0; position < length; position += 512) {
        uint32_t framesRead = 0;
        host.Process(block.data(), framesRead, position);
        const uint32_t frames = std::min(512u, length - position);
        const uint32_t kept = std::min(framesRead, frames);
        bytes.insert(bytes.end(), block.begin(), block.begin() + 4 * kept);
        bytes.insert(bytes.end(), 4 * size_t{frames - kept}, 0);
    }
    return bytes;
}

// Several batches over an edit list: the batched render writes the same bytes as
// block-by-block rendering, with and without an effect.
TEST_F(RendererFixture, BatchesWriteWhatBlockByBlockRenderingWrites) {
    Open(WorkspaceRenderer::kBatchFrames * 2 + 5000);
    const std::string second = dir.File("short.wav");
    WriteWav(second, MakeFrames(2, 50000));
    ASSERT_TRUE(workspace.AddFile(second.c_str()));
    workspace.CopyFromFile(0, 50000, 1);
    workspace.PasteAt(123457);
    workspace.DeleteRange(300000, 300100);
    workspace.CopyFromFile(100, 40000, 1);
    workspace.PasteAt(WorkspaceRenderer::kBatchFrames - 7);
    const uint32_t length = workspace.TotalLength();
    ASSERT_GT(length, 2 * WorkspaceRenderer::kBatchFrames);

    for (const char* plugin : {"", "passthrough.so"}) {
        SCOPED_TRACE(*plugin ? plugin : "no effect");
        if (*plugin) {
            std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                                       dir.File(std::string("vstplugs/") + plugin));
            ASSERT_NE(EffectOf(host.AddEffect(plugin)), nullptr);
        }
        const std::string out = dir.File("batched.wav");
        ASSERT_EQ(Render(out).outcome, RenderOutcome::kDone);
        const std::vector<uint8_t> expected = BlockByBlock(host, length);
        const std::vector<uint8_t> written = ReadBytes(out);
        ASSERT_EQ(written.size(), expected.size());
        EXPECT_TRUE(written == expected);
        // The pasted run of the second file, in its place.
        EXPECT_EQ(Word(written, 44 + 4 * size_t{123457 + 100}), (2u << 24) | 100u);
        EXPECT_EQ(Word(written, 44 + 4 * size_t{123457 + 25000}), (2u << 24) | 25000u);
        EXPECT_EQ(progress.size(), 2 + (size_t{length} + 511) / 512);
        EXPECT_EQ(progress.back(), length);
    }
}

class EffectRenderFixture : public RendererFixture {
protected:
    void Use(const std::string& plugin) {
        std::filesystem::copy_file(std::string(ORVANE_TEST_PLUGIN_DIR) + "/" + plugin,
                                   dir.File("vstplugs/" + plugin));
        ASSERT_NE(EffectOf(host.AddEffect(plugin)), nullptr);
    }
    std::vector<uint8_t> RenderBytes(const std::string& name, RenderOptions options = {}) {
        const std::string out = dir.File(name);
        const RenderResult result = renderer.Render(
            out, [](uint32_t) { return true; }, options);
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
    ASSERT_NE(EffectOf(host.AddEffect("recorder.so")), nullptr);
    log->Clear();
    host.ResetChain();
    ASSERT_EQ(log->calls.size(), 2u);
    EXPECT_EQ(log->calls[0].opcode, 12);  // effMainsChanged
    EXPECT_EQ(log->calls[0].value, 0);
    EXPECT_EQ(log->calls[1].opcode, 12);
    EXPECT_EQ(log->calls[1].value, 1);
    host.RemoveEffect(1);
}

// Pure delays of 300 frames each; Late Latency reports its delay only from its second block
// after a resume, and reports 0 again after every reset.
TEST_F(EffectRenderFixture, TheEffectsLatencyIsCompensatedEvenWhenReportedLate) {
    const struct {
        std::vector<std::string> plugins;
        uint32_t reportedAtLoad;
    } cases[] = {
        {{"latency.so"}, 300},
        {{"latelatency.so"}, 0},
        {{"latelatency.so", "latency.so"}, 300},
    };
    Open(2000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plugins.front() + " and " + std::to_string(c.plugins.size() - 1) + " more");
        while (!host.IsChainEmpty()) {
            ASSERT_TRUE(host.RemoveEffect(0));
        }
        std::filesystem::remove_all(dir.File("vstplugs"));
        std::filesystem::create_directory(dir.File("vstplugs"));
        for (const std::string& plugin : c.plugins) {
            Use(plugin);
        }
        EXPECT_EQ(host.LatencyFrames(), c.reportedAtLoad);
        const auto bytes = RenderBytes("aligned.wav");
        ASSERT_EQ(bytes.size(), 44 + 4 * 2000u);
        EXPECT_TRUE(std::equal(bytes.begin() + 44, bytes.end(), SourceBytes(2000).begin()))
            << "the output does not line up with the input";
    }
}

// A chain is its effects one after the other: a render through A (a polarity flip and an
// echo) then B (a rectifier and a late-reporting delay) equals a render through A whose file
// is then rendered through B. The rectifier commutes with neither part of A, so a wrong order
// or a missing effect shows.
TEST_F(EffectRenderFixture, ARenderThroughAThenBEqualsARenderOfAsOutputThroughB) {
    Open(3000);
    for (const char* plugin : {"polarity.so", "echo.so", "rectifier.so", "latelatency.so"}) {
        Use(plugin);
    }
    const auto chained = RenderBytes("chained.wav");
    host.Chain().SetBypassed(2, true);
    host.Chain().SetBypassed(3, true);
    RenderBytes("throughA.wav");
    ASSERT_TRUE(host.RemoveEffect(0));
    ASSERT_TRUE(host.RemoveEffect(0));
    host.Chain().SetBypassed(0, false);
    host.Chain().SetBypassed(1, false);
    workspace.Clear();
    ASSERT_TRUE(workspace.AddFile(dir.File("throughA.wav").c_str()));
    const auto twice = RenderBytes("twice.wav");
    ASSERT_EQ(chained.size(), 44 + 4 * 3000u);
    EXPECT_TRUE(chained == twice);
    // A rectified A differs from a plain one: the rectifier was heard.
    EXPECT_FALSE(
        std::equal(chained.begin(), chained.end(), ReadBytes(dir.File("throughA.wav")).begin()));
}

// Echo decays to silence; Offset Echo decays to a constant offset, which must end the tail
// as silence does, long before the 30-second cap.
TEST_F(EffectRenderFixture, TheTailEndsAfterHalfASecondAtOneLevel) {
    constexpr size_t kHalfSecond = 22050;  // at 44,100 frames per second
    const struct {
        const char* plugin;
        bool settlesOnZero;
    } cases[] = {{"echo.so", true}, {"offset.so", false}};
    Open(2000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plugin);
        if (!host.IsChainEmpty()) {
            ASSERT_TRUE(host.RemoveEffect(0));
        }
        Use(c.plugin);
        const auto plain = RenderBytes("plain.wav");
        const auto tailed = RenderBytes("tail.wav", {.includeTail = true, .sessionFile = {}});
        ASSERT_EQ(plain.size(), 44 + 4 * 2000u) << "no tail unless asked for";
        const size_t frames = (tailed.size() - 44) / 4;
        ASSERT_GT(frames, 2000u + kHalfSecond);
        EXPECT_LT(frames, 2000u + 10 * kHalfSecond) << "the tail ran on towards the cap";
        EXPECT_EQ(Word(tailed, 40), 4 * frames) << "the header announces the tail";
        EXPECT_TRUE(std::equal(plain.begin() + 44, plain.end(), tailed.begin() + 44));
        const auto sample = [&](size_t frame, int channel) {
            return static_cast<int16_t>(tailed[44 + 4 * frame + 2 * channel] |
                                        tailed[45 + 4 * frame + 2 * channel] << 8);
        };
        for (int channel = 0; channel < 2; ++channel) {
            const int16_t level = sample(frames - 1, channel);
            EXPECT_EQ(level == 0, c.settlesOnZero) << "channel " << channel;
            for (size_t f = frames - kHalfSecond; f < frames; ++f) {
                ASSERT_LE(std::abs(sample(f, channel) - level), 2) << "frame " << f;
            }
        }
        EXPECT_GT(std::abs(sample(2000 + 441, 0) - sample(frames - 1, 0)), 2)
            << "the echo goes on past the end";
    }
}

TEST_F(EffectRenderFixture, WithoutAnEffectTheTailAddsNothing) {
    Open(1000);
    const auto bytes = RenderBytes("none.wav", {.includeTail = true, .sessionFile = {}});
    EXPECT_EQ(bytes.size(), 44 + 4 * 1000u);
}

}  // namespace
