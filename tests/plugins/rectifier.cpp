// A half-wave rectifier: positive samples pass, negative ones become 0. Unlike a gain, it
// gives a different result before and after a polarity flip.

#include "TestEffect.h"

namespace {

class Rectifier : public TestEffect {
public:
    explicit Rectifier(vst::HostCallbackProc host) : TestEffect(host, "Rectifier", 2, 2) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                outputs[c][i] = inputs[c][i] > 0.0f ? inputs[c][i] : 0.0f;
            }
        }
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Rectifier(host))->Effect();
}
