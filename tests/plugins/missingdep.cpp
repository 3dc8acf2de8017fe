// Hostile: needs a library (libvanished.so) that the loader cannot find.

#include "TestEffect.h"

extern "C" int VanishedAnswer();

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return VanishedAnswer() == 42 ? (new TestEffect(host, "Missing dependency", 2, 2))->Effect()
                                  : nullptr;
}
