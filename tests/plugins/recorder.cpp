// Logs every dispatcher call and processing call, and asks the host every request it answers:
// from the entry point with a null effect, and again with its effect when sent the otherwise
// unused effGetVendorString (the idle requests make the host call back into the dispatcher).

#include <cstring>

#include "RecorderLog.h"
#include "TestEffect.h"

namespace {

RecorderLog recorderLog;

constexpr int32_t kAskedAtEntry[] = {
    vst::audioMasterAutomate,         vst::audioMasterVersion,
    vst::audioMasterCurrentId,        vst::audioMasterIdle,
    vst::audioMasterGetTime,          vst::audioMasterNeedIdle,
    vst::audioMasterGetSampleRate,    vst::audioMasterGetBlockSize,
    vst::audioMasterGetVendorString,  vst::audioMasterGetProductString,
    vst::audioMasterGetVendorVersion, vst::audioMasterGetLanguage,
};

void Ask(vst::HostCallbackProc host, vst::AEffect* effect, int32_t opcode) {
    char text[256];
    std::memset(text, 0, sizeof text);
    const intptr_t answer = host(effect, opcode, 0, 0, text, 0.0f);
    recorderLog.answers.push_back({opcode, effect == nullptr, answer, text});
}

class Recorder : public TestEffect {
public:
    explicit Recorder(vst::HostCallbackProc host) : TestEffect(host, "Recorder", 2, 2) {}

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        recorderLog.calls.push_back({opcode, index, value, opt});
        if (opcode == vst::effGetVendorString) {
            Ask(host, &effect, vst::audioMasterIdle);
            Ask(host, &effect, vst::audioMasterNeedIdle);
        }
        return TestEffect::Dispatch(opcode, index, value, ptr, opt);
    }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        recorderLog.processed.push_back(frames);
        recorderLog.lastLeft.assign(inputs[0], inputs[0] + frames);
        recorderLog.lastRight.assign(inputs[1], inputs[1] + frames);
        TestEffect::Process(inputs, outputs, frames);
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT RecorderLog* RecorderLogOf() {
    return &recorderLog;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    for (int32_t opcode : kAskedAtEntry) {
        Ask(host, nullptr, opcode);
    }
    return (new Recorder(host))->Effect();
}
