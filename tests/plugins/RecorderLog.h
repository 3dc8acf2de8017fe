#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// What the call-recorder test plug-in saw, kept in the plug-in library for the test to read
/// through the exported function RecorderLogOf (the test holds its own reference to the
/// library, so the log outlives the host's loads and unloads).
struct RecorderLog {
    struct Call {
        int32_t opcode;
        int32_t index;
        intptr_t value;
        float opt;
    };
    struct Answer {
        int32_t opcode;
        bool nullEffect;  // asked from the entry point, before the effect existed for the host
        intptr_t answer;
        std::string text;  // for the vendor and product requests: the bytes the host wrote
    };

    std::vector<Call> calls;         // every dispatcher call, in order
    std::vector<Answer> answers;     // every host answer, in order
    std::vector<int32_t> processed;  // sampleFrames of every processReplacing call
    std::vector<float> lastLeft;     // the inputs of the latest processReplacing call
    std::vector<float> lastRight;

    void Clear() { *this = RecorderLog{}; }
};

using RecorderLogProc = RecorderLog* (*)();
