#include <atomic>
#include <mutex>
#include <thread>

#include "HostFixture.h"

namespace {

using testing_support::Frame;

class ChainFixture : public HostFixture {
protected:
    void SetUp() override {
        Install({"passthrough", "doubler", "recorder"});
        Configure();
    }

    // Fills the chain with `count` passthrough effects; returns them in chain order.
    std::vector<vst::AEffect*> FillChain(size_t count) {
        std::vector<vst::AEffect*> effects;
        for (size_t i = 0; i < count; ++i) {
            effects.push_back(Insert("passthrough", static_cast<uint8_t>(i)));
        }
        return effects;
    }

    std::vector<vst::AEffect*> ChainEffects() {
        std::vector<vst::AEffect*> effects;
        for (size_t i = 0; i < host.ChainSize(); ++i) {
            effects.push_back(host.EffectAt(static_cast<uint8_t>(i)));
        }
        return effects;
    }
};

TEST_F(ChainFixture, InsertTakesThePositionOnlyFromTwoEntriesOn) {
    struct Case {
        size_t existing;
        uint8_t position;
        size_t expectedIndex;
    };
    const Case cases[] = {
        {0, 0, 0}, {0, 7, 0},  // empty chain
        {1, 0, 1},             // one entry: appended whatever the position
        {2, 0, 0}, {2, 1, 1}, {2, 2, 2},
        {2, 9, 2}, {3, 1, 1},  // former entries 1 and 2 move to 2 and 3
    };
    for (const Case& c : cases) {
        while (!host.IsChainEmpty()) {
            host.UnloadPlugin(0, nullptr);
        }
        std::vector<vst::AEffect*> expected = FillChain(c.existing);
        vst::AEffect* inserted = Insert("doubler", c.position);
        expected.insert(expected.begin() + static_cast<long>(c.expectedIndex), inserted);
        EXPECT_EQ(ChainEffects(), expected)
            << c.existing << " entries, position " << int(c.position);
    }
}

TEST_F(ChainFixture, UnloadRemovesThePositionOrTheLastEntry) {
    struct Case {
        size_t existing;
        uint8_t position;
        size_t removedIndex;
    };
    const Case cases[] = {{1, 0, 0}, {1, 3, 0}, {2, 5, 1}, {3, 0, 0}, {3, 1, 1}, {3, 2, 2}};
    for (const Case& c : cases) {
        while (!host.IsChainEmpty()) {
            host.UnloadPlugin(0, nullptr);
        }
        std::vector<vst::AEffect*> expected = FillChain(c.existing);
        expected.erase(expected.begin() + static_cast<long>(c.removedIndex));
        EXPECT_TRUE(host.UnloadPlugin(c.position, nullptr));
        EXPECT_EQ(ChainEffects(), expected)
            << c.existing << " entries, position " << int(c.position);
    }
    while (!host.IsChainEmpty()) {
        host.UnloadPlugin(0, nullptr);
    }
    EXPECT_FALSE(platform::SharedLibrary::IsLoaded(Installed("passthrough.so")));
}

TEST_F(ChainFixture, LoadResumesTheEffectAndUnloadSuspendsAndClosesIt) {
    RecorderLog& log = Recorder();
    ASSERT_NE(Insert("recorder"), nullptr);
    const std::vector<RecorderLog::Call> expectedLoad = {
        {vst::effOpen, 0, 0, 0.0f},
        {vst::effSetProgram, 0, 0, 0.0f},
        {vst::effSetSampleRate, 0, 0, 44100.0f},
        {vst::effSetBlockSize, 0, 2048, 0.0f},
        {vst::effMainsChanged, 0, 1, 0.0f},
    };
    ASSERT_EQ(log.calls.size(), expectedLoad.size());
    for (size_t i = 0; i < expectedLoad.size(); ++i) {
        EXPECT_EQ(log.calls[i].opcode, expectedLoad[i].opcode) << i;
        EXPECT_EQ(log.calls[i].index, expectedLoad[i].index) << i;
        EXPECT_EQ(log.calls[i].value, expectedLoad[i].value) << i;
        EXPECT_EQ(log.calls[i].opt, expectedLoad[i].opt) << i;
    }

    log.calls.clear();
    EXPECT_TRUE(host.UnloadPlugin(0, nullptr));
    EXPECT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effClose}));
    EXPECT_EQ(log.calls[0].value, 0);
    EXPECT_TRUE(host.IsChainEmpty());
}

