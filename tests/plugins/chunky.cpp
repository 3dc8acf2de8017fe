// An effect with three parameters ("Level", "Tone", "Mix") and four named programs, each with
// its own values. Built twice: as "chunky" (id 'Chnk') it keeps its settings as chunks of text,
// one program's ("chunky program", its name and values) or the whole bank's ("chunky bank",
// the current program and every program), and refuses a chunk of the wrong kind or form; it
// names its programs by index. As "chunky_params" (id 'ChPm', CHUNKY_PARAMETERS_ONLY) it takes
// no chunks and names only its current program, so a host must visit each program to list them.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "TestEffect.h"

namespace {

constexpr int32_t kParams = 3;
constexpr size_t kNameLimit = 24;  // what effects traditionally keep of a program name
constexpr const char* kParamNames[kParams] = {"Level", "Tone", "Mix"};
constexpr const char* kProgramNames[] = {"Warm Room", "Bright Hall", "Dark Plate", "Tiny Box"};

struct Program {
    std::string name;
    std::vector<float> values;
};

class Chunky : public TestEffect {
public:
    explicit Chunky(vst::HostCallbackProc host) : TestEffect(host, "Chunky", 2, 2, kParams) {
        for (size_t p = 0; p < std::size(kProgramNames); ++p) {
            Program program{kProgramNames[p], {}};
            for (int32_t k = 0; k < kParams; ++k) {
                program.values.push_back(static_cast<float>(p * kParams + k + 1) / 16.0f);
            }
            programs.push_back(program);
        }
        effect.numPrograms = static_cast<int32_t>(programs.size());
#ifdef CHUNKY_PARAMETERS_ONLY
        effect.uniqueId = 0x4368506D;  // 'ChPm'
#else
        effect.uniqueId = 0x43686E6B;  // 'Chnk'
        effect.flags |= vst::effFlagsProgramChunks;
#endif
        effect.version = 7;
    }

protected:
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                      float opt) override {
        char* text = static_cast<char*>(ptr);
        switch (opcode) {
            case vst::effSetProgram:
                if (value >= 0 && value < effect.numPrograms) {
                    current = static_cast<size_t>(value);
                }
                return 0;
            case vst::effGetProgram:
                return static_cast<intptr_t>(current);
            case vst::effSetProgramName:
                programs[current].name = std::string(text).substr(0, kNameLimit);
                return 0;
            case vst::effGetProgramName:
                std::strcpy(text, programs[current].name.c_str());
                return 0;
            case vst::effGetParamName:
                if (index >= 0 && index < kParams) {
                    std::strcpy(text, kParamNames[index]);
                }
                return 0;
#ifndef CHUNKY_PARAMETERS_ONLY
            case vst::effGetProgramNameIndexed:
                if (index < 0 || index >= effect.numPrograms) {
                    return 0;
                }
                std::strcpy(text, programs[static_cast<size_t>(index)].name.c_str());
                return 1;
            case vst::effGetChunk:
                chunk = index == 1 ? ProgramChunk() : BankChunk();
                *static_cast<void**>(ptr) = chunk.data();
                return static_cast<intptr_t>(chunk.size());
            case vst::effSetChunk: {
                const std::string given(static_cast<const char*>(ptr), static_cast<size_t>(value));
                return index == 1 ? SetProgramChunk(given) : SetBankChunk(given);
            }
#endif
            default:
                return TestEffect::Dispatch(opcode, index, value, ptr, opt);
        }
    }
    float GetParameter(int32_t index) override {
        return index >= 0 && index < kParams ? programs[current].values[index] : 0.0f;
    }
    void SetParameter(int32_t index, float value) override {
        if (index >= 0 && index < kParams) {
            programs[current].values[index] = value;
        }
    }

private:
    /// A program as two lines: its name, then its values in exact hexadecimal.
    static std::string Entry(const Program& program) {
        std::string out = program.name + "\n";
        for (float value : program.values) {
            char number[32];
            std::snprintf(number, sizeof number, "%a ", static_cast<double>(value));
            out += number;
        }
        return out + "\n";
    }
    static bool ReadEntry(std::istream& in, Program& program) {
        std::string values;
        if (!std::getline(in, program.name) || !std::getline(in, values)) {
            return false;
        }
        std::istringstream numbers(values);
        program.values.clear();
        std::string number;
        while (numbers >> number) {
            char* end = nullptr;
            program.values.push_back(std::strtof(number.c_str(), &end));
            if (*end != '\0') {
                return false;
            }
        }
        return program.values.size() == kParams;
    }

    std::string ProgramChunk() const {
        return "chunky program\n" + Entry(programs[current]);
    }
    std::string BankChunk() const {
        std::string out = "chunky bank\ncurrent " + std::to_string(current) + "\n";
        for (const Program& program : programs) {
            out += Entry(program);
        }
        return out;
    }
    intptr_t SetProgramChunk(const std::string& given) {
        std::istringstream in(given);
        std::string header;
        Program program;
        if (!std::getline(in, header) || header != "chunky program" || !ReadEntry(in, program) ||
            in.peek() != EOF) {
            return 0;
        }
        programs[current] = program;
        return 1;
    }
    intptr_t SetBankChunk(const std::string& given) {
        std::istringstream in(given);
        std::string header;
        std::string word;
        size_t chosen = 0;
        std::vector<Program> read(programs.size());
        if (!std::getline(in, header) || header != "chunky bank" || !(in >> word >> chosen) ||
            word != "current" || chosen >= programs.size()) {
            return 0;
        }
        in.ignore(1);
        for (Program& program : read) {
            if (!ReadEntry(in, program)) {
                return 0;
            }
        }
        if (in.peek() != EOF) {
            return 0;
        }
        programs = read;
        current = chosen;
        return 1;
    }

    std::vector<Program> programs;
    size_t current = 0;
    std::string chunk;  // the latest chunk handed out; the host copies it
};

}  // namespace

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Chunky(host))->Effect();
}
