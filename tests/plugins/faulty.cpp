// A stateful effect with one planted fault, built once per fault (see CMakeLists.txt):
// FAULT_AT names the call that goes wrong, FAULT_HANGS chooses a hang (sleeping for ever)
// over a crash (a write through a null pointer). Its one parameter, Gain, scales the audio by
// twice its value (0.5 is unity); its settings are a chunk, the text "gain=<value>".

#include <unistd.h>
#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TestEffect.h"

#define FAULT_NOWHERE 0
#define FAULT_PROCESS_FIRST 1
#define FAULT_PROCESS_LATER 2  // on the 50th block
#define FAULT_EDIT_OPEN 3
#define FAULT_EDIT_IDLE 4
#define FAULT_PARAM_NAME 5
#define FAULT_SET_PARAMETER 6
#define FAULT_GET_CHUNK 7

namespace {

constexpr int kLaterBlock = 50;

[[maybe_unused]] void GoWrong() {
#if FAULT_HANGS
    for (;;) {
        ::sleep(1000);
    }
#else
    // A segmentation fault that kills at once: a sanitizer's own handler would first spend
    // longer on its report than the host waits for a block.
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
#endif
}

void FaultIf(int where) {
    if (where == FAULT_AT) {
        GoWrong();
    }
}

class Faulty : public TestEffect {
public:
    explicit Faulty(vst::HostCallbackProc host) : TestEffect(host, "Faulty", 2, 2, 1) {
        effect.uniqueId = 0x46617574;  // 'Faut'
        effect.flags |= vst::effFlagsProgramChunks | vst::effFlagsHasEditor;
        effect.numPrograms = 1;
    }

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        switch (opcode) {
            case vst::effEditOpen:
                FaultIf(FAULT_EDIT_OPEN);
                return 1;
            case vst::effEditIdle:
                FaultIf(FAULT_EDIT_IDLE);
                return 0;
            case vst::effGetParamName:
                FaultIf(FAULT_PARAM_NAME);
                std::strcpy(static_cast<char*>(ptr), "Gain");
                return 0;
            case vst::effGetChunk:
                FaultIf(FAULT_GET_CHUNK);
                chunk = "gain=" + std::to_string(gain);
                *static_cast<void**>(ptr) = chunk.data();
                return static_cast<intptr_t>(chunk.size());
            case vst::effSetChunk: {
                const std::string given(static_cast<const char*>(ptr), static_cast<size_t>(value));
                if (!given.starts_with("gain=")) {
                    return 0;
                }
                gain = std::strtof(given.c_str() + 5, nullptr);
                return 1;
            }
            default:
                return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
    }
    float GetParameter(int32_t index) override { return index == 0 ? gain : 0.0f; }
    void SetParameter(int32_t index, float value) override {
        FaultIf(FAULT_SET_PARAMETER);
        if (index == 0) {
            gain = value;
        }
    }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        FaultIf(FAULT_PROCESS_FIRST);
        if (++blocks == kLaterBlock) {
            FaultIf(FAULT_PROCESS_LATER);
        }
        for (int32_t c = 0; c < 2; ++c) {
            for (int32_t i = 0; i < frames; ++i) {
                outputs[c][i] = inputs[c][i] * 2.0f * gain;
            }
        }
    }

private:
    float gain = 0.5f;
    int blocks = 0;
    std::string chunk;
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Faulty(host))->Effect();
}
