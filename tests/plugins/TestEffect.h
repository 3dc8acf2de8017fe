#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/VstAbi.h"

/// Marks a plug-in's exported entry point.
#define ORVANE_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

/// The common body of the test plug-ins: an AEffect whose dispatcher and processing reach
/// virtual members. The object deletes itself on effClose, as real plug-ins do, so a host that
/// forgets effClose leaks it (and the leak checker says so).
class TestEffect {
public:
    TestEffect(vst::HostCallbackProc host, std::string name, int32_t inputs, int32_t outputs,
               int32_t params = 0);
    virtual ~TestEffect() = default;
    TestEffect(const TestEffect&) = delete;
    TestEffect& operator=(const TestEffect&) = delete;

    vst::AEffect* Effect() { return &effect; }

protected:
    /// Answers effGetEffectName with the name; everything else with 0.
    virtual intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    /// Copies each declared input to the output of the same number.
    virtual void Process(float** inputs, float** outputs, int32_t frames);
    virtual float GetParameter(int32_t /*index*/) { return 0.0f; }
    virtual void SetParameter(int32_t /*index*/, float /*value*/) {}

    vst::HostCallbackProc host;
    vst::AEffect effect{};
    std::string name;

private:
    static intptr_t DispatchEntry(vst::AEffect* e, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);
    static void ProcessEntry(vst::AEffect* e, float** inputs, float** outputs, int32_t frames);
    static float GetParameterEntry(vst::AEffect* e, int32_t index);
    static void SetParameterEntry(vst::AEffect* e, int32_t index, float value);
};

/// A stereo effect with memory: a line of `length` frames per channel, cleared when the host
/// resumes it (effMainsChanged 1), as real effects clear theirs.
class DelayLineEffect : public TestEffect {
protected:
    DelayLineEffect(vst::HostCallbackProc host, std::string name, size_t length);

    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
    void Process(float** inputs, float** outputs, int32_t frames) override;
    /// One sample through the line: `stored` holds what went in `length` frames ago and is
    /// replaced by what the line keeps now; the result is the output.
    virtual float Step(float input, float& stored) = 0;

private:
    std::array<std::vector<float>, 2> lines;
    size_t at = 0;
};
