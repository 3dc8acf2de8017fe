// VST 2 preset files: written and read back, files built here byte by byte from the published
// layout, and the files that must be refused (with the effect left as it was).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "platform/SessionStorage.h"
#include "plugins/EffectState.h"
#include "plugins/PresetFile.h"

namespace {

// The published layout, big-endian, written out by hand.
std::string Be32(uint32_t value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    return std::string(bytes, 4);
}

std::string BeFloat(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return Be32(bits);
}

std::string Name28(const std::string& name) {
    std::string field = name;
    field.resize(28, '\0');
    return field;
}

std::string WithHeader(const std::string& rest) {
    return "CcnK" + Be32(static_cast<uint32_t>(rest.size())) + rest;
}

std::string FxpValues(const char* id, const std::string& name, const std::vector<float>& values) {
    std::string rest = "FxCk" + Be32(1) + id + Be32(7) + Be32(values.size()) + Name28(name);
    for (float value : values) {
        rest += BeFloat(value);
    }
    return WithHeader(rest);
}

std::string FxpChunk(const char* id, const std::string& name, const std::string& chunk) {
    return WithHeader("FPCh" + Be32(1) + id + Be32(7) + Be32(3) + Name28(name) +
                      Be32(chunk.size()) + chunk);
}

std::string FxbHeader(const char* magic, const char* id, uint32_t programs, uint32_t current) {
    return std::string(magic) + Be32(2) + id + Be32(7) + Be32(programs) + Be32(current) +
           std::string(124, '\0');
}

std::string FxbValues(const char* id, uint32_t current,
                      const std::vector<std::pair<std::string, std::vector<float>>>& programs) {
    std::string rest = FxbHeader("FxBk", id, programs.size(), current);
    for (const auto& [name, values] : programs) {
        rest += FxpValues(id, name, values);
    }
    return WithHeader(rest);
}

std::string FxbChunk(const char* id, uint32_t programs, const std::string& chunk) {
    return WithHeader(FxbHeader("FBCh", id, programs, 0) + Be32(chunk.size()) + chunk);
}

/// What chunky's chunks say about one program: its name, then its values in hexadecimal.
std::string ChunkyEntry(const std::string& name, const std::vector<float>& values) {
    std::string out = name + "\n";
    for (float value : values) {
        char number[32];
        std::snprintf(number, sizeof number, "%a ", static_cast<double>(value));
        out += number;
    }
    return out + "\n";
}

/// A program as the tests see it: name and values.
using Program = std::pair<std::string, std::vector<float>>;

class PresetFileTest : public HostFixture {
protected:
    void SetUp() override {
        Install({"chunky", "chunky_params"});
        Configure();
    }

    vst::AEffect* Fresh(const std::string& plugin) { return Insert(plugin, 99); }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string ReadFile(const std::string& path) {
        std::string bytes;
        std::string error;
        EXPECT_TRUE(platform::ReadWholeFile(path, bytes, error)) << error;
        return bytes;
    }

    /// Every program's name and values (visited in turn), then the current program.
    std::pair<std::vector<Program>, int32_t> Everything(vst::AEffect* effect) {
        const EffectPrograms programs(effect);
        const int32_t current = programs.Current();
        std::vector<Program> all;
        for (int32_t p = 0; p < programs.Count(); ++p) {
            programs.Choose(p);
            all.emplace_back(programs.CurrentName(), std::vector<float>());
            for (int32_t k = 0; k < effect->numParams; ++k) {
                all.back().second.push_back(effect->getParameter(effect, k));
            }
        }
        programs.Choose(current);
        return {all, current};
    }

