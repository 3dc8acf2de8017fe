// An entry point that creates no effect.

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc) {
    return nullptr;
}
