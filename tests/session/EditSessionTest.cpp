// The edit session: undo and redo against a model, session files, and the recovery file.

#include "session/EditSession.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <regex>
#include <thread>

#include "platform/SessionStorage.h"
#include "session/RecoveryFile.h"
#include "session/SessionFile.h"
#include "support/TestWav.h"
#include "support/WavBytes.h"

using namespace testing_support;
using namespace std::chrono_literals;

namespace {

std::vector<Frame> AudioOf(const Workspace& ws) {
    std::vector<Frame> out(ws.TotalLength());
    uint32_t got = 0;
    for (uint32_t at = 0; at < out.size(); at += got) {
        if (!ws.ReadFrames(out.data() + at, 4096, got, at) || got == 0) {
            out.resize(at);
            break;
        }
    }
    return out;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// Random edits as the frame makes them (one step each), with random undo and redo; after
// every command the audio must equal the model's, which keeps the audio of every step.
TEST(EditSessionModel, RandomEditsUndoneAndRedoneMatchTheModel) {
    TempDir dir;
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav");
    WriteWav(a, MakeFrames(1, 3000));
    WriteWav(b, MakeFrames(2, 1700));
    std::mt19937 rng(424242);
    auto uniform = [&](uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };

    for (int sequence = 0; sequence < 40; ++sequence) {
        EditSession session;
        Workspace& ws = session.Edits();
        ASSERT_TRUE(ws.AddFile(a.c_str()));
        ASSERT_TRUE(ws.AddFile(b.c_str()));
        session.StartAfresh();
        std::vector<std::vector<Frame>> done = {MakeFrames(1, 3000)};  // audio after each step
        std::vector<std::pair<std::vector<Frame>, EditSelection>> undone;
        std::vector<EditSelection> selections = {{}};  // selection before each step

        for (int step = 0; step < 60; ++step) {
            const uint32_t length = ws.TotalLength();
            uint32_t x = uniform(0, length), y = uniform(0, length);
            if (x > y) {
                std::swap(x, y);
            }
            const EditSelection selection{x, y - x};
            std::string op;
            switch (uniform(0, 6)) {
                case 0:
                case 1: {
                    op = "undo";
                    EditSelection restored;
                    const bool can = done.size() > 1;
                    ASSERT_EQ(session.Undo(restored), can);
                    if (can) {
                        EXPECT_EQ(restored, selections.back());
                        undone.emplace_back(done.back(), selections.back());
                        done.pop_back();
                        selections.pop_back();
                    }
                    break;
                }
                case 2: {
                    op = "redo";
                    EditSelection restored;
                    ASSERT_EQ(session.Redo(restored), !undone.empty());
                    if (!undone.empty()) {
                        done.push_back(undone.back().first);
                        selections.push_back(undone.back().second);
                        undone.pop_back();
                    }
                    break;
                }
                default: {
                    const uint32_t kind = uniform(0, 2);
                    op = kind == 0 ? "Delete" : kind == 1 ? "Cut" : "Paste";
                    if (kind == 2 && uniform(0, 1) == 0) {
                        ws.CopyFromFile(uniform(0, 1700), uniform(0, 1700), 1);
                    }
                    session.BeginEdit(op, selection);
                    if (kind == 0) {
                        ws.DeleteRange(x, y);
                    } else if (kind == 1) {
                        ws.CutRange(x, y);
                    } else {
                        ws.DeleteRange(x, y);
                        ws.PasteInto(x);
                    }
                    if (session.EndEdit({x, 0})) {
                        done.push_back(AudioOf(ws));
                        selections.push_back(selection);
                        undone.clear();
                    }
                    break;
                }
            }
            SCOPED_TRACE("sequence " + std::to_string(sequence) + " step " + std::to_string(step) +
                         " " + op);
            ASSERT_EQ(AudioOf(ws), done.back());
            ASSERT_EQ(session.History().CanUndo(), done.size() > 1);
            ASSERT_EQ(session.History().CanRedo(), !undone.empty());
            ASSERT_EQ(session.IsModified(), done.size() > 1) << "modified unless back at the start";
        }
    }
}

TEST(EditSession, UndoNamesTheStepAndRestoresTheWholeStateWithFiles) {
    TempDir dir;
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav");
    WriteWav(a, MakeFrames(1, 1000));
    WriteWav(b, MakeFrames(2, 500));
    EditSession session;
    Workspace& ws = session.Edits();
    ASSERT_TRUE(ws.AddFile(a.c_str()));
    ASSERT_TRUE(ws.AddFile(b.c_str()));
    session.StartAfresh();
    EXPECT_FALSE(session.IsModified());

    session.BeginEdit("Cut", {100, 200});
    ws.CutRange(100, 300);
    ASSERT_TRUE(session.EndEdit({100, 0}));
    EXPECT_EQ(session.History().UndoAction(), "Cut");
    EXPECT_TRUE(session.IsModified());

    session.New();
    EXPECT_TRUE(ws.IsEmpty());
    EXPECT_EQ(session.History().UndoAction(), "New");
    EXPECT_FALSE(session.IsModified()) << "a new session starts unmodified";

    EditSelection selection;
    ASSERT_TRUE(session.Undo(selection));
    EXPECT_EQ(ws.FileCount(), 2u) << "undoing New brings the files back";
    EXPECT_EQ(ws.TotalLength(), 800u);
    EXPECT_EQ(session.History().RedoAction(), "New");
    ASSERT_TRUE(session.Undo(selection));
    EXPECT_EQ(selection, (EditSelection{100, 200}));
    EXPECT_EQ(AudioOf(ws), MakeFrames(1, 1000));

    session.BeginEdit("Delete", {0, 0});
    ws.DeleteRange(700, 700);  // at no boundary: splits, which is a new state
    EXPECT_TRUE(session.EndEdit({0, 0}));
    session.BeginEdit("Delete", {0, 0});
    ws.DeleteRange(2000, 3000);  // beyond the end: no new state, no step
    EXPECT_FALSE(session.EndEdit({0, 0}));
    EXPECT_FALSE(session.History().CanRedo()) << "the split above was an edit";
}

// A session over two files, one with awkward characters in its name.
class SessionFiles : public ::testing::Test {
protected:
    void SetUp() override {
        a = dir.File("take one \\ two\nthree\r.wav");
        b = dir.File("b.wav");
        WriteWav(a, MakeFrames(1, 5000));
        WriteWav(b, MakeFrames(2, 3000));
        sessionPath = dir.File("work.orvane");
    }

    // a[0,1000) b[500,1500) a[4000,5000), b listed second.
    void Build(EditSession& session) {
        Workspace& ws = session.Edits();
        ASSERT_TRUE(ws.AddFile(a.c_str()));
        ASSERT_TRUE(ws.AddFile(b.c_str()));
        ws.DeleteRange(1000, 4000);
        ws.CopyFromFile(500, 1500, 1);
        ws.PasteAt(1000);
    }

    TempDir dir;
    std::string a, b, sessionPath;
};

TEST_F(SessionFiles, SaveThenOpenGivesTheSameAudioFilesAndName) {
    std::vector<Frame> audio;
    size_t segments = 0;
    std::string error;
    {
        EditSession first;
        Build(first);
        EXPECT_EQ(first.Name(), "Untitled");
        ASSERT_TRUE(first.Save(sessionPath, error)) << error;
        EXPECT_FALSE(first.IsModified());
        EXPECT_EQ(first.Name(), "work.orvane");
        audio = AudioOf(first.Edits());
        segments = first.Edits().SegmentCount();
        ASSERT_EQ(audio.size(), 3000u);
        // The session still holds its files; opening its own file again takes them up.
        first.Edits().DeleteRange(0, 100);
        ASSERT_TRUE(first.Open(sessionPath, error)) << error;
        EXPECT_EQ(AudioOf(first.Edits()), audio);
    }

    EditSession second;
    ASSERT_TRUE(second.Open(sessionPath, error)) << error;
    EXPECT_EQ(AudioOf(second.Edits()), audio);
    EXPECT_EQ(second.Edits().FileCount(), 2u);
    EXPECT_EQ(second.Edits().SegmentCount(), segments);
    EXPECT_FALSE(second.IsModified());
    EXPECT_EQ(second.Name(), "work.orvane");
}

// A session over a and b reopened after b was touched, copied, moved or replaced: the frames
// hash vouches for a file whose time changed, and a locator (the window's Locate...) may
// point at a moved file, which must hold the same audio. Nothing opens half-way.
TEST_F(SessionFiles, ASourceIsKnownByItsAudioNotItsTime) {
    namespace fs = std::filesystem;
    const std::string moved = dir.File("elsewhere.wav");
    const std::string impostor = dir.File("impostor.wav");  // b's size, other audio
    const auto touch = [&] { fs::last_write_time(b, fs::last_write_time(b) + 5s); };
    const auto copy = [&] {
        fs::rename(b, moved);
        fs::copy_file(moved, b);  // a new file: its time is now
        fs::remove(moved);
    };
    const auto move = [&] { fs::rename(b, moved); };
    const auto replace = [&] { fs::copy_file(impostor, b, fs::copy_options::overwrite_existing); };
    const auto at48k = [&] {
        std::vector<int16_t> samples;
        for (const Frame f : MakeFrames(2, 3000)) {
            samples.insert(samples.end(), {int16_t(f & 0xFFFF), int16_t(f >> 16)});
        }
        WriteBytes(b, CanonicalWav(samples, 48000));
    };
    const auto version1 = [&] {  // the first format: no hash on the source lines
        const std::regex hash("\n(source \\S+ \\S+ \\S+) \\S+");
        WriteText(sessionPath,
                  "orvane-session 1" +
                      std::regex_replace(ReadText(sessionPath).substr(16), hash, "\n$1"));
    };
    const auto version1AndTouch = [&] {
        version1();
        touch();
    };
    const struct Case {
        const char* name;
        std::function<void()> change;
        bool withLocator;                  // false: the command line's render
        std::vector<std::string> answers;  // the locator's, in order; past them it gives up
        std::vector<const char*> asked;    // a word of each problem the locator was asked about
        const char* result;                // "b" or "moved": opened from there; else the refusal
    } cases[] = {
        {"unchanged", [] {}, true, {}, {}, "b"},
        {"touched", touch, false, {}, {}, "b"},
        {"copied without -p", copy, true, {}, {}, "b"},
        {"moved, located", move, true, {moved}, {"missing"}, "moved"},
        {"moved, an impostor chosen first",
         move,
         true,
         {impostor, moved},
         {"missing", "same audio"},
         "moved"},
        {"moved, no locator", move, false, {}, {}, "missing"},
        {"replaced by other audio of its size", replace, true, {}, {"changed"}, "changed"},
        {"the same frames at another rate", at48k, true, {}, {"changed"}, "changed"},
        {"version 1, unchanged", version1, true, {}, {}, "b"},
        {"version 1, touched", version1AndTouch, true, {moved}, {}, "changed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(moved);
        WriteWav(b, MakeFrames(2, 3000));
        WriteWav(impostor, MakeFrames(4, 3000));
        std::vector<Frame> audio;
        {
            EditSession saved;
            Build(saved);
            audio = AudioOf(saved.Edits());
            std::string error;
            ASSERT_TRUE(saved.Save(sessionPath, error)) << error;
        }
        c.change();

        EditSession session;
        std::vector<std::string> answers = c.answers;
        std::vector<std::string> problems;
        const session_file::Locator locate = [&](const std::string& savedPath,
                                                 const std::string& problem) {
            EXPECT_EQ(savedPath, b);
            problems.push_back(problem);
            std::optional<std::string> chosen;
            if (!answers.empty()) {
                chosen = answers.front();
                answers.erase(answers.begin());
            }
            return chosen;
        };
        std::string error;
        const bool opened =
            session.Open(sessionPath, error, c.withLocator ? locate : session_file::Locator());
        ASSERT_EQ(problems.size(), c.asked.size());
        for (size_t i = 0; i < problems.size(); ++i) {
            EXPECT_NE(problems[i].find(c.asked[i]), std::string::npos) << problems[i];
            EXPECT_NE(problems[i].find(i == 0 ? b : c.answers[i - 1]), std::string::npos)
                << problems[i];
        }
        const bool located = c.result == std::string("moved");
        if (!located && c.result != std::string("b")) {
            EXPECT_FALSE(opened);
            EXPECT_NE(error.find(c.result), std::string::npos) << error;
            EXPECT_NE(error.find(b), std::string::npos) << error;
            EXPECT_TRUE(session.Edits().IsEmpty()) << "nothing opened half-way";
            continue;
        }
        ASSERT_TRUE(opened) << error;
        EXPECT_EQ(AudioOf(session.Edits()), audio);
        EXPECT_EQ(session.Edits().File(1)->Path(), located ? moved : b);
        EXPECT_EQ(session.IsModified(), located) << "a new place is a change to save";
    }
}

TEST_F(SessionFiles, ASourceThatCannotBeOpenedIsNamedWithTheReason) {
    {
        EditSession saved;
        Build(saved);
        std::string error;
        ASSERT_TRUE(saved.Save(sessionPath, error)) << error;
    }
    WaveFile otherProgram;  // holds the lock as another program would
    ASSERT_TRUE(otherProgram.Open(b.c_str(), WaveFile::kRead));
    EditSession session;
    std::string error;
    EXPECT_FALSE(session.Open(sessionPath, error));
    EXPECT_NE(error.find("the source file " + b +
                         " cannot be opened: it is locked by another "
                         "program"),
              std::string::npos)
        << error;
}

TEST_F(SessionFiles, DamagedAndFutureFilesAreRefusedWithAReason) {
    std::string good;
    {
        EditSession saved;
        Build(saved);
        good = session_file::Write(*saved.Edits().Snapshot());
    }
    const std::string sources = good.substr(0, good.find("segment"));
    const struct {
        const char* name;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty file", "", "not an Orvane session"},
        {"another kind of file", "RIFF....WAVEfmt ", "not an Orvane session"},
        {"a future version", "orvane-session 5\nwhatever comes then\n", "newer version"},
        {"cut short", good.substr(0, good.size() - 4), "damaged"},
        {"no end line", sources, "damaged"},
        {"a segment past its file", sources + "segment 1 0 3001\nend\n", "outside"},
        {"a segment of no source", sources + "segment 2 0 1\nend\n", "damaged"},
        {"start after end", sources + "segment 0 10 9\nend\n", "damaged"},
        {"a negative number", sources + "segment 0 -1 9\nend\n", "damaged"},
        {"a negative gain", sources + "segment 0 0 9 gain -0.5\nend\n", "damaged"},
        {"a ramp of no frames", sources + "segment 0 0 9 ramp linear 0 0 0 1\nend\n", "damaged"},
        {"an unknown curve", sources + "segment 0 0 9 ramp cubic 0 9 0 1\nend\n", "damaged"},
        {"a level before version 4",
         "orvane-session 3" + sources.substr(16) + "segment 0 0 9 gain 2\nend\n", "damaged"},
        {"text after the end", good + "segment 0 0 1\n", "damaged"},
        {"an unknown line", sources + "colour red\nend\n", "damaged"},
        {"a bad escape", "orvane-session 1\nsource 1 1 44100 /x\\q\nend\n", "damaged"},
        {"a bad hash", "orvane-session 2\nsource 1 1 44100 12345 /x\nend\n", "damaged"},
        {"no hash", "orvane-session 2\nsource 1 1 44100 /x\nend\n", "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(sessionPath, c.text);
        EditSession session;
        std::string error;
        EXPECT_FALSE(session.Open(sessionPath, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(error.find(sessionPath), std::string::npos) << error;
        EXPECT_TRUE(session.Edits().IsEmpty());
    }
    WriteText(sessionPath, good);
    EditSession session;
    std::string error;
    EXPECT_TRUE(session.Open(sessionPath, error)) << "the unaltered text opens: " << error;
}

// The recovery copy of a process killed outright is left behind once its lock is free, is
// claimed by one start at a time, and restores its audio and its session's name.
TEST_F(SessionFiles, ARecoveryFileOutlivesAKilledProcessAndRestoresItsEdits) {
    const std::string state = dir.File("state");
    std::filesystem::create_directory(state);
    std::vector<Frame> expected;
    {
        EditSession reference;
        Build(reference);
        reference.Edits().DeleteRange(10, 20);
        expected = AudioOf(reference.Edits());
    }
    const std::string sessionPath = dir.File("mix.orvane");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        EditSession session;
        Build(session);
        RecoveryFile recovery(state);
        recovery.Keep(session.Edits().Snapshot(), "");
        session.Edits().DeleteRange(10, 20);
        recovery.Keep(session.Edits().Snapshot(), sessionPath);
        recovery.Flush();
        WriteText(dir.File("kept"), "");
        pause();  // killed here
        _exit(0);
    }
    for (int i = 0; i < 1000 && !std::filesystem::exists(dir.File("kept")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(RecoveryFile::LeftBehind(state).empty()) << "its process still runs";
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::vector<RecoveryFile::LeftBehindCopy> left = RecoveryFile::LeftBehind(state);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(RecoveryFile::LeftBehind(state).empty()) << "claimed by the first start";
    EXPECT_EQ(left[0].SessionPath(), sessionPath);
    EXPECT_EQ(left[0].Frames(), expected.size());
    EditSession restored;
    std::string error;
    ASSERT_TRUE(restored.Recover(left[0].SessionText(), left[0].SessionPath(), error)) << error;
    EXPECT_EQ(AudioOf(restored.Edits()), expected);
    EXPECT_EQ(restored.Path(), sessionPath);
    EXPECT_TRUE(restored.IsModified());

    // A run that ends normally removes its own copy, and its lock file with it.
    {
        RecoveryFile recovery(state);
        recovery.Keep(restored.Edits().Snapshot(), "");
        EXPECT_TRUE(recovery.Flush());
        EXPECT_TRUE(std::filesystem::exists(recovery.Path()));
        recovery.Discard();
        EXPECT_FALSE(std::filesystem::exists(recovery.Path()));
    }
    EXPECT_EQ(left[0].SessionText().substr(0, 16), "orvane-session 4");
    EXPECT_TRUE(left[0].Remove());
    EXPECT_TRUE(std::filesystem::is_empty(state)) << "no copy and no lock file stays";
}

}  // namespace
