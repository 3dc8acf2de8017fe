// An instrument: no audio input, sound of its own from two outputs. The editor lists it but
// never offers it as an effect.

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new TestEffect(host, "Tone Organ", 0, 2))->Effect();
}
