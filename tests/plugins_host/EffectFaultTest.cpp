// Effects in processes of their own: a plug-in that crashes or hangs is contained, the rest
// of the chain goes on, and a reloaded effect gets its kept settings back.

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <random>

#include "HostFixture.h"
#include "plugins/EffectState.h"

using namespace std::chrono_literals;
using testing_support::Frame;

namespace {

constexpr auto kCallDeadline = 1500ms;
constexpr auto kBlockDeadline = 400ms;
constexpr auto kLoadDeadline = 2000ms;

// Children of this process that have ended but were never reaped.
int ZombieChildren() {
    int zombies = 0;
    DIR* proc = ::opendir("/proc");
    while (dirent* entry = proc != nullptr ? ::readdir(proc) : nullptr) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        // After "pid (name)": the state, then the parent's pid.
        char state = '?';
        int parent = 0;
        std::sscanf(line.c_str() + line.rfind(')') + 1, " %c %d", &state, &parent);
        zombies += (state == 'Z' && parent == ::getpid()) ? 1 : 0;
    }
    if (proc != nullptr) {
        ::closedir(proc);
    }
    return zombies;
}

std::vector<Frame> Scaled(const std::vector<Frame>& frames, float factor) {
    std::vector<Frame> out;
    for (Frame frame : frames) {
        out.push_back(MakeFrame(static_cast<int16_t>(LeftOf(frame) * factor),
                                static_cast<int16_t>(RightOf(frame) * factor)));
    }
    return out;
}

class EffectFaultTest : public HostFixture {
protected:
    void SetUp() override {
        host.SetAllInProcess(false);
        EffectSetup& setup = host.MutableSetup();
        setup.callDeadline = kCallDeadline;
        setup.blockDeadlineMinimum = kBlockDeadline;
        setup.loadDeadline = kLoadDeadline;
        Install({"crashentry",
                 "crashopen",
                 "hang",
                 "noentry",
                 "faulty",
                 "gain",
                 "passthrough",
                 "faulty_crash_process",
                 "faulty_hang_process",
                 "faulty_crash_later",
                 "faulty_hang_later",
                 "faulty_crash_editopen",
                 "faulty_hang_editopen",
                 "faulty_crash_editidle",
                 "faulty_hang_editidle",
                 "faulty_crash_paramname",
                 "faulty_hang_paramname",
                 "faulty_crash_setparam",
                 "faulty_hang_setparam",
                 "faulty_crash_chunk",
                 "faulty_hang_chunk"});
        Configure();
        for (int k = 0; k < 512; ++k) {
            input.push_back(MakeFrame(static_cast<int16_t>(k * 16), static_cast<int16_t>(-k * 8)));
        }
        UseFrames(input);
    }

    std::vector<Frame> input;
};

TEST_F(EffectFaultTest, AFaultIsContainedAndTheRestOfTheChainGoesOn) {
    using Provoke = std::function<void(vst::AEffect*)>;
    const Provoke blocks = [this](vst::AEffect*) {
        for (int k = 0; k < 60; ++k) {
            ProcessAt(0);
        }
    };
    const Provoke editOpen = [](vst::AEffect* e) {
        PluginHost::Dispatch(e, vst::effEditOpen, 0, 0, reinterpret_cast<void*>(0x3a00001));
    };
    const Provoke editIdle = [](vst::AEffect* e) { PluginHost::Dispatch(e, vst::effEditIdle); };
    const Provoke paramName = [](vst::AEffect* e) {
        PluginHost::EffectText(e, vst::effGetParamName, 0);
    };
    const Provoke setParameter = [](vst::AEffect* e) { e->setParameter(e, 0, 0.75f); };
    const Provoke getChunk = [](vst::AEffect* e) {
        std::string why;
        EffectState::Read(e, why);
    };
    const struct {
        const char* plugin;
        EffectFault fault;
        Provoke provoke;
        std::chrono::milliseconds within;
    } cases[] = {
        {"faulty_crash_process", EffectFault::Crashed, blocks, kBlockDeadline},
        {"faulty_hang_process", EffectFault::NotResponding, blocks, kBlockDeadline},
        {"faulty_crash_later", EffectFault::Crashed, blocks, kBlockDeadline},
        {"faulty_hang_later", EffectFault::NotResponding, blocks, kBlockDeadline},
        {"faulty_crash_editopen", EffectFault::Crashed, editOpen, kCallDeadline},
        {"faulty_hang_editopen", EffectFault::NotResponding, editOpen, kCallDeadline},
        {"faulty_crash_editidle", EffectFault::Crashed, editIdle, kCallDeadline},
        {"faulty_hang_editidle", EffectFault::NotResponding, editIdle, kCallDeadline},
        {"faulty_crash_paramname", EffectFault::Crashed, paramName, kCallDeadline},
        {"faulty_hang_paramname", EffectFault::NotResponding, paramName, kCallDeadline},
        {"faulty_crash_setparam", EffectFault::Crashed, setParameter, kCallDeadline},
        {"faulty_hang_setparam", EffectFault::NotResponding, setParameter, kCallDeadline},
        {"faulty_crash_chunk", EffectFault::Crashed, getChunk, kCallDeadline},
        {"faulty_hang_chunk", EffectFault::NotResponding, getChunk, kCallDeadline},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plugin);
        host.Chain().Clear();
        vst::AEffect* faulty = Insert(c.plugin);
        vst::AEffect* gain = Insert("gain");
        ASSERT_TRUE(faulty != nullptr && gain != nullptr);
        EffectSlot& faultySlot = host.Chain().At(0);
        ASSERT_TRUE(faultySlot.OutOfProcess());
        gain->setParameter(gain, 0, 0.25f);  // halves
        // Before the fault the faulty effect doubles, where neither setting it nor a block
        // is the fault.
        const std::string plugin = c.plugin;
        if (plugin.find("setparam") == std::string::npos) {
            faulty->setParameter(faulty, 0, 1.0f);
            if (plugin.find("process") == std::string::npos) {
                EXPECT_EQ(ProcessAt(0), input);
            }
        }
        ASSERT_EQ(faultySlot.Fault(), EffectFault::None);

        const auto started = std::chrono::steady_clock::now();
        c.provoke(faulty);
        const auto took = std::chrono::steady_clock::now() - started;
        // The whole provocation (60 blocks for the audio faults) within its deadline and a
        // margin for a busy machine.
        EXPECT_LT(took, c.within + 1500ms);
        EXPECT_EQ(faultySlot.Fault(), c.fault);
        EXPECT_EQ(ZombieChildren(), 0);

        // The faulted effect answers nothing, adds no latency and is passed by.
        EXPECT_EQ(PluginHost::EffectText(faulty, vst::effGetEffectName), "");
        EXPECT_EQ(faultySlot.LatencyFrames(), 0u);
        EXPECT_EQ(gain->getParameter(gain, 0), 0.25f);
        EXPECT_EQ(ProcessAt(0), Scaled(input, 0.5f));
    }
    host.Chain().Clear();
    EXPECT_EQ(ZombieChildren(), 0);
}

