// Effects whose channel counts cannot be hosted, or that report an absurd latency or a negative
// parameter count, are refused when loaded, with the number in the reason, instead of being
// passed over while the user hears the dry signal (or a render of pure silence).

#include "HostFixture.h"
#include "support/LoadedEffect.h"

namespace {

using SetCountsProc = void (*)(int32_t inputs, int32_t outputs);
using SetReportsProc = void (*)(int32_t initialDelay, int32_t params);

class ChannelCounts : public HostFixture {};

TEST_F(ChannelCounts, RefusedOutsideOneToSixtyFour) {
    const struct {
        int32_t inputs;
        int32_t outputs;
        bool accepted;
    } cases[] = {
        {2, 2, true},   {1, 1, true},   {64, 64, true},      {2, 6, true},
        {0, 2, false},  {2, 0, false},  {-1, 2, false},      {2, -3, false},
        {65, 2, false}, {2, 65, false}, {1000, 1000, false}, {INT32_MIN, INT32_MAX, false},
    };
    Configure();
    Install({"counts"});
    platform::SharedLibrary library;
    ASSERT_TRUE(library.Open(Installed("counts.so"))) << library.ErrorText();
    auto setCounts = reinterpret_cast<SetCountsProc>(library.Symbol("SetCountsForNextLoad"));
    ASSERT_NE(setCounts, nullptr);
    UseFrames(std::vector<testing_support::Frame>(600, MakeFrame(1000, -1000)));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.inputs) + " in, " + std::to_string(c.outputs) + " out");
        setCounts(c.inputs, c.outputs);
        vst::AEffect* effect = EffectOf(host.AddEffect("counts.so"));
        EXPECT_EQ(effect != nullptr, c.accepted);
        EXPECT_EQ(host.ChainSize(), c.accepted ? 1u : 0u);
        if (c.accepted) {
            EXPECT_EQ(ProcessAt(0).size(), 512u);
            host.RemoveEffect(0);
            continue;
        }
        const std::string& reason = host.LastLoadError();
        EXPECT_NE(reason.find("declares " + std::to_string(c.inputs) + " inputs and " +
                              std::to_string(c.outputs) + " outputs"),
                  std::string::npos)
            << reason;
    }
}

TEST_F(ChannelCounts, AbsurdLatencyOrNegativeParameterCountRefused) {
    const struct {
        int32_t delay;
        int32_t params;
        const char* reason;  // empty: accepted
    } cases[] = {
        {0, 0, ""},
        {441000, 3, ""},  // ten seconds at 44.1 kHz, the most a look-ahead may ask for
        {-5, 600, ""},
        {441001, 0, "latency of 441001 frames, more than 10 seconds at 44100 Hz"},
        {0x7fffffff, 2, "latency of 2147483647 frames"},
        {0, -7, "reports -7 parameters"},
        {0, INT32_MIN, "reports -2147483648 parameters"},
    };
    Configure();
    Install({"counts"});
    platform::SharedLibrary library;
    ASSERT_TRUE(library.Open(Installed("counts.so"))) << library.ErrorText();
    auto setReports = reinterpret_cast<SetReportsProc>(library.Symbol("SetReportsForNextLoad"));
    ASSERT_NE(setReports, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.delay) + " frames late, " + std::to_string(c.params) +
                     " parameters");
        const bool accepted = *c.reason == '\0';
        setReports(c.delay, c.params);
        vst::AEffect* effect = EffectOf(host.AddEffect("counts.so"));
        EXPECT_EQ(effect != nullptr, accepted);
        EXPECT_EQ(host.ChainSize(), accepted ? 1u : 0u);
        if (accepted) {
            host.RemoveEffect(0);
        } else {
            EXPECT_NE(host.LastLoadError().find(c.reason), std::string::npos)
                << host.LastLoadError();
        }
        // The examination refuses it alike, so the catalogue lists it as failed with the reason.
        const PluginInfo info = host.Examine(Installed("counts.so"));
        EXPECT_EQ(info.ok, accepted) << info.failure;
        EXPECT_NE(info.failure.find(c.reason), std::string::npos) << info.failure;
    }
    setReports(0, 0);
}

}  // namespace
