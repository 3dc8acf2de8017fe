// An effect's settings: as a stored value given to a fresh instance, as VST 2 preset files
// (written and read back, and laid out here byte by byte from the published layout), and the
// settings and files that must be refused, with the effect left as it was.

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "platform/Base64.h"
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

std::string WithHeader(const std::string& rest) {
    return "CcnK" + Be32(static_cast<uint32_t>(rest.size())) + rest;
}

std::string FxpHead(const char* magic, const char* id, size_t params, std::string name) {
    name.resize(28, '\0');
    return std::string(magic) + Be32(1) + id + Be32(7) + Be32(params) + name;
}

std::string FxpValues(const char* id, const std::string& name, const std::vector<float>& values) {
    std::string rest = FxpHead("FxCk", id, values.size(), name);
    for (float value : values) {
        rest += Be32(std::bit_cast<uint32_t>(value));
    }
    return WithHeader(rest);
}

std::string FxpChunk(const char* id, const std::string& name, const std::string& chunk) {
    return WithHeader(FxpHead("FPCh", id, 3, name) + Be32(chunk.size()) + chunk);
}

std::string FxbHead(const char* magic, const char* id, size_t programs, uint32_t current) {
    return std::string(magic) + Be32(2) + id + Be32(7) + Be32(programs) + Be32(current) +
           std::string(124, '\0');
}

/// A program as the tests see it: name and values.
using Program = std::pair<std::string, std::vector<float>>;

std::string FxbValues(const char* id, uint32_t current, const std::vector<Program>& programs) {
    std::string rest = FxbHead("FxBk", id, programs.size(), current);
    for (const auto& [name, values] : programs) {
        rest += FxpValues(id, name, values);
    }
    return WithHeader(rest);
}

