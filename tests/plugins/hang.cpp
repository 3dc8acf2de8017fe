// Hostile: its entry point never returns.

#include <unistd.h>

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc) {
    for (;;) {
        ::pause();
    }
}
