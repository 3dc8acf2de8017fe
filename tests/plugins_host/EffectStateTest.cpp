// An effect's settings as a value: read from one instance, stored as bytes (and base64 text),
// given to a fresh instance; the refusals; the programs' names.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostFixture.h"
#include "platform/Base64.h"
#include "plugins/EffectState.h"

namespace {

class EffectStateTest : public HostFixture {
protected:
    void SetUp() override {
        Install({"chunky", "chunky_params"});
        Configure();
    }

    /// A fresh instance of a test plug-in.
    vst::AEffect* Fresh(const std::string& plugin) { return Insert(plugin, 99); }

    EffectState ReadState(vst::AEffect* effect) {
        std::string error;
        std::optional<EffectState> state = EffectState::Read(effect, error);
        EXPECT_TRUE(state.has_value()) << error;
        return state.value_or(EffectState{});
    }

    /// Every program's values, visited in turn; the effect is left on `current`.
    std::vector<std::vector<float>> AllValues(vst::AEffect* effect) {
        const EffectPrograms programs(effect);
        const int32_t current = programs.Current();
        std::vector<std::vector<float>> values;
        for (int32_t p = 0; p < programs.Count(); ++p) {
            programs.Choose(p);
            values.emplace_back();
            for (int32_t k = 0; k < effect->numParams; ++k) {
                values.back().push_back(effect->getParameter(effect, k));
            }
        }
        programs.Choose(current);
        return values;
    }
};

TEST_F(EffectStateTest, SettingsReachAFreshInstanceThroughStoredText) {
    struct Case {
        const char* plugin;
        EffectState::Form form;
    };
    for (const Case& c : {Case{"chunky", EffectState::Form::kChunk},
                          Case{"chunky_params", EffectState::Form::kParameters}}) {
        SCOPED_TRACE(c.plugin);
        vst::AEffect* source = Fresh(c.plugin);
        const EffectPrograms sourcePrograms(source);
        ASSERT_TRUE(sourcePrograms.Choose(2));
        const std::vector<float> edited = {0.1f, 0.7071f, 1.0f / 3.0f};
        for (int32_t k = 0; k < 3; ++k) {
            source->setParameter(source, k, edited[k]);
        }
        sourcePrograms.RenameCurrent("Edited");

        const EffectState state = ReadState(source);
        EXPECT_EQ(state.form, c.form);
        const std::string text = platform::Base64Encode(state.Encode());
        const std::optional<std::string> bytes = platform::Base64Decode(text);
        ASSERT_TRUE(bytes.has_value());
        std::string error;
        const std::optional<EffectState> decoded = EffectState::Decode(*bytes, error);
        ASSERT_TRUE(decoded.has_value()) << error;
        EXPECT_EQ(*decoded, state);

        vst::AEffect* target = Fresh(c.plugin);
        const auto untouched = AllValues(Fresh(c.plugin));
        ASSERT_TRUE(decoded->ApplyTo(target, "Chunky", error)) << error;
        const EffectPrograms targetPrograms(target);
        EXPECT_EQ(targetPrograms.Current(), 2);
        auto expected = untouched;
        expected[2] = edited;
        EXPECT_EQ(AllValues(target), expected);
        // Only the chunk carries the program's name along.
        EXPECT_EQ(targetPrograms.CurrentName(),
                  c.form == EffectState::Form::kChunk ? "Edited" : "Dark Plate");
    }
}

TEST_F(EffectStateTest, SettingsThatDoNotFitAreRefusedAndNothingChanges) {
    vst::AEffect* chunky = Fresh("chunky");
    vst::AEffect* plain = Fresh("chunky_params");
    EffectState chunkForPlain = ReadState(chunky);
    chunkForPlain.uniqueId = plain->uniqueId;
    EffectState twoValues = ReadState(plain);
    twoValues.parameters.pop_back();
    EffectState missingProgram = ReadState(plain);
    missingProgram.program = 4;

    struct Case {
        const char* what;
        EffectState state;
        std::string message;
    };
    const Case cases[] = {
        {"another effect's", ReadState(chunky),
         "These settings are for another effect (id 'Chnk'), not for Plain ('ChPm')."},
        {"a chunk", chunkForPlain,
         "These settings are a block of the effect's own data, but Plain does not take its "
         "settings that way."},
        {"too few values", twoValues,
         "These settings hold 2 parameter values, but Plain has 3 parameters."},
        {"a missing program", missingProgram,
         "These settings are for program 5, but Plain has 4 programs."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto before = AllValues(plain);
        const int32_t current = EffectPrograms(plain).Current();
        std::string error;
        EXPECT_FALSE(c.state.ApplyTo(plain, "Plain", error));
        EXPECT_EQ(error, c.message);
        EXPECT_EQ(AllValues(plain), before);
        EXPECT_EQ(EffectPrograms(plain).Current(), current);
    }
}

TEST_F(EffectStateTest, DamagedStoredSettingsAndTextAreRefused) {
    const std::string good = ReadState(Fresh("chunky_params")).Encode();
    std::string otherVersion = good;
    otherVersion[4] = 2;
    std::string badForm = good;
    badForm[5] = 7;
    const std::string damaged[] = {
        "",      good.substr(0, good.size() - 1), good + '\0', "X" + good.substr(1), otherVersion,
        badForm,
    };
    for (const std::string& bytes : damaged) {
        std::string error;
        EXPECT_FALSE(EffectState::Decode(bytes, error).has_value())
            << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
    }

    // Base64 as published (RFC 4648's examples), and text it must refuse.
    const std::pair<std::string, std::string> known[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& [bytes, text] : known) {
        EXPECT_EQ(platform::Base64Encode(bytes), text);
        EXPECT_EQ(platform::Base64Decode(text), bytes);
    }
    for (const char* text : {"Zg=", "Zg===", "Z===", "Zg==Zg==", "Zm9v!A==", "Zm=v", "Zm9v\n"}) {
        EXPECT_FALSE(platform::Base64Decode(text).has_value()) << text;
    }
}

TEST_F(EffectStateTest, ProgramsAreNamedWithoutLeavingTheCurrentOne) {
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

}  // namespace
