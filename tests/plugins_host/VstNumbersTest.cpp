// The VST 2 numbers of platform/VstAbi.h against their published values, written here as
// plain numbers so that a wrong constant cannot agree with itself.

#include <gtest/gtest.h>

#include <cstddef>

#include "platform/VstAbi.h"

namespace {

struct Number {
    const char* name;
    long long value;      // the constant as the header defines it
    long long published;  // the number plug-ins are built with
};

#define ORVANE_NUMBER(constant, published) \
    { #constant, vst::constant, published }

TEST(VstNumbers, EveryOpcodeAndConstantHasItsPublishedValue) {
    const Number numbers[] = {
        ORVANE_NUMBER(kMagic, 0x56737450),
        // Host to effect.
        ORVANE_NUMBER(effOpen, 0),
        ORVANE_NUMBER(effClose, 1),
        ORVANE_NUMBER(effSetProgram, 2),
        ORVANE_NUMBER(effGetParamLabel, 6),
        ORVANE_NUMBER(effGetParamDisplay, 7),
        ORVANE_NUMBER(effGetParamName, 8),
        ORVANE_NUMBER(effSetSampleRate, 10),
        ORVANE_NUMBER(effSetBlockSize, 11),
        ORVANE_NUMBER(effMainsChanged, 12),
        ORVANE_NUMBER(effEditGetRect, 13),
        ORVANE_NUMBER(effEditOpen, 14),
        ORVANE_NUMBER(effEditClose, 15),
        ORVANE_NUMBER(effEditIdle, 19),
        ORVANE_NUMBER(effGetChunk, 23),
        ORVANE_NUMBER(effSetChunk, 24),
        ORVANE_NUMBER(effProcessEvents, 25),
        ORVANE_NUMBER(effGetPlugCategory, 35),
        ORVANE_NUMBER(effGetEffectName, 45),
        ORVANE_NUMBER(effGetVendorString, 47),
        ORVANE_NUMBER(effGetProductString, 48),
        ORVANE_NUMBER(effGetVendorVersion, 49),
        ORVANE_NUMBER(effCanDo, 51),
        ORVANE_NUMBER(effGetTailSize, 52),
        ORVANE_NUMBER(effIdle, 53),
        ORVANE_NUMBER(effGetVstVersion, 58),
        // Effect to host.
        ORVANE_NUMBER(audioMasterAutomate, 0),
        ORVANE_NUMBER(audioMasterVersion, 1),
        ORVANE_NUMBER(audioMasterCurrentId, 2),
        ORVANE_NUMBER(audioMasterIdle, 3),
        ORVANE_NUMBER(audioMasterWantMidi, 6),
        ORVANE_NUMBER(audioMasterGetTime, 7),
        ORVANE_NUMBER(audioMasterProcessEvents, 8),
        ORVANE_NUMBER(audioMasterIOChanged, 13),
        ORVANE_NUMBER(audioMasterNeedIdle, 14),
        ORVANE_NUMBER(audioMasterSizeWindow, 15),
        ORVANE_NUMBER(audioMasterGetSampleRate, 16),
        ORVANE_NUMBER(audioMasterGetBlockSize, 17),
        ORVANE_NUMBER(audioMasterGetVendorString, 32),
        ORVANE_NUMBER(audioMasterGetProductString, 33),
        ORVANE_NUMBER(audioMasterGetVendorVersion, 34),
        ORVANE_NUMBER(audioMasterCanDo, 37),
        ORVANE_NUMBER(audioMasterGetLanguage, 38),
        ORVANE_NUMBER(audioMasterUpdateDisplay, 42),
        ORVANE_NUMBER(audioMasterBeginEdit, 43),
        ORVANE_NUMBER(audioMasterEndEdit, 44),
        // Flags.
        ORVANE_NUMBER(effFlagsHasEditor, 1),
        ORVANE_NUMBER(effFlagsCanReplacing, 16),
        ORVANE_NUMBER(effFlagsProgramChunks, 32),
        ORVANE_NUMBER(effFlagsIsSynth, 256),
        ORVANE_NUMBER(effFlagsNoSoundInStop, 512),
        ORVANE_NUMBER(effFlagsCanDoubleReplacing, 4096),
        // Categories.
        ORVANE_NUMBER(kPlugCategUnknown, 0),
        ORVANE_NUMBER(kPlugCategEffect, 1),
        ORVANE_NUMBER(kPlugCategSynth, 2),
        ORVANE_NUMBER(kPlugCategAnalysis, 3),
        ORVANE_NUMBER(kPlugCategMastering, 4),
        ORVANE_NUMBER(kPlugCategSpacializer, 5),
        ORVANE_NUMBER(kPlugCategRoomFx, 6),
        ORVANE_NUMBER(kPlugCategSurroundFx, 7),
        ORVANE_NUMBER(kPlugCategRestoration, 8),
        ORVANE_NUMBER(kPlugCategOfflineProcess, 9),
        ORVANE_NUMBER(kPlugCategShell, 10),
        ORVANE_NUMBER(kPlugCategGenerator, 11),
    };
    for (const Number& n : numbers) {
        EXPECT_EQ(n.value, n.published) << n.name;
    }
}

#undef ORVANE_NUMBER

TEST(VstNumbers, TheEffectStructureHasThePublishedLayoutOn64BitLinux) {
    const struct {
        const char* field;
        size_t offset;
        size_t published;
    } fields[] = {
        {"magic", offsetof(vst::AEffect, magic), 0},
        {"dispatcher", offsetof(vst::AEffect, dispatcher), 8},
        {"setParameter", offsetof(vst::AEffect, setParameter), 24},
        {"getParameter", offsetof(vst::AEffect, getParameter), 32},
        {"numPrograms", offsetof(vst::AEffect, numPrograms), 40},
        {"numInputs", offsetof(vst::AEffect, numInputs), 48},
        {"numOutputs", offsetof(vst::AEffect, numOutputs), 52},
        {"flags", offsetof(vst::AEffect, flags), 56},
        {"initialDelay", offsetof(vst::AEffect, initialDelay), 80},
        {"object", offsetof(vst::AEffect, object), 96},
        {"uniqueId", offsetof(vst::AEffect, uniqueId), 112},
        {"version", offsetof(vst::AEffect, version), 116},
        {"processReplacing", offsetof(vst::AEffect, processReplacing), 120},
        {"processDoubleReplacing", offsetof(vst::AEffect, processDoubleReplacing), 128},
        {"size", sizeof(vst::AEffect), 192},
        {"ERect::bottom", offsetof(vst::ERect, bottom), 4},
        {"ERect size", sizeof(vst::ERect), 8},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(f.offset, f.published) << f.field;
    }
}

}  // namespace
