#include <atomic>
#include <mutex>
#include <thread>

#include "HostFixture.h"
#include "support/LoadedEffect.h"

namespace {

using testing_support::Frame;

class ChainFixture : public HostFixture {
protected:
    void SetUp() override {
        Install({"passthrough", "doubler", "recorder", "gain", "clip", "latency"});
        Configure();
    }

    // The left samples of the block at position 0, after the chain.
    std::vector<int16_t> LeftSamples() {
        std::vector<int16_t> left;
        for (Frame f : ProcessAt(0)) {
            left.push_back(LeftOf(f));
        }
        return left;
    }
};

// Effects hear full scale as +-1.0, in chain order, each on the previous one's output; a
// bypassed effect is as good as absent, and only the running effects' latencies count.
TEST_F(ChainFixture, TheChainRunsInOrderAtFullScaleAndBypassedEffectsAreAbsent) {
    // A square wave at full scale and a quieter one (0.4 of full scale) on the left.
    std::vector<Frame> frames;
    for (int i = 0; i < 512; ++i) {
        const bool high = (i / 8) % 2 == 0;
        frames.push_back(MakeFrame(high ? int16_t{13107} : int16_t{-13107},
                                   high ? int16_t{32767} : int16_t{-32768}));
    }
    UseFrames(frames);
    // The expected left samples, computed from the input: 0.4 doubled is 0.8, clipped at 0.5
    // of full scale is 16384; clipped first (0.4 passes) then doubled is 26214.
    const auto left = [&](int16_t high, int16_t low) {
        std::vector<int16_t> samples;
        for (int i = 0; i < 512; ++i) {
            samples.push_back((i / 8) % 2 == 0 ? high : low);
        }
        return samples;
    };
    struct Case {
        const char* what;
        std::vector<const char*> chain;
        std::vector<size_t> bypassed;
        std::vector<int16_t> expected;
        uint32_t latency;
    };
    const Case cases[] = {
        {"gain x2 then clip", {"gain", "clip"}, {}, left(16384, -16384), 0},
        {"clip then gain x2", {"clip", "gain"}, {}, left(26214, -26214), 0},
        {"clip bypassed", {"gain", "clip"}, {1}, left(26214, -26214), 0},
        {"both bypassed", {"gain", "clip"}, {0, 1}, left(13107, -13107), 0},
        {"two latencies", {"latency", "latency"}, {}, std::vector<int16_t>(512, 0), 600},
        {"one of them bypassed", {"latency", "latency"}, {0}, {}, 300},
    };
    for (const Case& c : cases) {
        host.Chain().Clear();
        for (const char* name : c.chain) {
            vst::AEffect* effect = Insert(name);
            if (std::string(name) == "gain") {
                effect->setParameter(effect, 0, 1.0f);  // twice the input
            }
        }
        for (size_t index : c.bypassed) {
            host.Chain().SetBypassed(index, true);
        }
        host.ResetChain();
        EXPECT_EQ(host.LatencyFrames(), c.latency) << c.what;
        if (!c.expected.empty()) {
            EXPECT_EQ(LeftSamples(), c.expected) << c.what;
        }
    }

    // The clip's meter: a full-scale square wave peaks at exactly 1.0.
    host.Chain().Clear();
    vst::AEffect* clip = Insert("clip");
    host.ResetChain();
    ProcessAt(0);
    EXPECT_EQ(clip->getParameter(clip, 0), 1.0f);
}

TEST_F(ChainFixture, MovedEffectsRunInTheirNewOrder) {
    std::vector<Frame> frames(512, MakeFrame(13107, 13107));
    UseFrames(frames);
    vst::AEffect* clip = Insert("clip");
    vst::AEffect* gain = Insert("gain");
    gain->setParameter(gain, 0, 1.0f);
    host.Chain().Move(1, 0);  // gain, clip
    EXPECT_EQ(host.Chain().At(0).Effect(), gain);
    EXPECT_EQ(host.Chain().At(1).Effect(), clip);
    EXPECT_EQ(LeftSamples().front(), 16384);
    host.Chain().Move(0, 1);  // clip, gain
    EXPECT_EQ(LeftSamples().front(), 26214);
}

TEST_F(ChainFixture, LoadResumesTheEffectAndUnloadSuspendsAndClosesIt) {
    RecorderLog& log = Recorder();
    ASSERT_NE(Insert("recorder"), nullptr);
    const std::vector<RecorderLog::Call> expectedLoad = {
        {vst::effOpen, 0, 0, 0.0f},
        {vst::effSetProgram, 0, 0, 0.0f},
        {vst::effSetSampleRate, 0, 0, 44100.0f},
        {vst::effSetBlockSize, 0, 512, 0.0f},  // frames, not bytes
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
    EXPECT_TRUE(host.RemoveEffect(0));
    EXPECT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effClose}));
    EXPECT_EQ(log.calls[0].value, 0);
    EXPECT_TRUE(host.IsChainEmpty());
}

