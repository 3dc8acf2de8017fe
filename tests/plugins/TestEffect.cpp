#include "TestEffect.h"

#include <algorithm>
#include <cstring>

namespace {

TestEffect* Self(vst::AEffect* e) {
    return static_cast<TestEffect*>(e->object);
}

}  // namespace

TestEffect::TestEffect(vst::HostCallbackProc host, std::string name, int32_t inputs,
                       int32_t outputs, int32_t params)
    : host(host), name(std::move(name)) {
    effect.magic = vst::kMagic;
    effect.dispatcher = &DispatchEntry;
    effect.processReplacing = &ProcessEntry;
    effect.getParameter = &GetParameterEntry;
    effect.setParameter = &SetParameterEntry;
    effect.numInputs = inputs;
    effect.numOutputs = outputs;
    effect.numParams = params;
    effect.flags = vst::effFlagsCanReplacing;
    effect.object = this;
}

intptr_t TestEffect::Dispatch(int32_t opcode, int32_t, intptr_t, void* ptr, float) {
    if (opcode == vst::effGetEffectName && ptr != nullptr) {
        std::memcpy(ptr, name.c_str(), name.size() + 1);
        return 1;
    }
    return 0;
}

void TestEffect::Process(float** inputs, float** outputs, int32_t frames) {
    const int32_t channels = std::min(effect.numInputs, effect.numOutputs);
    for (int32_t c = 0; c < channels; ++c) {
        std::copy(inputs[c], inputs[c] + frames, outputs[c]);
    }
}

intptr_t TestEffect::DispatchEntry(vst::AEffect* e, int32_t opcode, int32_t index, intptr_t value,
                                   void* ptr, float opt) {
    TestEffect* self = Self(e);
    const intptr_t answer = self->Dispatch(opcode, index, value, ptr, opt);
    if (opcode == vst::effClose) {
        delete self;
    }
    return answer;
}

void TestEffect::ProcessEntry(vst::AEffect* e, float** inputs, float** outputs, int32_t frames) {
    Self(e)->Process(inputs, outputs, frames);
}

float TestEffect::GetParameterEntry(vst::AEffect* e, int32_t index) {
    return Self(e)->GetParameter(index);
}

void TestEffect::SetParameterEntry(vst::AEffect* e, int32_t index, float value) {
    Self(e)->SetParameter(index, value);
}

DelayLineEffect::DelayLineEffect(vst::HostCallbackProc host, std::string name, size_t length)
    : TestEffect(host, std::move(name), 2, 2),
      lines{std::vector<float>(length), std::vector<float>(length)} {}

intptr_t DelayLineEffect::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                   float opt) {
    if (opcode == 12 && value == 1) {  // effMainsChanged: resumed
        for (auto& line : lines) {
            std::fill(line.begin(), line.end(), 0.0f);
        }
    }
    return TestEffect::Dispatch(opcode, index, value, ptr, opt);
}

void DelayLineEffect::Process(float** inputs, float** outputs, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            outputs[c][i] = Step(inputs[c][i], lines[c][at]);
        }
        at = (at + 1) % lines[0].size();
    }
}
