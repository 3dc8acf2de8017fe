// Effects whose channel counts cannot be hosted are refused when loaded, with the counts in
// the reason, instead of being passed over while the user hears the dry signal.

#include "HostFixture.h"

namespace {

using SetCountsProc = void (*)(int32_t inputs, int32_t outputs);

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
        vst::AEffect* effect = host.LoadPlugin("counts.so", 0, true, nullptr);
        EXPECT_EQ(effect != nullptr, c.accepted);
        EXPECT_EQ(host.ChainSize(), c.accepted ? 1u : 0u);
        if (c.accepted) {
            EXPECT_EQ(ProcessAt(0).size(), 512u);
            host.UnloadPlugin(0, nullptr);
            continue;
        }
        const std::string& reason = host.LastLoadError();
        EXPECT_NE(reason.find("declares " + std::to_string(c.inputs) + " inputs and " +
                              std::to_string(c.outputs) + " outputs"),
                  std::string::npos)
            << reason;
    }
}

}  // namespace
