// Copies its two inputs to its two outputs. Exports only the entry name "main", which a C++
// function cannot be called, so the symbol name is given to the linker directly.

#include "TestEffect.h"

ORVANE_PLUGIN_EXPORT vst::AEffect* PassthroughMain(vst::HostCallbackProc host) __asm__("main");

vst::AEffect* PassthroughMain(vst::HostCallbackProc host) {
    return (new TestEffect(host, "Passthrough", 2, 2))->Effect();
}
