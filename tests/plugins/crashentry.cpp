// Hostile: its entry point crashes (as a broken library would), before any effect exists.

#include <csignal>

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc) {
    std::raise(SIGSEGV);
    return nullptr;
}
