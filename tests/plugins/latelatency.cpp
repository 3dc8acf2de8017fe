// An effect that delays its input by 300 frames but, like many look-ahead limiters, reports
// initialDelay 0 until it has processed: its second processReplacing call after a resume sets
// initialDelay to 300 and tells the host with audioMasterIOChanged. Resuming clears the delay
// line and the reported delay alike, so a host must learn the delay again after every reset.

#include "TestEffect.h"

namespace {

constexpr int32_t kLatency = 300;
constexpr int kCallsBeforeReporting = 1;

class LateLatency : public DelayLineEffect {
public:
    explicit LateLatency(vst::HostCallbackProc host)
        : DelayLineEffect(host, "Late Latency", kLatency) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (opcode == vst::effMainsChanged && value == 1) {
            effect.initialDelay = 0;
            calls = 0;
        }
        return DelayLineEffect::Dispatch(opcode, index, value, ptr, opt);
    }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        if (calls++ == kCallsBeforeReporting) {
            effect.initialDelay = kLatency;
            host(&effect, vst::audioMasterIOChanged, 0, 0, nullptr, 0.0f);
        }
        DelayLineEffect::Process(inputs, outputs, frames);
    }
    float Step(float input, float& stored) override {
        const float delayed = stored;
        stored = input;
        return delayed;
    }

private:
    int calls = 0;
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new LateLatency(host))->Effect();
}