TEST_F(ChainFixture, UnloadOnAnEmptyChainSendsNothing) {
    struct NoClose : EditorWindows {
        void CloseEditor(uintptr_t, vst::AEffect*) override { ++closes; }
        int closes = 0;
    } windows;
    host.SetEditorWindows(&windows);
    host.SetEditor(77, nullptr);
    EXPECT_TRUE(host.UnloadPlugin(5, nullptr));
    EXPECT_EQ(windows.closes, 0);
    EXPECT_EQ(host.EditorWindow(), 77u);
}

// Records, when asked to close the editor, which calls the effect had received by then.
struct RecordingWindows : EditorWindows {
    explicit RecordingWindows(RecorderLog& log) : log(log) {}
    void CloseEditor(uintptr_t window, vst::AEffect* effect) override {
        closed.push_back({window, effect, log.calls.size()});
    }
    struct Close {
        uintptr_t window;
        vst::AEffect* effect;
        size_t callsBefore;
    };
    RecorderLog& log;
    std::vector<Close> closed;
};

TEST_F(ChainFixture, UnloadClosesTheEditorWhileTheEffectIsStillOpen) {
    RecorderLog& log = Recorder();
    RecordingWindows windows(log);
    host.SetEditorWindows(&windows);
    vst::AEffect* effect = Insert("recorder");
    host.SetEditor(1234, effect);
    log.calls.clear();

    ASSERT_TRUE(host.UnloadPlugin(0, nullptr));
    ASSERT_EQ(windows.closed.size(), 1u);
    EXPECT_EQ(windows.closed[0].window, 1234u);
    EXPECT_EQ(windows.closed[0].effect, effect);
    EXPECT_EQ(windows.closed[0].callsBefore, 0u) << "closed after the effect was suspended";
    EXPECT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effClose}));
    // Nothing is left that points at the window or the closed effect.
    EXPECT_EQ(host.EditorWindow(), 0u);
    EXPECT_EQ(host.CurrentEffect(), nullptr);

    // With no editor open there is nothing to close.
    Insert("recorder");
    host.UnloadPlugin(0, nullptr);
    EXPECT_EQ(windows.closed.size(), 1u);
}

TEST_F(ChainFixture, AnEditorOfAnotherEntryIsClosedButItsEffectRemembered) {
    RecorderLog& log = Recorder();
    RecordingWindows windows(log);
    host.SetEditorWindows(&windows);
    vst::AEffect* shown = Insert("passthrough");
    Insert("recorder");
    host.SetEditor(9, shown);
    host.UnloadPlugin(1, nullptr);
    ASSERT_EQ(windows.closed.size(), 1u);
    EXPECT_EQ(windows.closed[0].effect, shown);
    EXPECT_EQ(host.CurrentEffect(), shown);  // still loaded, so still valid
}

TEST_F(ChainFixture, DestructionUnloadsEveryEntryFromTheFirst) {
    RecorderLog& log = Recorder();
    {
        PluginHost local(&workspace);
        local.Configure(44100, 2048, pluginDir);
        ASSERT_NE(local.LoadPlugin("recorder.so", 0, true, nullptr), nullptr);
        ASSERT_NE(local.LoadPlugin("passthrough.so", 0, true, nullptr), nullptr);
        ASSERT_NE(local.LoadPlugin("recorder.so", 0, true, nullptr), nullptr);
        log.calls.clear();
    }
    EXPECT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effClose,
                                                       vst::effMainsChanged, vst::effClose}));
    EXPECT_FALSE(platform::SharedLibrary::IsLoaded(Installed("passthrough.so")));
}

// A guard that notes the chain's size each time it is taken and given back.
struct ObservingGuard : ChainGuard {
    explicit ObservingGuard(const PluginHost& host) : host(host) {}
    void lock() override { sizes.push_back({'L', host.ChainSize()}); }
    void unlock() override { sizes.push_back({'U', host.ChainSize()}); }
    const PluginHost& host;
    std::vector<std::pair<char, size_t>> sizes;
};

