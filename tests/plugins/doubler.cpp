// Doubles every sample: full-scale input overshoots, which the host must saturate.

#include "TestEffect.h"

namespace {

class Doubler : public TestEffect {
public:
    explicit Doubler(vst::HostCallbackProc host) : TestEffect(host, "Doubler", 2, 2) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                outputs[c][i] = inputs[c][i] * 2.0f;
            }
        }
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Doubler(host))->Effect();
}
