// Declares whatever channel counts the test sets through SetCountsForNextLoad before the host
// loads it (the test holds its own reference to the library, so the setting survives).

#include "TestEffect.h"

namespace {

int32_t nextInputs = 2;
int32_t nextOutputs = 2;

}  // namespace

ORVANE_PLUGIN_EXPORT void SetCountsForNextLoad(int32_t inputs, int32_t outputs) {
    nextInputs = inputs;
    nextOutputs = outputs;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new TestEffect(host, "Counts", nextInputs, nextOutputs))->Effect();
}