    /// Gives each program other values and names, and leaves the effect on program 2.
    void Edit(vst::AEffect* effect) {
        const EffectPrograms programs(effect);
        for (int32_t p = 0; p < programs.Count(); ++p) {
            programs.Choose(p);
            programs.RenameCurrent("Edit " + std::to_string(p));
            for (int32_t k = 0; k < effect->numParams; ++k) {
                effect->setParameter(effect, k, 0.9f - 0.07f * static_cast<float>(p * 3 + k));
            }
        }
        programs.Choose(2);
    }
};

TEST_F(PresetFileTest, WrittenFilesLoadIntoAFreshInstanceAndWriteBackIdentical) {
    struct Case {
        const char* plugin;
        PresetFile::Scope scope;
        Preset::Form form;
    };
    const Case cases[] = {
        {"chunky", PresetFile::Scope::kProgram, Preset::Form::kProgramChunk},
        {"chunky", PresetFile::Scope::kBank, Preset::Form::kBankChunk},
        {"chunky_params", PresetFile::Scope::kProgram, Preset::Form::kProgram},
        {"chunky_params", PresetFile::Scope::kBank, Preset::Form::kBank},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plugin) + (c.scope == PresetFile::Scope::kBank ? " bank" : ""));
        vst::AEffect* source = Fresh(c.plugin);
        Edit(source);
        const auto sourceBefore = Everything(source);
        const std::string first = dir.File("first");
        std::string error;
        ASSERT_TRUE(PresetFile::Save(first, source, c.scope, error)) << error;
        EXPECT_EQ(Everything(source), sourceBefore);  // writing a bank visits every program

        const std::string bytes = ReadFile(first);
        const std::optional<Preset> parsed = PresetFile::Parse(bytes, first, error);
        ASSERT_TRUE(parsed.has_value()) << error;
        EXPECT_EQ(parsed->form, c.form);
        EXPECT_EQ(PresetFile::Format(*parsed), bytes);

        vst::AEffect* target = Fresh(c.plugin);
        auto expected = Everything(target);
        if (c.scope == PresetFile::Scope::kBank) {
            expected = sourceBefore;
        } else {
            expected.first[0] = sourceBefore.first[2];  // into the target's current program
        }
        ASSERT_TRUE(PresetFile::Load(first, target, "Chunky", error)) << error;
        EXPECT_EQ(Everything(target), expected);

        const std::string second = dir.File("second");
        ASSERT_TRUE(PresetFile::Save(second, target, c.scope, error)) << error;
        EXPECT_EQ(ReadFile(second), bytes);
    }
}

