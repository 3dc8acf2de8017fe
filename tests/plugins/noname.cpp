// Answers effGetEffectName with 0, as plug-ins without a name do.

#include "TestEffect.h"

namespace {

class NoName : public TestEffect {
public:
    explicit NoName(vst::HostCallbackProc host) : TestEffect(host, "", 2, 2) {}

protected:
    intptr_t Dispatch(int32_t, int32_t, intptr_t, void*, float) override { return 0; }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new NoName(host))->Effect();
}
