// An effect that delays its input by 300 frames and says so in initialDelay, as look-ahead
// effects do. Resuming clears the delay line.

#include <algorithm>
#include <array>
#include <vector>

#include "TestEffect.h"

namespace {

constexpr int32_t kLatency = 300;

class Latency : public TestEffect {
public:
    explicit Latency(vst::HostCallbackProc host) : TestEffect(host, "Latency", 2, 2) {
        effect.initialDelay = kLatency;
    }

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
                const float delayed = lines[c][at];
                lines[c][at] = inputs[c][i];
                outputs[c][i] = delayed;
            }
            at = (at + 1) % kLatency;
        }
    }

private:
    std::array<std::vector<float>, 2> lines{std::vector<float>(kLatency),
                                            std::vector<float>(kLatency)};
    size_t at = 0;
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Latency(host))->Effect();
}