TEST_F(EffectFaultTest, ALoadThatFailsInTheChildIsAFailedLoad) {
    const struct {
        const char* plugin;
        const char* error;
    } cases[] = {
        {"crashentry", "crashed while loading: Segmentation fault"},
        {"crashopen", "crashed while opening: Segmentation fault"},
        {"hang", "did not finish loading within 2 s"},
        {"noentry", "no entry point (VSTPluginMain or main)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plugin);
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(host.AddEffect(std::string(c.plugin) + ".so"), nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - started, kLoadDeadline + 1500ms);
        EXPECT_EQ(host.LastLoadError(), c.error);
        EXPECT_TRUE(host.IsChainEmpty());
        EXPECT_EQ(ZombieChildren(), 0);
    }
}

TEST_F(EffectFaultTest, BeforeAFaultTheEffectRunsAsItWouldInProcess) {
    // A file of odd length, whole through a passthrough in a child: bit-exact.
    std::mt19937 random(7);
    std::vector<Frame> noise;
    for (int k = 0; k < 1237; ++k) {
        noise.push_back(static_cast<Frame>(random()));
    }
    UseFrames(noise);
    const auto whole = [this] {
        std::vector<Frame> out;
        for (uint32_t at = 0; at < 1237; at += 512) {
            const std::vector<Frame> block = ProcessAt(at);
            out.insert(out.end(), block.begin(), block.end());
        }
        return out;
    };
    const std::vector<Frame> direct = whole();
    ASSERT_NE(Insert("passthrough"), nullptr);
    ASSERT_TRUE(host.Chain().At(0).OutOfProcess());
    EXPECT_EQ(whole(), direct);
    EXPECT_EQ(direct, noise);

    // A stateful effect: its settings kept, a crash, a reload, and its settings are back.
    host.Chain().Clear();
    UseFrames(input);
    vst::AEffect* faulty = Insert("faulty_crash_later");
    ASSERT_NE(faulty, nullptr);
    EffectSlot& slot = host.Chain().At(0);
    faulty->setParameter(faulty, 0, 1.0f);  // doubles
    std::string why;
    const std::optional<EffectState> state = EffectState::Read(faulty, why);
    ASSERT_TRUE(state.has_value()) << why;
    const std::string bytes = state->Encode();
    slot.KeepState({bytes.begin(), bytes.end()});
    faulty->setParameter(faulty, 0, 0.1f);  // not kept: lost with the crash
    for (int k = 0; k < 60 && slot.Fault() == EffectFault::None; ++k) {
        ProcessAt(0);
    }
    ASSERT_EQ(slot.Fault(), EffectFault::Crashed);
    EXPECT_EQ(ProcessAt(0), input) << "passed by";

    ASSERT_TRUE(slot.Reload(why)) << why;
    EXPECT_EQ(slot.Fault(), EffectFault::None);
    EXPECT_EQ(ProcessAt(0), Scaled(input, 2.0f));
    EXPECT_EQ(slot.Effect()->getParameter(slot.Effect(), 0), 1.0f);
    host.Chain().Clear();
    EXPECT_EQ(ZombieChildren(), 0);
}

}  // namespace
