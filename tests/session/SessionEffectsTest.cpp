// The effect chain in session files and recovery copies, and where its libraries are found.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>

#include "session/EditSession.h"
#include "session/EffectLibraryLookup.h"
#include "session/RecoveryFile.h"
#include "session/SessionFile.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Three effects that between them use every byte value, base64's three paddings, a missing
// state, both flags, a negative id and names and paths that need escaping.
std::vector<EffectRecord> ThreeEffects() {
    std::vector<uint8_t> everyByte(256);
    std::iota(everyByte.begin(), everyByte.end(), 0);
    return {
        {"/opt/vst/echo one.so", 0x45636831, "Echo One", false, everyByte},
        {"/opt/vst/odd\nname\\x.so", -7, "", true, {}},
        {"/opt/vst/gain.so", 0x4761696E, "Gain\n \\n", false, {0xFF, 0x00}},
    };
}

class SessionEffects : public ::testing::Test {
protected:
    void SetUp() override {
        WriteWav(wav, MakeFrames(1, 1000));
        ASSERT_TRUE(session.Edits().AddFile(wav.c_str()));
    }

    TempDir dir;
    const std::string wav = dir.File("a.wav");
    const std::string sessionPath = dir.File("mix.orvane");
    EditSession session;
};

TEST_F(SessionEffects, TheChainComesBackFromTheSessionFile) {
    const std::vector<EffectRecord> all = ThreeEffects();
    const std::vector<EffectRecord> chains[] = {{}, {all[0]}, all};
    for (const auto& chain : chains) {
        SCOPED_TRACE(chain.size());
        std::string error;
        ASSERT_TRUE(session.Save(sessionPath, chain, error)) << error;
        session.New();  // empties the chain; the history keeps the file (and its lock)
        ASSERT_TRUE(session.Open(sessionPath, error)) << error;
        EXPECT_EQ(session.Effects(), chain);
    }
    // A version-2 file (no effects) still opens, with an empty chain.
    std::string text = ReadText(sessionPath);
    text = "orvane-session 2" + text.substr(16, text.find("effect") - 16) + "end\n";
    std::ofstream(sessionPath) << text;
    std::string error;
    ASSERT_TRUE(session.Open(sessionPath, error)) << error;
    EXPECT_TRUE(session.Effects().empty());
}

