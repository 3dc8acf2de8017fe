#pragma once

#include <cstddef>
#include <cstdint>

/// The binary interface of VST 2 effect plug-ins as 64-bit Linux libraries lay it out: the
/// effect structure a plug-in hands to its host, the function types on both sides, and the
/// opcode numbers this program uses. Only the fields and opcodes the host touches are named;
/// the rest are kept as reserved space so the layout stays exact.
namespace vst {

struct AEffect;

/// The host's entry point for plug-in requests (the plug-in calls it, the host answers).
using HostCallbackProc = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index,
                                      intptr_t value, void* ptr, float opt);
/// The plug-in's request entry point (the host calls it).
using DispatcherProc = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt);
/// Block processing: reads `sampleFrames` floats from each input, writes each output.
using ProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs,
                             int32_t sampleFrames);
using SetParameterProc = void (*)(AEffect* effect, int32_t index, float value);
using GetParameterProc = float (*)(AEffect* effect, int32_t index);
/// The exported function ("VSTPluginMain" or "main") that creates an effect.
using EntryProc = AEffect* (*)(HostCallbackProc host);

/// The four characters "VstP" read as a big-endian number; every valid effect carries it.
constexpr int32_t kMagic = 0x56737450;

struct AEffect {
    int32_t magic;
    DispatcherProc dispatcher;
    ProcessProc process;  // the accumulating variant; never called by this host
    SetParameterProc setParameter;
    GetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    intptr_t reserved1;
    intptr_t reserved2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;  // the plug-in's own pointer
    void* user;    // free for the host
    int32_t uniqueId;
    int32_t version;
    ProcessProc processReplacing;
    ProcessProc processDoubleReplacing;
    char future[56];
};

static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, numParams) == 44);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(sizeof(AEffect) == 192);

/// An editor's rectangle in pixels, as effEditGetRect reports it.
struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

/// Bits of AEffect::flags.
constexpr int32_t effFlagsHasEditor = 1 << 0;
constexpr int32_t effFlagsCanReplacing = 1 << 4;
constexpr int32_t effFlagsProgramChunks = 1 << 5;
constexpr int32_t effFlagsIsSynth = 1 << 8;
constexpr int32_t effFlagsNoSoundInStop = 1 << 9;
constexpr int32_t effFlagsCanDoubleReplacing = 1 << 12;

/// What effGetPlugCategory answers.
constexpr int32_t kPlugCategUnknown = 0;
constexpr int32_t kPlugCategEffect = 1;
constexpr int32_t kPlugCategSynth = 2;
constexpr int32_t kPlugCategAnalysis = 3;
constexpr int32_t kPlugCategMastering = 4;
constexpr int32_t kPlugCategSpacializer = 5;
constexpr int32_t kPlugCategRoomFx = 6;
constexpr int32_t kPlugCategSurroundFx = 7;
constexpr int32_t kPlugCategRestoration = 8;
constexpr int32_t kPlugCategOfflineProcess = 9;
constexpr int32_t kPlugCategShell = 10;
constexpr int32_t kPlugCategGenerator = 11;

/// Requests from the host to the effect (the dispatcher's opcode).
constexpr int32_t effOpen = 0;
constexpr int32_t effClose = 1;
constexpr int32_t effSetProgram = 2;
constexpr int32_t effGetProgram = 3;
constexpr int32_t effSetProgramName = 4;
constexpr int32_t effGetProgramName = 5;
constexpr int32_t effGetParamLabel = 6;
constexpr int32_t effGetParamDisplay = 7;
constexpr int32_t effGetParamName = 8;
constexpr int32_t effSetSampleRate = 10;
constexpr int32_t effSetBlockSize = 11;
constexpr int32_t effMainsChanged = 12;
constexpr int32_t effEditGetRect = 13;
constexpr int32_t effEditOpen = 14;
constexpr int32_t effEditClose = 15;
constexpr int32_t effEditIdle = 19;
constexpr int32_t effGetChunk = 23;
constexpr int32_t effSetChunk = 24;
constexpr int32_t effProcessEvents = 25;
constexpr int32_t effGetProgramNameIndexed = 29;
constexpr int32_t effGetPlugCategory = 35;
constexpr int32_t effGetEffectName = 45;
constexpr int32_t effGetVendorString = 47;
constexpr int32_t effGetProductString = 48;
constexpr int32_t effGetVendorVersion = 49;
constexpr int32_t effCanDo = 51;
constexpr int32_t effGetTailSize = 52;
constexpr int32_t effIdle = 53;
constexpr int32_t effGetVstVersion = 58;
constexpr int32_t effBeginSetProgram = 67;
constexpr int32_t effEndSetProgram = 68;

/// Requests from the effect to the host (the host callback's opcode).
constexpr int32_t audioMasterAutomate = 0;
constexpr int32_t audioMasterVersion = 1;
constexpr int32_t audioMasterCurrentId = 2;
constexpr int32_t audioMasterIdle = 3;
constexpr int32_t audioMasterWantMidi = 6;
constexpr int32_t audioMasterGetTime = 7;
constexpr int32_t audioMasterProcessEvents = 8;
constexpr int32_t audioMasterIOChanged = 13;
constexpr int32_t audioMasterNeedIdle = 14;
constexpr int32_t audioMasterSizeWindow = 15;
constexpr int32_t audioMasterGetSampleRate = 16;
constexpr int32_t audioMasterGetBlockSize = 17;
constexpr int32_t audioMasterGetVendorString = 32;
constexpr int32_t audioMasterGetProductString = 33;
constexpr int32_t audioMasterGetVendorVersion = 34;
constexpr int32_t audioMasterCanDo = 37;
constexpr int32_t audioMasterGetLanguage = 38;
constexpr int32_t audioMasterUpdateDisplay = 42;
constexpr int32_t audioMasterBeginEdit = 43;
constexpr int32_t audioMasterEndEdit = 44;

}  // namespace vst
