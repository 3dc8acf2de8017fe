// The echo of echo.cpp with a constant offset added to every output sample, as an effect with
// a DC fault would have: after its input stops, its output settles on the offset, never on 0.

#include "TestEffect.h"

namespace {

constexpr float kOffset = 0.01f;

class Offset : public DelayLineEffect {
public:
    explicit Offset(vst::HostCallbackProc host) : DelayLineEffect(host, "Offset Echo", 441) {}

protected:
    float Step(float input, float& stored) override {
        stored = input + 0.5f * stored;
        return stored + kOffset;
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Offset(host))->Effect();
}
