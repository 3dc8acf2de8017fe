// An effect with memory: each channel hears itself again 441 frames (10 ms) later at half
// the level, again and again, so its output goes on after its input stops. Resuming
// (effMainsChanged 1) clears the memory, as real effects do.

#include <algorithm>
#include <array>
#include <vector>

#include "TestEffect.h"

namespace {

constexpr size_t kDelay = 441;

class Echo : public TestEffect {
public:
    explicit Echo(vst::HostCallbackProc host) : TestEffect(host, "Echo", 2, 2) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (opcode == 12 && value == 1) {  // effMainsChanged: resumed
            for (auto& line : lines) {
                std::fill(line.begin(), line.end(), 0.0f);
            }
        }
        return TestEffect::Dispatch(opcode, index, value, ptr, opt);
    }

    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i) {
            for (int c = 0; c < 2; ++c) {
                const float out = inputs[c][i] + 0.5f * lines[c][at];
                lines[c][at] = out;
                outputs[c][i] = out;
            }
            at = (at + 1) % kDelay;
        }
    }

private:
    std::array<std::vector<float>, 2> lines{std::vector<float>(kDelay), std::vector<float>(kDelay)};
    size_t at = 0;
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Echo(host))->Effect();
}
