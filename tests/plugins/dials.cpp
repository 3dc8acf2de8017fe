// An effect without an editor of its own and a number of parameters "Dial 1", "Dial 2", ...
// (3 unless SetDialCount, called before the effect is created, says otherwise), each shown as
// its value with two decimals and the label "dB". Parameter i starts at 0.5,
// 1.0 or 0.25 as i % 3 is 0, 1 or 2. Parameter 1 has a name and a label far longer than a
// row of the generated dialog shows (and than the historic 8- to 19-character limits).

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TestEffect.h"

namespace {

constexpr const char* kLongName = "Parameter one with a name far longer than its row";
constexpr const char* kLongLabel = "dB of a label longer than nineteen characters";
constexpr float kStartValues[] = {0.5f, 1.0f, 0.25f};

int32_t dialCount = 3;

class Dials : public TestEffect {
public:
    explicit Dials(vst::HostCallbackProc host)
        : TestEffect(host, "Dials", 2, 2, dialCount), values(static_cast<size_t>(dialCount)) {
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = kStartValues[i % 3];
        }
    }

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (index < 0 || index >= effect.numParams || ptr == nullptr) {
            return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
        char* text = static_cast<char*>(ptr);
        switch (opcode) {
            case vst::effGetParamName:
                if (index == 1) {
                    std::strcpy(text, kLongName);
                } else {
                    std::snprintf(text, 16, "Dial %d", index + 1);
                }
                return 0;
            case vst::effGetParamLabel:
                std::strcpy(text, index == 1 ? kLongLabel : "dB");
                return 0;
            case vst::effGetParamDisplay:
                std::snprintf(text, 16, "%.2f", static_cast<double>(values[index]));
                return 0;
            default:
                return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
    }
    float GetParameter(int32_t index) override {
        return index >= 0 && index < effect.numParams ? values[index] : 0.0f;
    }
    void SetParameter(int32_t index, float value) override {
        if (index >= 0 && index < effect.numParams) {
            values[index] = value;
        }
    }

private:
    std::vector<float> values;  // one per parameter
};

}  // namespace

ORVANE_PLUGIN_EXPORT void SetDialCount(int32_t count) {
    dialCount = count;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Dials(host))->Effect();
}
