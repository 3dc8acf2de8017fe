// An entry point whose structure lacks the magic number. The structure is static: a host must
// not call into it, so it could never be closed and freed.

#include "TestEffect.h"

namespace {

vst::AEffect notAnEffect{};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc) {
    notAnEffect.magic = 0x50747356;  // "VstP" with its bytes reversed
    return &notAnEffect;
}