TEST_F(PresetFileTest, FilesLaidOutByHandAreRead) {
    const std::vector<float> a = {0.25f, 0.5f, 0.75f};
    const std::vector<float> b = {1.0f, 0.0f, 0.125f};
    const std::vector<float> c = {0.3f, 0.6f, 0.9f};
    struct Case {
        const char* what;
        const char* plugin;
        std::string bytes;
        std::vector<std::pair<int32_t, Program>> programs;  // the ones the file changes
        int32_t current;
    };
    const Case cases[] = {
        {"values", "chunky_params", FxpValues("ChPm", "By Hand", a), {{0, {"By Hand", a}}}, 0},
        {"program chunk",
         "chunky",
         FxpChunk("Chnk", "Outer Name", "chunky program\n" + ChunkyEntry("Inner", b)),
         {{0, {"Outer Name", b}}},
         0},
        {"bank of values",
         "chunky_params",
         FxbValues("ChPm", 1, {{"First", a}, {"Second", b}}),
         {{0, {"First", a}}, {1, {"Second", b}}},
         1},
        {"bank chunk",
         "chunky",
         FxbChunk("Chnk", 4,
                  "chunky bank\ncurrent 3\n" + ChunkyEntry("P1", a) + ChunkyEntry("P2", b) +
                      ChunkyEntry("P3", c) + ChunkyEntry("P4", a)),
         {{0, {"P1", a}}, {1, {"P2", b}}, {2, {"P3", c}}, {3, {"P4", a}}},
         3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        vst::AEffect* effect = Fresh(k.plugin);
        auto expected = Everything(effect);
        for (const auto& [index, program] : k.programs) {
            expected.first[index] = program;
        }
        expected.second = k.current;
        const std::string path = WriteFile("hand", k.bytes);
        std::string error;
        ASSERT_TRUE(PresetFile::Load(path, effect, "Chunky", error)) << error;
        EXPECT_EQ(Everything(effect), expected);
    }
}

TEST_F(PresetFileTest, FilesThatAreNotPresetsForThisEffectAreRefusedByName) {
    const std::vector<float> a = {0.25f, 0.5f, 0.75f};
    const std::string values = FxpValues("ChPm", "V", a);
    const std::string bank = FxbValues("ChPm", 0, {{"A", a}, {"B", a}});
    std::string longer = values;  // byteSize claims four bytes more than there are
    longer.replace(4, 4, Be32(values.size() - 8 + 4));
    std::string shorter = FxpChunk("Chnk", "C", "chunky program\n");
    shorter.replace(4, 4, Be32(shorter.size() - 8 - 4));
    std::string moreParams = values;  // numParams lies, byteSize agrees with the file
    moreParams.replace(24, 4, Be32(4));
    std::string hugeChunk = FxpChunk("Chnk", "C", "x");
    hugeChunk.replace(56, 4, Be32(0x7FFFFFF0));
    std::string manyPrograms = bank;
    manyPrograms.replace(24, 4, Be32(1000000));
    std::string badInner = bank;  // the second program's magic
    badInner.replace(156 + 68 + 8, 4, "FPCh");

    struct Case {
        const char* what;
        const char* plugin;
        std::string bytes;
        std::string message;  // after the quoted file name
    };
    const Case cases[] = {
        {"a wave file", "chunky_params", "RIFF" + values.substr(4), "is not a VST preset file."},
        {"four bytes", "chunky_params", "CcnK", "is cut short (4 bytes)."},
        {"cut short", "chunky_params", values.substr(0, values.size() - 1),
         "is cut short (" + std::to_string(values.size() - 1) + " bytes)."},
        {"a longer byteSize", "chunky_params", longer,
         "is cut short (" + std::to_string(values.size()) + " bytes)."},
        {"a shorter byteSize", "chunky", shorter, "is damaged: its sizes do not add up."},
        {"more parameters", "chunky_params", moreParams, "is damaged: its sizes do not add up."},
        {"a huge chunk", "chunky", hugeChunk, "is cut short (61 bytes)."},
        {"many programs", "chunky_params", manyPrograms, "is damaged: its sizes do not add up."},
        {"a chunk in a bank", "chunky_params", badInner,
         "is damaged: its program 2 is not a program of parameter values."},
        {"another effect's", "chunky", values,
         "is a preset for another effect (id 'ChPm'), not for Chunky ('Chnk')."},
        {"an unprintable id", "chunky", FxpValues("\x01\x02\x03\x04", "V", a),
         "is a preset for another effect (id 16909060), not for Chunky ('Chnk')."},
        {"two values", "chunky_params", FxpValues("ChPm", "V", {0.5f, 0.5f}),
         "holds 2 parameter values per program, but Chunky has 3 parameters."},
        {"a chunk for values", "chunky_params", FxpChunk("ChPm", "C", "x"),
         "holds settings as a block of the effect's own data, but Chunky does not take its "
         "settings that way."},
        {"five programs", "chunky_params",
         FxbValues("ChPm", 0, {{"1", a}, {"2", a}, {"3", a}, {"4", a}, {"5", a}}),
         "holds 5 programs, but Chunky has 4."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vst::AEffect* effect = Fresh(c.plugin);
        const auto before = Everything(effect);
        const std::string path = WriteFile("refused.fxp", c.bytes);
        std::string error;
        EXPECT_FALSE(PresetFile::Load(path, effect, "Chunky", error));
        EXPECT_EQ(error, "\"" + path + "\" " + c.message);
        EXPECT_EQ(Everything(effect), before);
    }

    // Every shorter part of each form is refused, and never read past its end.
    for (const std::string& whole :
         {values, bank, FxpChunk("Chnk", "C", "chunk"), FxbChunk("Chnk", 4, "chunk")}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            std::string error;
            const std::string part(whole.data(), length);  // exactly sized, for the checker
            EXPECT_FALSE(PresetFile::Parse(part, "part", error).has_value()) << length;
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST_F(PresetFileTest, AnUnwritablePlaceLeavesTheOldFileAndSaysWhere) {
    vst::AEffect* effect = Fresh("chunky_params");
    const std::string missing = dir.File("no-such-folder/out.fxp");
    std::string error;
    EXPECT_FALSE(PresetFile::Save(missing, effect, PresetFile::Scope::kProgram, error));
    EXPECT_EQ(error.rfind("Could not write \"" + missing + "\": ", 0), 0u) << error;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