TEST_F(ChainFixture, ChainChangesHappenOnlyWhileTheGuardIsHeld) {
    ObservingGuard guard(host);
    host.SetChainGuard(&guard);
    Insert("passthrough");
    Insert("doubler");
    host.UnloadPlugin(0, nullptr);
    platform::SharedLibrary library;
    vst::AEffect* scanned = host.LoadPlugin("doubler.so", 0, false, &library);
    host.UnloadPlugin(0, scanned);  // neither touches the chain nor takes the guard
    const std::vector<std::pair<char, size_t>> expected = {{'L', 0}, {'U', 1}, {'L', 1},
                                                           {'U', 2}, {'L', 2}, {'U', 1}};
    EXPECT_EQ(guard.sizes, expected);
    host.SetChainGuard(nullptr);
}

TEST_F(ChainFixture, ProcessOnAnotherThreadNeverMeetsAHalfChangedChain) {
    std::vector<Frame> frames;
    for (int i = 0; i < 4096; ++i) {
        frames.push_back(MakeFrame(static_cast<int16_t>(i - 2048), static_cast<int16_t>(i)));
    }
    UseFrames(frames);
    std::mutex playbackLock;
    LockableChainGuard<std::mutex> guard(playbackLock);
    host.SetChainGuard(&guard);

    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<int> wrong{0};
    std::thread player([&] {
        std::vector<Frame> block(512);
        for (uint32_t position = 0; !stop; position = (position + 512) % 4096) {
            uint32_t count = 0;
            {
                std::lock_guard<std::mutex> hold(playbackLock);
                host.Process(block.data(), count, position);
            }
            // Raw (empty chain or passthrough) or doubled, never anything else.
            const Frame raw = frames[position];
            const Frame doubled = MakeFrame(static_cast<int16_t>(2 * LeftOf(raw)),
                                            static_cast<int16_t>(2 * RightOf(raw)));
            if (count != 512 || (block[0] != raw && block[0] != doubled)) {
                ++wrong;
            }
            ++blocks;
        }
    });
    // Every change lands between blocks the player is processing right then.
    const auto letBlocksPass = [&] {
        const int target = blocks + 2;
        while (blocks < target) {
            std::this_thread::yield();
        }
    };
    letBlocksPass();
    for (int round = 0; round < 40; ++round) {
        Insert(round % 2 == 0 ? "passthrough" : "doubler");
        letBlocksPass();
        host.UnloadPlugin(0, nullptr);
        letBlocksPass();
    }
    stop = true;
    player.join();
    host.SetChainGuard(nullptr);
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GE(blocks.load(), 160);
}

}  // namespace

namespace {

TEST_F(ChainFixture, NewSampleRateReachesEveryEffectBetweenSuspendAndResume) {
    RecorderLog& log = Recorder();
    ASSERT_NE(Insert("recorder"), nullptr);
    log.calls.clear();
    host.SetSampleRate(48000);
    EXPECT_EQ(PluginHost::SampleRate(), 48000u) << "answered to audioMasterGetSampleRate";
    ASSERT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effSetSampleRate,
                                                       vst::effMainsChanged}));
    EXPECT_EQ(log.calls[0].value, 0) << "suspended first";
    EXPECT_EQ(log.calls[1].opt, 48000.0f);
    EXPECT_EQ(log.calls[2].value, 1) << "resumed after";

    log.calls.clear();
    host.SetSampleRate(48000);
    EXPECT_TRUE(log.calls.empty()) << "the same rate again changes nothing";

    // An effect loaded afterwards is told the new rate at load.
    ASSERT_TRUE(host.UnloadPlugin(0, nullptr));
    log.calls.clear();
    ASSERT_NE(Insert("recorder"), nullptr);
    ASSERT_GE(log.calls.size(), 3u);
    EXPECT_EQ(log.calls[2].opcode, vst::effSetSampleRate);
    EXPECT_EQ(log.calls[2].opt, 48000.0f);
}

}  // namespace
