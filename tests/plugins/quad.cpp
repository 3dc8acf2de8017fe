// Four inputs, two outputs: output c is input c plus input c + 2, so anything but silence on
// the extra inputs shows in the result.

#include "TestEffect.h"

namespace {

class Quad : public TestEffect {
public:
    explicit Quad(vst::HostCallbackProc host) : TestEffect(host, "Quad", 4, 2) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                outputs[c][i] = inputs[c][i] + inputs[c + 2][i];
            }
            // Scribbles on its extra input afterwards, as careless plug-ins do.
            inputs[c + 2][0] = 1.0f;
        }
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Quad(host))->Effect();
}
