// Writes what no 16-bit sample can hold: NaN on the left, alternating infinities on the right.

#include <limits>

#include "TestEffect.h"

namespace {

class NotANumber : public TestEffect {
public:
    explicit NotANumber(vst::HostCallbackProc host) : TestEffect(host, "NaN", 2, 2) {}

protected:
    void Process(float**, float** outputs, int32_t frames) override {
        const float infinity = std::numeric_limits<float>::infinity();
        for (int32_t i = 0; i < frames; ++i) {
            outputs[0][i] = std::numeric_limits<float>::quiet_NaN();
            outputs[1][i] = i % 2 == 0 ? infinity : -infinity;
        }
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new NotANumber(host))->Effect();
}
