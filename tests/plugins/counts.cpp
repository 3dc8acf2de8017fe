// Declares whatever channel counts, latency and parameter count the test sets through
// SetCountsForNextLoad and SetReportsForNextLoad before the host loads it (the test holds its
// own reference to the library, so the settings survive).

#include "TestEffect.h"

namespace {

int32_t nextInputs = 2;
int32_t nextOutputs = 2;
int32_t nextDelay = 0;
int32_t nextParams = 0;

}  // namespace

ORVANE_PLUGIN_EXPORT void SetCountsForNextLoad(int32_t inputs, int32_t outputs) {
    nextInputs = inputs;
    nextOutputs = outputs;
}

ORVANE_PLUGIN_EXPORT void SetReportsForNextLoad(int32_t initialDelay, int32_t params) {
    nextDelay = initialDelay;
    nextParams = params;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    auto* effect = new TestEffect(host, "Counts", nextInputs, nextOutputs, nextParams);
    effect->Effect()->initialDelay = nextDelay;
    return effect->Effect();
}
