// An effect that delays its input by 300 frames and says so in initialDelay, as look-ahead
// effects do. Resuming clears the delay line.

#include "TestEffect.h"

namespace {

constexpr int32_t kLatency = 300;

class Latency : public DelayLineEffect {
public:
    explicit Latency(vst::HostCallbackProc host) : DelayLineEffect(host, "Latency", kLatency) {
        effect.initialDelay = kLatency;
    }

protected:
    float Step(float input, float& stored) override {
        const float delayed = stored;
        stored = input;
        return delayed;
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Latency(host))->Effect();
}
