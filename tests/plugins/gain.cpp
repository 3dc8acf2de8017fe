// Three parameters with names, labels and display texts: Gain (the output is the input times
// twice the value, so 0.5 is unity), Left and Right (per-channel switches, on above 0.5).

#include <cstdio>
#include <cstring>

#include "TestEffect.h"

namespace {

constexpr const char* kNames[] = {"Gain", "Left", "Right"};
constexpr const char* kLabels[] = {"x", "", ""};

class Gain : public TestEffect {
public:
    explicit Gain(vst::HostCallbackProc host) : TestEffect(host, "Gain", 2, 2, 3) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (index < 0 || index > 2 || ptr == nullptr) {
            return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
        char* text = static_cast<char*>(ptr);
        switch (opcode) {
            case vst::effGetParamName:
                std::strcpy(text, kNames[index]);
                return 0;
            case vst::effGetParamLabel:
                std::strcpy(text, kLabels[index]);
                return 0;
            case vst::effGetParamDisplay:
                if (index == 0) {
                    std::snprintf(text, 16, "%.2f", 2.0 * values[0]);
                } else {
                    std::strcpy(text, values[index] > 0.5f ? "on" : "off");
                }
                return 0;
            default:
                return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
    }
    float GetParameter(int32_t index) override {
        return index >= 0 && index < 3 ? values[index] : 0;
    }
    void SetParameter(int32_t index, float value) override {
        if (index >= 0 && index < 3) {
            values[index] = value;
        }
    }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t c = 0; c < 2; ++c) {
            const float factor = values[1 + c] > 0.5f ? 2.0f * values[0] : 0.0f;
            for (int32_t i = 0; i < frames; ++i) {
                outputs[c][i] = inputs[c][i] * factor;
            }
        }
    }

private:
    float values[3] = {0.5f, 1.0f, 1.0f};
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Gain(host))->Effect();
}
