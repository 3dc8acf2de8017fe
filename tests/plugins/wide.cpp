// Two inputs, six outputs: copies the inputs to outputs 0 and 1 and fills outputs 2 to 5 with
// a constant the host must drop.

#include <algorithm>

#include "TestEffect.h"

namespace {

class Wide : public TestEffect {
public:
    explicit Wide(vst::HostCallbackProc host) : TestEffect(host, "Wide", 2, 6) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        TestEffect::Process(inputs, outputs, frames);
        for (int32_t c = 2; c < 6; ++c) {
            std::fill(outputs[c], outputs[c] + frames, 0.25f);
        }
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Wide(host))->Effect();
}
