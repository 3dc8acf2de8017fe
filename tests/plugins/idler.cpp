// Asks for idle time where a careless host would run it on the wrong thread or recursively:
// from processReplacing (audioMasterIdle and audioMasterNeedIdle) and from inside its own
// effEditIdle and effIdle. Records on which thread, and how deeply nested, its idle calls run.

#include <algorithm>
#include <thread>

#include "IdlerLog.h"
#include "TestEffect.h"

namespace {

IdlerLog idlerLog;

class Idler : public TestEffect {
public:
    explicit Idler(vst::HostCallbackProc host) : TestEffect(host, "Idler", 2, 2) {
        effect.flags |= vst::effFlagsHasEditor;
    }

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        if (opcode != vst::effEditIdle && opcode != vst::effIdle) {
            return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
        (opcode == vst::effEditIdle ? idlerLog.editIdles : idlerLog.effectIdles)++;
        if (std::this_thread::get_id() != idlerLog.idleThread.load()) {
            idlerLog.offThreadIdles++;
        }
        const int depth = ++idlerLog.depth;
        idlerLog.deepest = std::max(idlerLog.deepest.load(), depth);
        // Asks again from inside: a host that runs the request at once recurses for ever.
        host(&effect, opcode == vst::effEditIdle ? vst::audioMasterIdle : vst::audioMasterNeedIdle,
             0, 0, nullptr, 0.0f);
        --idlerLog.depth;
        return 1;
    }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        idlerLog.processed++;
        host(&effect, vst::audioMasterIdle, 0, 0, nullptr, 0.0f);
        host(&effect, vst::audioMasterNeedIdle, 0, 0, nullptr, 0.0f);
        TestEffect::Process(inputs, outputs, frames);
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT IdlerLog* IdlerLogOf() {
    return &idlerLog;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Idler(host))->Effect();
}