// Records, when it is destroyed, which calls the effect had received by then.
struct RecordingEditor : EffectEditor {
    RecordingEditor(RecorderLog& log, std::vector<size_t>& closedAfter)
        : log(log), closedAfter(closedAfter) {}
    ~RecordingEditor() override { closedAfter.push_back(log.calls.size()); }
    void Show() override {}
    RecorderLog& log;
    std::vector<size_t>& closedAfter;
};

TEST_F(ChainFixture, RemovingAnEffectClosesItsEditorWhileTheEffectIsStillOpen) {
    RecorderLog& log = Recorder();
    std::vector<size_t> closedAfter;
    Insert("recorder");
    host.Chain().At(0).SetEditor(std::make_unique<RecordingEditor>(log, closedAfter));
    Insert("passthrough");
    log.calls.clear();

    ASSERT_TRUE(host.RemoveEffect(1));
    EXPECT_TRUE(closedAfter.empty()) << "another effect's editor stays";
    ASSERT_TRUE(host.RemoveEffect(0));
    EXPECT_EQ(closedAfter, std::vector<size_t>{0}) << "closed before the effect was suspended";
    EXPECT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effClose}));
}

TEST_F(ChainFixture, DestructionClosesEveryEffect) {
    RecorderLog& log = Recorder();
    {
        PluginHost local(&workspace);
        local.SetAllInProcess(true);  // the recorder's log lives in the process that loads it
        local.Configure(44100, 2048, pluginDir);
        ASSERT_NE(EffectOf(local.AddEffect("recorder.so")), nullptr);
        ASSERT_NE(EffectOf(local.AddEffect("passthrough.so")), nullptr);
        ASSERT_NE(EffectOf(local.AddEffect("recorder.so")), nullptr);
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
    host.RemoveEffect(0);
    host.Examine(Installed("doubler.so"));  // neither touches the chain nor takes the guard
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
        host.RemoveEffect(0);
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
    EXPECT_EQ(host.Setup().sampleRate.load(), 48000u) << "answered to audioMasterGetSampleRate";
    ASSERT_EQ(RecordedOpcodes(), (std::vector<int32_t>{vst::effMainsChanged, vst::effSetSampleRate,
                                                       vst::effMainsChanged}));
    EXPECT_EQ(log.calls[0].value, 0) << "suspended first";
    EXPECT_EQ(log.calls[1].opt, 48000.0f);
    EXPECT_EQ(log.calls[2].value, 1) << "resumed after";

    log.calls.clear();
    host.SetSampleRate(48000);
    EXPECT_TRUE(log.calls.empty()) << "the same rate again changes nothing";

    // An effect loaded afterwards is told the new rate at load.
    ASSERT_TRUE(host.RemoveEffect(0));
    log.calls.clear();
    ASSERT_NE(Insert("recorder"), nullptr);
    ASSERT_GE(log.calls.size(), 3u);
    EXPECT_EQ(log.calls[2].opcode, vst::effSetSampleRate);
    EXPECT_EQ(log.calls[2].opt, 48000.0f);
}

}  // namespace