TEST_F(SessionEffects, ADamagedEffectLineRefusesTheFileNamingTheLine) {
    std::string error;
    ASSERT_TRUE(session.Save(sessionPath, {ThreeEffects()[2]}, error)) << error;
    const std::string good = ReadText(sessionPath);
    const std::string head = good.substr(0, good.find("effect"));  // lines 1 to 3
    const std::string effect = "effect 1 active AAEC /x.so\n";
    const struct {
        const char* name;
        std::string text;
        int line;
    } cases[] = {
        {"not base64", head + "effect 1 active AA*C /x.so\nname\nend\n", 4},
        {"unused bits set", head + "effect 1 active AAF= /x.so\nname\nend\n", 4},
        {"an unknown flag", head + "effect 1 off - /x.so\nname\nend\n", 4},
        {"an id past 32 bits", head + "effect 2147483648 active - /x.so\nname\nend\n", 4},
        {"a relative path", head + "effect 1 active - x.so\nname\nend\n", 4},
        {"no name line", head + effect + "end\n", 5},
        {"two name lines", head + effect + "name a\nname b\nend\n", 6},
        {"a name with a bad escape", head + effect + "name \\q\nend\n", 5},
        {"a segment after an effect", head + effect + "name\nsegment 0 0 1\nend\n", 6},
        {"an effect in version 2", "orvane-session 2" + head.substr(16) + effect + "name\nend\n",
         4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(sessionPath) << c.text;
        EditSession opened;
        EXPECT_FALSE(opened.Open(sessionPath, error));
        EXPECT_NE(error.find(sessionPath + ": it is damaged (line " + std::to_string(c.line) + ")"),
                  std::string::npos)
            << error;
        EXPECT_TRUE(opened.Edits().IsEmpty());
    }
}

TEST(EffectLibraryLookup, FindsTheSavedLibraryOrTheOneWithItsId) {
    TempDir dir;
    const std::string there = dir.File("there.so"), gone = dir.File("echo.so");
    WriteBytes(there, {0});
    // A scanned library: passed its examination, or failed it (`ok` false).
    const auto lib = [](std::string path, int32_t id, bool ok = true) {
        PluginInfo info;
        info.path = std::move(path);
        info.uniqueId = id;
        info.ok = ok;
        info.failure = ok ? "" : "it crashed";
        return info;
    };
    const int32_t id = 0x45636831, other = 0x47616E6E;  // 'Ech1', 'Gann'
    const std::string saved = "/l/echo.so";
    const struct {
        const char* name;
        std::string saved;
        int32_t id;
        std::vector<PluginInfo> catalogue;
        std::string expected;  // the path chosen, or else a part of the problem
    } cases[] = {
        {"saved, same id", saved, id, {lib(saved, id)}, saved},
        {"saved on disk, not scanned", there, id, {lib("/b/echo.so", id)}, there},
        {"moved: found by id", gone, id, {lib("/b/o.so", 1), lib("/b/e.so", id)}, "/b/e.so"},
        {"several: by file name", gone, id, {lib("/a/e.so", id), lib("/echo.so", id)}, "/echo.so"},
        {"several: else the first", gone, id, {lib("/a/x.so", id), lib("/b/y.so", id)}, "/a/x.so"},
        {"saved holds another", saved, id, {lib(saved, other), lib("/b/e.so", id)}, "/b/e.so"},
        {"unknown id",
         gone,
         id,
         {lib("/b/x.so", 2), lib("/b/y.so", id, false)},
         "Echo One: library " + gone + " not found and no scanned plug-in has id 'Ech1'"},
        {"saved failed", saved, id, {lib(saved, id, false)}, "its examination (it crashed)"},
        {"saved holds another only", saved, id, {lib(saved, other)}, "another effect (id 'Gann')"},
        {"no id to look for", gone, 0, {lib("/b/echo.so", 0)}, "has no id"},
        {"an id of unprintable bytes", gone, -2, {}, "has id -2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const EffectLibraryChoice choice =
            FindEffectLibrary({c.saved, c.id, "Echo One", false, {}}, c.catalogue);
        EXPECT_NE(choice.path.empty(), choice.problem.empty());
        if (c.expected.starts_with('/')) {
            EXPECT_EQ(choice.path, c.expected) << choice.problem;
        } else {
            EXPECT_NE(choice.problem.find(c.expected), std::string::npos) << choice.problem;
        }
    }
}

TEST_F(SessionEffects, ARecoveryCopyKeepsTheChain) {
    const std::string state = dir.File("state");
    std::filesystem::create_directory(state);
    {
        RecoveryFile recovery(state);
        recovery.Keep(session.Edits().Snapshot(), sessionPath, ThreeEffects());
        ASSERT_TRUE(recovery.Flush());
    }  // gone as in a crash: the copy stays, its lock is free
    std::vector<RecoveryFile::LeftBehindCopy> left = RecoveryFile::LeftBehind(state);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].EffectNames(), (std::vector<std::string>{"Echo One", "", "Gain\n \\n"}));
    std::string error;
    ASSERT_TRUE(session.Recover(left[0].SessionText(), left[0].SessionPath(), error)) << error;
    EXPECT_EQ(session.Effects(), ThreeEffects());
    EXPECT_EQ(session.Path(), sessionPath);
    EXPECT_TRUE(session.IsModified());
}

// A change to the chain alone makes the session modified until it is saved, opened anew,
// emptied or started afresh; Save without a chain keeps the one it holds.
TEST_F(SessionEffects, AChainChangeIsUnsavedUntilTheNextSave) {
    std::string error;
    ASSERT_TRUE(session.Save(sessionPath, ThreeEffects(), error)) << error;
    const struct {
        const char* name;
        std::function<void()> clear;
    } cases[] = {
        {"Save", [&] { ASSERT_TRUE(session.Save(sessionPath, error)) << error; }},
        {"Open", [&] { ASSERT_TRUE(session.Open(sessionPath, error)) << error; }},
        {"StartAfresh", [&] { session.StartAfresh(); }},
        {"New", [&] { session.New(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(session.IsModified());
        session.MarkEffectsChanged();
        EXPECT_TRUE(session.IsModified());
        c.clear();
        EXPECT_FALSE(session.IsModified());
    }
    EXPECT_TRUE(session.Effects().empty()) << "New empties the chain";
    ASSERT_TRUE(session.Open(sessionPath, error)) << error;
    EXPECT_EQ(session.Effects(), ThreeEffects()) << "the plain Save kept the held chain";
}

}  // namespace
