// Flips the polarity of both channels: every sample is negated.

#include "TestEffect.h"

namespace {

class Polarity : public TestEffect {
public:
    explicit Polarity(vst::HostCallbackProc host) : TestEffect(host, "Polarity", 2, 2) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                outputs[c][i] = -inputs[c][i];
            }
        }
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Polarity(host))->Effect();
}
