// A level-dependent effect: clips both channels at half of full scale (+-0.5, where full
// scale is +-1.0) and reports, as parameter 0, the largest magnitude it has heard since it
// was resumed.

#include <algorithm>
#include <cmath>

#include "TestEffect.h"

namespace {

constexpr float kCeiling = 0.5f;

class Clip : public TestEffect {
public:
    explicit Clip(vst::HostCallbackProc host) : TestEffect(host, "Clip", 2, 2, 1) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (opcode == vst::effMainsChanged && value == 1) {
            loudest = 0.0f;
        }
        return TestEffect::Dispatch(opcode, index, value, ptr, opt);
    }
    float GetParameter(int32_t index) override { return index == 0 ? loudest : 0.0f; }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                loudest = std::max(loudest, std::fabs(inputs[c][i]));
                outputs[c][i] = std::clamp(inputs[c][i], -kCeiling, kCeiling);
            }
        }
    }

private:
    float loudest = 0.0f;
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Clip(host))->Effect();
}
