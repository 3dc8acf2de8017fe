// Hostile: a valid effect that crashes when the host opens it (effOpen).

#include <csignal>

#include "TestEffect.h"

namespace {

class CrashOnOpen : public TestEffect {
public:
    explicit CrashOnOpen(vst::HostCallbackProc host) : TestEffect(host, "Crash on open", 2, 2) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (opcode == 0) {  // effOpen
            std::raise(SIGSEGV);
        }
        return TestEffect::Dispatch(opcode, index, value, ptr, opt);
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new CrashOnOpen(host))->Effect();
}
