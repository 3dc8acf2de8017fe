#pragma once

#include <cstdint>
#include <vector>

/// What the editor test plug-ins saw, kept in the plug-in library for the test to read through
/// the exported function EditorLogOf (the test holds its own reference to the library, so the
/// log outlives the host's loads and unloads).
struct EditorLog {
    std::vector<int32_t> opcodes;          // every dispatcher call, in order
    std::vector<bool> parentAliveAtClose;  // per effEditClose: did the parent window exist
    uintptr_t parent = 0;                  // the window the latest effEditOpen was given
    int idles = 0;                         // effEditIdle calls since the latest effEditOpen
    intptr_t sizeAnswer = -1;              // the host's answer to the latest size request

    /// Self-sizing plug-in: the size it asks for during effEditOpen; 0 x 0 never asks.
    int32_t openWidth = 320;
    int32_t openHeight = 240;
    /// The request number it sends for a size: 15 asks for a size; anything else is how a
    /// plug-in asking something else (6 asks for MIDI) would look to a host that mixes them up.
    int32_t sizeOpcode = 15;

    /// Forgets the calls seen; keeps the parent and the configuration.
    void Clear() {
        opcodes.clear();
        parentAliveAtClose.clear();
        idles = 0;
        sizeAnswer = -1;
    }
};

using EditorLogProc = EditorLog* (*)();
/// Self-sizing plug-in: asks the host for a new editor size now; returns its answer.
using RequestEditorSizeProc = intptr_t (*)(int32_t width, int32_t height);
