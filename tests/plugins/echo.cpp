// An effect with memory: each channel hears itself again 441 frames (10 ms) later at half
// the level, again and again, so its output goes on after its input stops. Resuming
// (effMainsChanged 1) clears the memory, as real effects do.

#include "TestEffect.h"

namespace {

class Echo : public DelayLineEffect {
public:
    explicit Echo(vst::HostCallbackProc host) : DelayLineEffect(host, "Echo", 441) {}

protected:
    float Step(float input, float& stored) override {
        stored = input + 0.5f * stored;
        return stored;
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Echo(host))->Effect();
}
