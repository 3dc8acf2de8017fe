// One input, one output: copies the input, so the host's mix and fan-out show in the result.

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new TestEffect(host, "Mono", 1, 1))->Effect();
}