std::string FxbChunk(const char* id, const std::string& chunk) {
    return WithHeader(FxbHead("FBCh", id, 4, 0) + Be32(chunk.size()) + chunk);
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

class EffectSettingsTest : public HostFixture {
protected:
    void SetUp() override {
        Install({"chunky", "chunky_params"});
        Configure();
    }

    /// A fresh instance of a test plug-in.
    vst::AEffect* Fresh(const std::string& plugin) { return Insert(plugin); }

    EffectState ReadState(vst::AEffect* effect) {
        std::string error;
        std::optional<EffectState> state = EffectState::Read(effect, error);
        EXPECT_TRUE(state.has_value()) << error;
        return state.value_or(EffectState{});
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

TEST_F(EffectSettingsTest, StateReachesAFreshInstanceThroughStoredText) {
    for (const char* plugin : {"chunky", "chunky_params"}) {
        SCOPED_TRACE(plugin);
        vst::AEffect* source = Fresh(plugin);
        Edit(source);
        const Program edited = Everything(source).first[2];
        const EffectState state = ReadState(source);
        EXPECT_EQ(state.form, std::string(plugin) == "chunky" ? EffectState::Form::kChunk
                                                              : EffectState::Form::kParameters);
        const std::optional<std::string> bytes =
            platform::Base64Decode(platform::Base64Encode(state.Encode()));
        ASSERT_TRUE(bytes.has_value());
        std::string error;
        const std::optional<EffectState> decoded = EffectState::Decode(*bytes, error);
        ASSERT_TRUE(decoded.has_value()) << error;
        EXPECT_EQ(*decoded, state);

        vst::AEffect* target = Fresh(plugin);
        auto expected = Everything(target);
        expected.first[2].second = edited.second;
        if (decoded->form == EffectState::Form::kChunk) {
            expected.first[2].first = edited.first;  // only a chunk carries the name along
        }
        expected.second = 2;
        ASSERT_TRUE(decoded->ApplyTo(target, "Chunky", error)) << error;
        EXPECT_EQ(Everything(target), expected);
    }
}

TEST_F(EffectSettingsTest, StateThatDoesNotFitIsRefusedAndNothingChanges) {
    vst::AEffect* plain = Fresh("chunky_params");
    const EffectState otherEffects = ReadState(Fresh("chunky"));
    EffectState chunkForPlain = otherEffects;
    chunkForPlain.uniqueId = plain->uniqueId;
    EffectState twoValues = ReadState(plain);
    twoValues.parameters.pop_back();
    EffectState missingProgram = ReadState(plain);
    missingProgram.program = 4;
    const std::pair<EffectState, std::string> cases[] = {
        {otherEffects,
         "These settings are for another effect (id 'Chnk'), not for Plain ('ChPm')."},
        {chunkForPlain,
         "These settings are a block of the effect's own data, but Plain does not take its "
         "settings that way."},
        {twoValues, "These settings hold 2 parameter values, but Plain has 3 parameters."},
        {missingProgram, "These settings are for program 5, but Plain has 4 programs."},
    };
    for (const auto& [state, message] : cases) {
        const auto before = Everything(plain);
        std::string error;
        EXPECT_FALSE(state.ApplyTo(plain, "Plain", error));
        EXPECT_EQ(error, message);
        EXPECT_EQ(Everything(plain), before);
    }

    // Stored bytes that are damaged or of another form or version.
    const std::string good = ReadState(plain).Encode();
    std::vector<std::string> damaged = {"", good.substr(0, good.size() - 1), good + 'x'};
    for (const auto& [at, byte] : {std::pair<size_t, char>{0, 'X'}, {4, 2}, {5, 7}}) {
        damaged.push_back(good);
        damaged.back()[at] = byte;
    }
    for (const std::string& bytes : damaged) {
        std::string error;
        EXPECT_FALSE(EffectState::Decode(bytes, error).has_value())
            << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(EffectSettingsTest, Base64IsThePublishedOneAndRefusesAnythingElse) {
    const std::pair<std::string, std::string> known[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="},
    };
    for (const auto& [bytes, text] : known) {
        EXPECT_EQ(platform::Base64Encode(bytes), text);
        EXPECT_EQ(platform::Base64Decode(text), bytes);
    }
    for (const char* text : {"Zg=", "Zg===", "Z===", "Zg==Zg==", "Zm9v!A==", "Zm=v", "Zm9v\n"}) {
        EXPECT_FALSE(platform::Base64Decode(text).has_value()) << text;
    }
}

TEST_F(EffectSettingsTest, ProgramsAreNamedWithoutLeavingTheCurrentOne) {
    const std::vector<std::string> expected = {"Warm Room", "Renamed", "Dark Plate", "Tiny Box"};
    // chunky names programs by index; chunky_params only names the current one.
    for (const char* plugin : {"chunky", "chunky_params"}) {
        SCOPED_TRACE(plugin);
        vst::AEffect* effect = Fresh(plugin);
        const EffectPrograms programs(effect);
        EXPECT_EQ(programs.Count(), 4);
        ASSERT_TRUE(programs.Choose(1));
        programs.RenameCurrent("Renamed");
        effect->setParameter(effect, 0, 0.125f);
        EXPECT_EQ(programs.Names(), expected);
        EXPECT_EQ(programs.Current(), 1);
        EXPECT_EQ(effect->getParameter(effect, 0), 0.125f);
        EXPECT_FALSE(programs.Choose(4));
        EXPECT_FALSE(programs.Choose(-1));
        EXPECT_EQ(programs.Current(), 1);
    }
}

TEST_F(EffectSettingsTest, WrittenFilesLoadIntoAFreshInstanceAndWriteBackIdentical) {
    const std::tuple<const char*, PresetFile::Scope, Preset::Form> cases[] = {
        {"chunky", PresetFile::Scope::kProgram, Preset::Form::kProgramChunk},
        {"chunky", PresetFile::Scope::kBank, Preset::Form::kBankChunk},
        {"chunky_params", PresetFile::Scope::kProgram, Preset::Form::kProgram},
        {"chunky_params", PresetFile::Scope::kBank, Preset::Form::kBank},
    };
    for (const auto& [plugin, scope, form] : cases) {
        const bool bank = scope == PresetFile::Scope::kBank;
        SCOPED_TRACE(std::string(plugin) + (bank ? " bank" : ""));
        vst::AEffect* source = Fresh(plugin);
        Edit(source);
        const auto sourceBefore = Everything(source);
        const std::string first = dir.File("first");
        std::string error;
        ASSERT_TRUE(PresetFile::Save(first, source, scope, error)) << error;
        EXPECT_EQ(Everything(source), sourceBefore);  // writing a bank visits every program

        const std::string bytes = ReadFile(first);
        const std::optional<Preset> parsed = PresetFile::Parse(bytes, first, error);
        ASSERT_TRUE(parsed.has_value()) << error;
        EXPECT_EQ(parsed->form, form);
        EXPECT_EQ(PresetFile::Format(*parsed), bytes);

        vst::AEffect* target = Fresh(plugin);
        auto expected = bank ? sourceBefore : Everything(target);
        if (!bank) {
            expected.first[0] = sourceBefore.first[2];  // into the target's current program
        }
        ASSERT_TRUE(PresetFile::Load(first, target, "Chunky", error)) << error;
        EXPECT_EQ(Everything(target), expected);
        const std::string second = dir.File("second");
        ASSERT_TRUE(PresetFile::Save(second, target, scope, error)) << error;
        EXPECT_EQ(ReadFile(second), bytes);
    }
}

TEST_F(EffectSettingsTest, FilesLaidOutByHandAreRead) {
    const std::vector<float> a = {0.25f, 0.5f, 0.75f};
    const std::vector<float> b = {1.0f, 0.0f, 0.125f};
    const std::vector<float> c = {0.3f, 0.6f, 0.9f};
    struct Case {
        const char* plugin;
        std::string bytes;
        std::vector<std::pair<int32_t, Program>> programs;  // the ones the file changes
        int32_t current;
    };
    const Case cases[] = {
        {"chunky_params", FxpValues("ChPm", "By Hand", a), {{0, {"By Hand", a}}}, 0},
        // The file's program name wins over the one inside the chunk.
        {"chunky",
         FxpChunk("Chnk", "Outer", "chunky program\n" + ChunkyEntry("Inner", b)),
         {{0, {"Outer", b}}},
         0},
        {"chunky_params",
         FxbValues("ChPm", 1, {{"First", a}, {"Second", b}}),
         {{0, {"First", a}}, {1, {"Second", b}}},
         1},
        {"chunky",
         FxbChunk("Chnk", "chunky bank\ncurrent 3\n" + ChunkyEntry("P1", a) + ChunkyEntry("P2", b) +
                              ChunkyEntry("P3", c) + ChunkyEntry("P4", a)),
         {{0, {"P1", a}}, {1, {"P2", b}}, {2, {"P3", c}}, {3, {"P4", a}}},
         3},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.bytes.substr(8, 4));
        vst::AEffect* effect = Fresh(k.plugin);
        auto expected = Everything(effect);
        for (const auto& [index, program] : k.programs) {
            expected.first[index] = program;
        }
        expected.second = k.current;
        const std::string path = dir.File("hand");
        std::ofstream(path, std::ios::binary) << k.bytes;
        std::string error;
        ASSERT_TRUE(PresetFile::Load(path, effect, "Chunky", error)) << error;
        EXPECT_EQ(Everything(effect), expected);
    }
}

TEST_F(EffectSettingsTest, FilesThatAreNotPresetsForTheEffectAreRefusedByName) {
    const std::vector<float> a = {0.25f, 0.5f, 0.75f};
    const std::string values = FxpValues("ChPm", "V", a);
    const std::string bank = FxbValues("ChPm", 0, {{"A", a}, {"B", a}});
    const auto changed = [](std::string bytes, size_t at, const std::string& with) {
        return bytes.replace(at, with.size(), with);
    };
    const std::string longer = changed(values, 4, Be32(values.size() - 8 + 4));
    const std::string chunk = FxpChunk("Chnk", "C", "chunky program\n");
    const std::string size = std::to_string(values.size());
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"chunky_params", "RIFF" + values.substr(4), "is not a VST preset file."},
        {"chunky_params", "CcnK", "is cut short (4 bytes)."},
        {"chunky_params", values.substr(0, values.size() - 1),
         "is cut short (" + std::to_string(values.size() - 1) + " bytes)."},
        {"chunky_params", longer, "is cut short (" + size + " bytes)."},
        {"chunky", changed(chunk, 4, Be32(chunk.size() - 12)),
         "is damaged: its sizes do not add up."},
        {"chunky_params", changed(values, 24, Be32(4)), "is damaged: its sizes do not add up."},
        {"chunky", changed(chunk, 56, Be32(0x7FFFFFF0)),
         "is cut short (" + std::to_string(chunk.size()) + " bytes)."},
        {"chunky_params", changed(bank, 24, Be32(1000000)), "is damaged: its sizes do not add up."},
        {"chunky_params", changed(bank, 156 + 68 + 8, "FPCh"),
         "is damaged: its program 2 is not a program of parameter values."},
        {"chunky", values, "is a preset for another effect (id 'ChPm'), not for Chunky ('Chnk')."},
        {"chunky", FxpValues("\x01\x02\x03\x04", "V", a),
         "is a preset for another effect (id 16909060), not for Chunky ('Chnk')."},
        {"chunky_params", FxpValues("ChPm", "V", {0.5f, 0.5f}),
         "holds 2 parameter values per program, but Chunky has 3 parameters."},
        {"chunky_params", FxpChunk("ChPm", "C", "x"),
         "holds settings as a block of the effect's own data, but Chunky does not take its "
         "settings that way."},
        {"chunky_params", FxbValues("ChPm", 0, {{"1", a}, {"2", a}, {"3", a}, {"4", a}, {"5", a}}),
         "holds 5 programs, but Chunky has 4."},
    };
    for (const auto& [plugin, bytes, message] : cases) {
        SCOPED_TRACE(message);
        vst::AEffect* effect = Fresh(plugin);
        const auto before = Everything(effect);
        const std::string path = dir.File("refused.fxp");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        std::string error;
        EXPECT_FALSE(PresetFile::Load(path, effect, "Chunky", error));
        EXPECT_EQ(error, "\"" + path + "\" " + message);
        EXPECT_EQ(Everything(effect), before);
    }

    // Every shorter part of each form is refused, and never read past its end.
    for (const std::string& whole : {values, bank, chunk, FxbChunk("Chnk", "chunk")}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            std::string error;
            const std::string part(whole.data(), length);  // exactly sized, for the checker
            EXPECT_FALSE(PresetFile::Parse(part, "part", error).has_value()) << length;
        }
    }

    // An unwritable place: the message names it, and nothing is left there.
    const std::string missing = dir.File("no-such-folder/out.fxp");
    std::string error;
    EXPECT_FALSE(PresetFile::Save(missing, Fresh("chunky"), PresetFile::Scope::kBank, error));
    EXPECT_EQ(error.rfind("Could not write \"" + missing + "\": ", 0), 0u) << error;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
