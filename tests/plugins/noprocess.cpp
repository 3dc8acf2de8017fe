// An effect without processReplacing.

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    vst::AEffect* effect = (new TestEffect(host, "NoProcess", 2, 2))->Effect();
    effect->processReplacing = nullptr;
    return effect;
}
