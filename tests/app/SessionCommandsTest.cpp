// The edit session through the real main window: undo and redo with their menu texts, paste
// into an empty workspace, Select All, session files, the questions about unsaved changes,
// and the offer to restore a recovery file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <cmath>
#include <fstream>

#include "app/FrameFixture.h"
#include "platform/SessionStorage.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "render/RenderCommand.h"
#include "render/RenderDialog.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "session/EffectRecord.h"
#include "session/SessionFile.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

// Lets a closed main window go now, while what it uses still exists.
void FinishClosing(wxWindow* closed) {
    for (int i = 0; i < 50 && wxTopLevelWindows.Find(closed) != nullptr; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
    EXPECT_EQ(wxTopLevelWindows.Find(closed), nullptr) << "the window never went";
}

// Sends a command without pumping events afterwards: the window may be gone by then.
void SendCommand(CMainFrame* frame, int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
}

// Long enough to be still playing when a test looks.
constexpr uint32_t kFrames = 100000;

std::vector<Frame> AudioOf(const Workspace& ws) {
    std::vector<Frame> out(ws.TotalLength());
    uint32_t got = 0;
    if (!out.empty()) {
        EXPECT_TRUE(ws.ReadFrames(out.data(), ws.TotalLength(), got, 0));
        out.resize(got);
    }
    return out;
}

class SessionCommands : public FrameFixture {
public:
    std::vector<Frame> Audio() { return AudioOf(frame->GetWorkspace()); }
    wxString Label(int id) {
        UpdateUi();
        return frame->GetMenuBar()->FindItem(menu::MenuItemId(id))->GetItemLabel();
    }
    // "Render to file..." into `path`, as the user starts it in the dialog.
    void RenderFromWindow(const std::string& path) {
        auto* dialog = new RenderDialog(frame, files);
        dialog->Attach(&frame->Host(), &frame->GetWorkspace());
        dialog->Show();
        dialog->PathField()->ChangeValue(path);
        wxCommandEvent start(wxEVT_BUTTON, dialog->StartButton()->GetId());
        start.SetEventObject(dialog->StartButton());
        dialog->StartButton()->ProcessWindowEvent(start);
        dialog->Destroy();
    }
    // a.wav loaded and the workspace shown; the state counts as saved.
    void LoadA() {
        LoadThroughDialog(MakeWav("a.wav", kFrames, 1));
        Command(cmd::kShowWorkspace);
        frame->StartAfresh();
    }
    std::vector<Frame> Slice(uint32_t from, uint32_t to) {
        const std::vector<Frame> all = MakeFrames(1, kFrames);
        return {all.begin() + from, all.begin() + to};
    }
    // The selection in frames after a drag over pixel columns a to b.
    EditSelection DragSelect(int a, int b) {
        DragInView(a, b);
        return {frame->View()->SelectionStart(), frame->View()->SelectionLength()};
    }
};

// Each level command from the menu is one step named after it: it changes the selected frames
// and no others, and Undo gives back the exact frames.
TEST_F(SessionCommands, LevelCommandsAreOneStepEachOverTheSelectionOnly) {
    LoadA();
    frame->View()->AskLevelsWith([](wxWindow*, int, LevelRequest& request) {
        request.gainDecibels = -6.0;
        request.targetDbfs = -20.0;
        return true;
    });
    const std::vector<Frame> original = Audio();
    const struct {
        int command;
        const char* name;
    } cases[] = {{cmd::kGain, "Gain"},
                 {cmd::kNormalize, "Normalize"},
                 {cmd::kFadeIn, "Fade In"},
                 {cmd::kFadeOut, "Fade Out"},
                 {cmd::kSilence, "Silence"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const EditSelection selected = DragSelect(50, 120);
        ASSERT_GT(selected.length, 0u);
        Command(c.command);
        EXPECT_EQ(Label(cmd::kUndo), wxString("&Undo ") + c.name + "\tCtrl+Z");
        const std::vector<Frame> changed = Audio();
        const auto end = selected.start + selected.length;
        EXPECT_TRUE(
            std::equal(changed.begin(), changed.begin() + selected.start, original.begin()));
        EXPECT_TRUE(std::equal(changed.begin() + end, changed.end(), original.begin() + end));
        EXPECT_FALSE(std::equal(changed.begin() + selected.start, changed.begin() + end,
                                original.begin() + selected.start));
        Command(cmd::kUndo);
        EXPECT_EQ(Audio(), original);
    }
}

TEST_F(SessionCommands, UndoAndRedoNameTheirStepAndRestoreAudioAndSelection) {
    LoadA();
    EXPECT_FALSE(Enabled(cmd::kUndo));
    EXPECT_FALSE(Enabled(cmd::kRedo));
    EXPECT_EQ(Label(cmd::kUndo), "&Undo\tCtrl+Z");
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Untitled \u2014 Workspace \u2014 Orvane"));

    const EditSelection cut = DragSelect(100, 300);
    ASSERT_GT(cut.length, 0u);
    Command(cmd::kCut);
    ASSERT_EQ(frame->GetWorkspace().TotalLength(), kFrames - cut.length);
    EXPECT_TRUE(Enabled(cmd::kUndo));
    EXPECT_EQ(Label(cmd::kUndo), "&Undo Cut\tCtrl+Z");
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("*Untitled \u2014 Workspace \u2014 Orvane"))
        << "marked while unsaved";

    DragSelect(0, 0);
    Command(cmd::kPaste);
    EXPECT_EQ(Label(cmd::kUndo), "&Undo Paste\tCtrl+Z");

    Command(cmd::kUndo);
    EXPECT_EQ(Label(cmd::kRedo), "&Redo Paste\tCtrl+Shift+Z");
    Command(cmd::kUndo);
    EXPECT_EQ(Audio(), MakeFrames(1, kFrames));
    EXPECT_EQ(frame->View()->SelectionStart(), cut.start) << "the cut's selection is back";
    EXPECT_EQ(frame->View()->SelectionLength(), cut.length);
    EXPECT_TRUE(frame->View()->IsWorkspaceShown());
    EXPECT_FALSE(Enabled(cmd::kUndo));
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("Untitled \u2014 Workspace \u2014 Orvane"))
        << "back at the saved state";

    Command(cmd::kRedo);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), kFrames - cut.length);
    EXPECT_EQ(frame->View()->SelectionLength(), 0u);
    EXPECT_EQ(Label(cmd::kUndo), "&Undo Cut\tCtrl+Z");
    EXPECT_EQ(Label(cmd::kRedo), "&Redo Paste\tCtrl+Shift+Z");

    // Like the other edits, neither runs during playback.
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());
    EXPECT_FALSE(Enabled(cmd::kUndo));
    EXPECT_FALSE(Enabled(cmd::kRedo));
    Command(cmd::kUndo);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), kFrames - cut.length);
    Command(cmd::kStop);
}

TEST_F(SessionCommands, PasteFillsAnEmptiedWorkspaceAndSelectAllPasteReplacesEverything) {
    LoadA();
    const EditSelection piece = DragSelect(200, 260);
    Command(cmd::kCopy);
    const std::vector<Frame> clip = Slice(piece.start, piece.start + piece.length);

    Command(cmd::kSelectAll);
    EXPECT_EQ(frame->View()->SelectionStart(), 0u);
    EXPECT_EQ(frame->View()->SelectionLength(), kFrames) << "all of the shown range";
    Command(cmd::kPaste);
    EXPECT_EQ(Audio(), clip) << "Select All + Paste: the clipboard replaces everything";

    Command(cmd::kSelectAll);
    Command(cmd::kDelete);
    ASSERT_EQ(frame->GetWorkspace().TotalLength(), 0u);
    ASSERT_EQ(frame->GetWorkspace().SegmentCount(), 0u);
    EXPECT_TRUE(Enabled(cmd::kPaste));
    Command(cmd::kPaste);
    EXPECT_EQ(Audio(), clip) << "a paste into nothing becomes the workspace";
    Command(cmd::kPaste);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 2 * clip.size());

    Command(cmd::kUndo);
    Command(cmd::kUndo);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 0u);
    Command(cmd::kUndo);
    Command(cmd::kUndo);
    EXPECT_EQ(Audio(), MakeFrames(1, kFrames));
}

TEST_F(SessionCommands, SaveAndOpenSessionRoundTripAndNameTheTitle) {
    LoadA();
    LoadThroughDialog(MakeWav("b.wav", 1000, 2));
    Command(cmd::kShowWorkspace);
    DragSelect(100, 300);
    Command(cmd::kCut);
    const std::vector<Frame> audio = Audio();
    files.sessionsToSave.push_back(dir.File("mix.orvane"));
    Command(cmd::kSaveSession);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("mix.orvane \u2014 Workspace \u2014 Orvane"));
    EXPECT_EQ(files.lastSaveName, "Untitled.orvane");

    Command(cmd::kSelectAll);
    Command(cmd::kDelete);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("*mix.orvane \u2014 Workspace \u2014 Orvane"));
    Command(cmd::kSaveSession);  // has a file now: saved without asking
    EXPECT_EQ(files.sessionSaveAsked, 1);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("mix.orvane \u2014 Workspace \u2014 Orvane"));
    Command(cmd::kUndo);

    files.sessionsToOpen.push_back(dir.File("mix.orvane"));
    answers = {platform::MessageAnswer::kDontSave};
    Command(cmd::kOpenSession);
    EXPECT_TRUE(Audio().empty()) << "the session as saved last: everything deleted";
    ASSERT_EQ(frame->WaveFilesMenu()->GetMenuItemCount(), 2u);
    EXPECT_EQ(frame->WaveFilesMenu()->FindItemByPosition(1)->GetItemLabelText(), "b.wav");
    Command(cmd::kUndo);
    EXPECT_EQ(Audio(), audio) << "opening a session is a step too";

    // A source moved away and other audio in its place: Locate... is offered over the window.
    const std::string b = dir.File("b.wav");
    const std::string moved = dir.File("moved.wav");
    std::filesystem::rename(b, moved);
    WriteWav(b, MakeFrames(2, 999));
    files.sessionsToOpen = {dir.File("mix.orvane"), dir.File("mix.orvane")};

    // Cancel: that question was the whole answer, and nothing opens.
    answers = {platform::MessageAnswer::kDontSave, platform::MessageAnswer::kCancel};
    messages.clear();
    Command(cmd::kOpenSession);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].buttons, platform::MessageButtons::kLocateCancel);
    EXPECT_NE(messages[1].text.Find(b + " has changed"), wxNOT_FOUND) << messages[1].text;
    EXPECT_EQ(Audio(), audio);

    // A chosen file with other audio is refused, and the question comes again; the moved file
    // is taken, and saving records its new place.
    files.toLocate = {b, moved};
    answers = {platform::MessageAnswer::kDontSave, platform::MessageAnswer::kLocate,
               platform::MessageAnswer::kLocate};
    messages.clear();
    Command(cmd::kOpenSession);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[2].text.Find(b + " (for " + b + ") does not hold the same audio"),
              wxNOT_FOUND)
        << messages[2].text;
    EXPECT_EQ(files.locateAsked, (std::vector<wxString>{b, b}));
    EXPECT_EQ(files.locateParent, frame);
    ASSERT_EQ(frame->GetWorkspace().FileCount(), 2u);
    EXPECT_EQ(frame->GetTitle(), wxString::FromUTF8("*mix.orvane \u2014 Workspace \u2014 Orvane"))
        << "the new place is a change to save";
    Command(cmd::kSaveSession);
    const std::vector<uint8_t> bytes = ReadBytes(dir.File("mix.orvane"));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(" " + moved + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(" " + b + "\n"), std::string::npos) << text;
}

// `orvane --render OUT SESSION` writes the very file "Render to file..." writes from the
// window that saved the session.
TEST_F(SessionCommands, RenderingASessionEqualsTheRenderFromTheWindow) {
    LoadA();
    LoadThroughDialog(MakeWav("b.wav", 5000, 2));
    DragSelect(10, 200);
    Command(cmd::kCopy);  // from b.wav, shown alone
    Command(cmd::kShowWorkspace);
    DragSelect(100, 300);
    Command(cmd::kCut);
    DragSelect(50, 50);
    Command(cmd::kPaste);
    ASSERT_GT(frame->GetWorkspace().SegmentCount(), 2u);
    files.sessionsToSave.push_back(dir.File("mix.orvane"));
    Command(cmd::kSaveSession);

    const std::string fromWindow = dir.File("window.wav");
    RenderFromWindow(fromWindow);
    const uint32_t length = frame->GetWorkspace().TotalLength();

    // The window holds its sources open (and locked) until it is gone.
    wxWindow* closing = frame;
    frame->Close();
    FinishClosing(closing);
    frame = nullptr;

    const std::string fromSession = dir.File("session.wav");
    std::string error;
    ASSERT_EQ(RunRenderCommand(fromSession, dir.File("mix.orvane"), {}, {}, error), 0) << error;
    const std::vector<uint8_t> rendered = ReadBytes(fromWindow);
    EXPECT_EQ(rendered.size(), 44u + 4u * length);
    EXPECT_EQ(ReadBytes(fromSession), rendered);

    // A session that lists the output among its sources is refused, and the source is kept.
    const std::vector<uint8_t> source = ReadBytes(dir.File("a.wav"));
    EXPECT_EQ(RunRenderCommand(dir.File("a.wav"), dir.File("mix.orvane"), {}, {}, error), 1);
    EXPECT_EQ(error.rfind(dir.File("a.wav") + ": ", 0), 0u) << error;
    EXPECT_EQ(ReadBytes(dir.File("a.wav")), source);
}

class SessionWithEffects : public SessionCommands {
public:
    std::vector<std::string> Plugins() const override {
        return {"gain.so", "chunky.so", "latency.so"};
    }
    // Adds the catalogued plug-in whose library is `file` to the chain, as its menu item does.
    vst::AEffect* Add(const std::string& file) {
        const std::vector<PluginInfo>& catalogue = frame->Host().Catalog();
        for (size_t i = 0; i < catalogue.size(); ++i) {
            if (catalogue[i].path.ends_with("/" + file)) {
                Command(cmd::kFirstPlugin + static_cast<int>(i));
            }
        }
        EffectChain& chain = frame->Host().Chain();
        return chain.Empty() ? nullptr : chain.At(chain.Size() - 1).Effect();
    }
};

// The chain and every effect's settings (parameters, a chunk, a program, a bypass) survive a
// session saved in one window: a fresh process renders the same bytes, and a new window holds
// the same chain.
TEST_F(SessionWithEffects, TheChainAndItsSettingsAreKeptBySessions) {
    LoadA();
    vst::AEffect* gain = Add("gain.so");
    vst::AEffect* chunky = Add("chunky.so");
    Add("latency.so");
    ASSERT_EQ(frame->Host().ChainSize(), 3u);
    gain->setParameter(gain, 0, 0.25f);  // half the level
    PluginHost::Dispatch(chunky, vst::effSetProgram, 0, 2);
    chunky->setParameter(chunky, 1, 0.75f);
    frame->Host().Chain().SetBypassed(2, true);
    files.sessionsToSave.push_back(dir.File("mix.orvane"));
    Command(cmd::kSaveSession);

    const std::string fromWindow = dir.File("window.wav");
    RenderFromWindow(fromWindow);
    wxWindow* closing = frame;
    frame->Close();
    FinishClosing(closing);
    frame = nullptr;

    const std::string command = std::string(ORVANE_PROGRAM) + " --render '" +
                                dir.File("session.wav") + "' '" + dir.File("mix.orvane") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::vector<uint8_t> rendered = ReadBytes(fromWindow);
    ASSERT_GT(rendered.size(), 44u);
    EXPECT_EQ(ReadBytes(dir.File("session.wav")), rendered);
    // Half the level: the gain's setting was in the render, not its default of unity (a half
    // step is dithered to either neighbour).
    const std::vector<uint8_t> source = ReadBytes(dir.File("a.wav"));
    ASSERT_EQ(source.size(), rendered.size());
    const auto sample = [](const std::vector<uint8_t>& bytes, size_t i) {
        return static_cast<int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
    };
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_LT(std::abs(sample(rendered, i) - sample(source, i) / 2.0), 1.0) << i;
    }

    frame = new CMainFrame({audio, files});
    frame->Show();
    frame->WaitForPluginScan();
    ASSERT_TRUE(frame->OpenSession(dir.File("mix.orvane")));
    EffectChain& chain = frame->Host().Chain();
    ASSERT_EQ(chain.Size(), 3u);
    vst::AEffect* reopened = chain.At(1).Effect();
    EXPECT_FLOAT_EQ(chain.At(0).Effect()->getParameter(chain.At(0).Effect(), 0), 0.25f);
    EXPECT_EQ(PluginHost::Dispatch(reopened, vst::effGetProgram), 2);
    EXPECT_FLOAT_EQ(reopened->getParameter(reopened, 1), 0.75f);
    EXPECT_FALSE(chain.At(1).Bypassed());
    EXPECT_TRUE(chain.At(2).Bypassed());
    EXPECT_EQ(frame->Session().IsModified(), false);
}

// Each of New, Open Session, Exit and closing the window with unsaved changes: Cancel keeps
// everything, Don't Save goes on, Save saves (asking where) and goes on.
TEST_F(SessionCommands, UnsavedChangesAreNeverDroppedWithoutAsking) {
    const std::string saved = dir.File("kept.orvane");
    const struct Case {
        const char* name;
        std::function<void(SessionCommands&)> act;
        bool closes;
    } cases[] = {
        {"New", [](SessionCommands& t) { t.Command(cmd::kNew); }, false},
        {"Open Session",
         [&](SessionCommands& t) {
             t.files.sessionsToOpen.push_back(saved);  // only reached after the question
             t.Command(cmd::kOpenSession);
         },
         false},
        {"Exit", [](SessionCommands& t) { SendCommand(t.frame, cmd::kExit); }, true},
        {"close box", [](SessionCommands& t) { t.frame->Close(); }, true},
    };
    for (const Case& c : cases) {
        for (const auto answer :
             {platform::MessageAnswer::kCancel, platform::MessageAnswer::kDontSave,
              platform::MessageAnswer::kSave}) {
            SCOPED_TRACE(std::string(c.name) + " answered " + std::to_string(int(answer)));
            if (frame == nullptr) {
                frame = new CMainFrame({audio, files});
                frame->Show();
                ProcessPendingUi(frame);
            }
            frame->Session().StartAfresh();
            Command(cmd::kNew);  // unmodified: no question; an untitled, empty session
            ASSERT_TRUE(frame->GetWorkspace().IsEmpty());
            std::filesystem::remove(saved);
            LoadThroughDialog(MakeWav("a.wav", kFrames, 1));
            Command(cmd::kShowWorkspace);
            DragSelect(100, 200);
            Command(cmd::kDelete);
            const uint32_t length = frame->GetWorkspace().TotalLength();
            if (c.name == std::string("Open Session")) {
                // Something to open: this very state, saved aside.
                std::string error;
                ASSERT_TRUE(session_file::Save(saved, *frame->GetWorkspace().Snapshot(), error));
            }
            messages.clear();
            answers = {answer};
            files.sessionsToSave = {dir.File("answer.orvane")};
            std::filesystem::remove(dir.File("answer.orvane"));
            wxWindow* before = frame;
            c.act(*this);

            ASSERT_FALSE(messages.empty()) << "no question asked";
            EXPECT_EQ(messages[0].text, "Save changes to Untitled?");
            const bool goesOn = answer != platform::MessageAnswer::kCancel;
            EXPECT_EQ(std::filesystem::exists(dir.File("answer.orvane")),
                      answer == platform::MessageAnswer::kSave);
            if (c.closes) {
                const bool open = wxTopLevelWindows.Find(before) != nullptr &&
                                  !wxTheApp->IsScheduledForDestruction(before);
                EXPECT_EQ(open, !goesOn);
                if (!open) {
                    FinishClosing(before);
                    frame = nullptr;
                    continue;
                }
            }
            if (!goesOn) {
                EXPECT_EQ(frame->GetWorkspace().TotalLength(), length) << "Cancel kept all";
            }
            frame->Session().StartAfresh();  // nothing to ask about before the next case
        }
    }
}

// A run that kept a recovery copy of `edited` (for session file `sessionPath`) and was killed
// before it could remove it. Reaped unless `zombie`: then it stays a zombie, whose id still
// answers kill(pid, 0). The child is forked without exec, so no other thread may be inside
// the allocator then (the sanitizers' allocator is not fork-safe): the caller's threads must
// be idle, which is why the workspaces given here build no peak tables. The toolkit's own
// threads cannot be stopped, though: a child that caught one of them inside the allocator
// waits for ever on its lock, so an alarm ends such a child and the run is made again.
pid_t CrashedRun(const std::string& state, const Workspace::State& edited,
                 const std::string& sessionPath, bool zombie,
                 const std::vector<EffectRecord>& effects) {
    constexpr unsigned kChildSeconds = 20;
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        const pid_t child = fork();
        if (child == 0) {
            alarm(kChildSeconds);
            RecoveryFile recovery(state);
            recovery.Keep(edited, sessionPath, effects);
            recovery.Flush();
            raise(SIGKILL);
        }
        EXPECT_GT(child, 0);
        siginfo_t info{};
        EXPECT_EQ(waitid(P_PID, child, &info, WEXITED | WNOWAIT), 0);
        if (info.si_status == SIGALRM && attempt < kAttempts) {
            waitpid(child, nullptr, 0);
            continue;
        }
        EXPECT_EQ(info.si_code, CLD_KILLED);
        EXPECT_EQ(info.si_status, SIGKILL) << "the run hung " << attempt << " times";
        if (!zombie) {
            waitpid(child, nullptr, 0);
        }
        return child;
    }
}

std::vector<std::string> CopiesIn(const std::string& state) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(state)) {
        if (entry.path().extension() == ".orvane") {
            names.push_back(entry.path().string());
        }
    }
    return names;
}

// Crashed runs' copies at the next start, each offered newest first and removed only once
// restored or discarded; a restore brings back the audio frame by frame and the session's
// file name, into which Ctrl+S then saves.
TEST_F(SessionCommands, TheNextStartOffersEveryCopyACrashLeftAndRemovesOnlyWhatItRestored) {
    using platform::MessageAnswer;
    const struct Case {
        const char* name;
        int runs;         // crashed runs, run 1 the newer
        bool zombie;      // the newest run never reaped
        bool sourceGone;  // the newest run's source removed before the start
        std::vector<MessageAnswer> answers;
        int restored;           // the run whose edits the window holds after (-1: none)
        std::vector<int> kept;  // the runs whose copies the start after this one offers
        std::vector<std::string> effects = {};  // the chain the newest run kept, by name
    } cases[] = {
        {"two crashed runs",
         2,
         false,
         false,
         {MessageAnswer::kRestore, MessageAnswer::kDiscard},
         1,
         {}},
        {"Later, then the older restored",
         2,
         false,
         false,
         {MessageAnswer::kLater, MessageAnswer::kRestore},
         0,
         {1}},
        {"a failed restore",
         1,
         false,
         true,
         {MessageAnswer::kRestore, MessageAnswer::kOk},
         -1,
         {0}},
        {"Discard", 1, false, false, {MessageAnswer::kDiscard}, -1, {}, {"Echo One", "Gain"}},
        {"a zombie's copy", 1, true, false, {MessageAnswer::kRestore}, 0, {}},
    };
    int caseNumber = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path home = dir.Path() / ("start" + std::to_string(++caseNumber));
        const std::string state = (home / "orvane").string();
        std::filesystem::create_directories(state);
        setenv("XDG_STATE_HOME", home.c_str(), 1);
        const auto nameOf = [&](int run) {
            return "c" + std::to_string(caseNumber) + "run" + std::to_string(run);
        };

        std::vector<std::vector<Frame>> audioOf;
        std::vector<pid_t> zombies;
        for (int run = 0; run < c.runs; ++run) {
            const std::string name = nameOf(run);
            Workspace ws;
            ws.BuildNoPeaks();  // no thread of its own when the run is forked
            ASSERT_TRUE(ws.AddFile(MakeWav(name + ".wav", 3000, 3 + run).c_str()));
            ws.DeleteRange(100 * (run + 1), 1000);
            const std::vector<Frame> all = MakeFrames(3 + run, 3000);
            std::vector<Frame> edited(all.begin(), all.begin() + 100 * (run + 1));
            edited.insert(edited.end(), all.begin() + 1000, all.end());
            audioOf.push_back(edited);
            frame->Recovery().Flush();        // its writer waits, holding nothing, over the fork
            std::vector<EffectRecord> chain;  // the newest run's
            for (const std::string& effect : c.effects) {
                if (run == c.runs - 1) {
                    chain.push_back({"/nowhere/" + effect + ".so", 0, effect, false, {}});
                }
            }
            const pid_t child = CrashedRun(state, ws.Snapshot(), dir.File(name + ".orvane"),
                                           c.zombie && run == c.runs - 1, chain);
            if (c.zombie && run == c.runs - 1) {
                zombies.push_back(child);
            }
        }
        if (c.sourceGone) {
            std::filesystem::remove(dir.File(nameOf(0) + ".wav"));
        }

        DestroyNow(frame);
        frame = new CMainFrame({audio, files});
        frame->Show();
        messages.clear();
        answers = {c.answers.begin(), c.answers.end()};
        EXPECT_EQ(frame->OfferRecovery(), c.restored >= 0);
        ASSERT_GE(messages.size(), size_t(c.runs));
        for (int offer = 0; offer < c.runs; ++offer) {
            const int run = c.runs - 1 - offer;  // newest first
            const std::string name = nameOf(run);
            const auto& asked = messages[size_t(offer) + (c.sourceGone && offer > 0 ? 1 : 0)];
            EXPECT_EQ(asked.buttons, platform::MessageButtons::kRestoreDiscardLater);
            EXPECT_NE(asked.text.Find(name + ".orvane"), wxNOT_FOUND) << asked.text;
            EXPECT_NE(asked.text.Find("1 file (" + name + ".wav)"), wxNOT_FOUND) << asked.text;
            const char* length = run == 0 ? "0:00:00.047" : "0:00:00.049";  // 2100, 2200 frames
            EXPECT_NE(asked.text.Find(length), wxNOT_FOUND) << asked.text;
            if (offer == 0 && !c.effects.empty()) {
                EXPECT_NE(asked.text.Find("through 2 effects (Echo One, Gain)"), wxNOT_FOUND)
                    << asked.text;
            }
        }
        if (c.sourceGone) {
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_EQ(messages[1].icon, platform::MessageIcon::kError);
            EXPECT_NE(messages[1].text.Find("run0.wav"), wxNOT_FOUND) << messages[1].text;
        }
        if (c.restored >= 0) {
            const std::string name = nameOf(c.restored);
            EXPECT_EQ(Audio(), audioOf[size_t(c.restored)]);
            EXPECT_EQ(frame->GetTitle(),
                      wxString::FromUTF8("*" + name + ".orvane \u2014 Workspace \u2014 Orvane"));
            Command(cmd::kSaveSession);
            EXPECT_EQ(files.sessionSaveAsked, 0) << "saved into the session's own file";
        } else {
            EXPECT_TRUE(frame->GetWorkspace().IsEmpty());
        }
        for (const pid_t zombie : zombies) {
            waitpid(zombie, nullptr, 0);
        }
        // The next start: what is left is offered again.
        DestroyNow(frame);
        frame = nullptr;
        if (c.restored >= 0) {
            EditSession saved;
            std::string error;
            ASSERT_TRUE(saved.Open(dir.File(nameOf(c.restored) + ".orvane"), error)) << error;
            EXPECT_EQ(AudioOf(saved.Edits()), audioOf[size_t(c.restored)]);
        }
        EXPECT_EQ(CopiesIn(state).size(), c.kept.size());
        std::vector<std::string> offeredNext;
        for (const RecoveryFile::LeftBehindCopy& copy : RecoveryFile::LeftBehind(state)) {
            offeredNext.push_back(copy.SessionPath());
        }
        std::vector<std::string> expectedNext;
        for (const int run : c.kept) {
            expectedNext.push_back(dir.File(nameOf(run) + ".orvane"));
        }
        EXPECT_EQ(offeredNext, expectedNext);
        frame = new CMainFrame({audio, files});
    }
}

// A recovery copy that cannot be written is said once, in a message and the status bar, and
// tried again at the next edit; a write that succeeds again clears the status.
TEST_F(SessionCommands, ACopyThatCannotBeWrittenIsReportedOnceAndTriedAgain) {
    const std::string state = (dir.Path() / "state" / "orvane").string();
    rlimit sizeLimit{};
    getrlimit(RLIMIT_FSIZE, &sizeLimit);
    const struct Case {
        const char* name;
        std::function<void()> fail;
        std::function<void()> mend;
    } cases[] = {
        {"a full disk",  // files may grow to 8 bytes, as on a disk with no room left
         [&] {
             signal(SIGXFSZ, SIG_IGN);
             const rlimit small{8, sizeLimit.rlim_max};
             setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] {
             setrlimit(RLIMIT_FSIZE, &sizeLimit);
             signal(SIGXFSZ, SIG_DFL);
         }},
        {"a folder that cannot hold files",
         [&] {
             std::filesystem::remove_all(state);
             std::ofstream(state) << "in the way";
         },
         [&] {
             std::filesystem::remove(state);
             std::filesystem::create_directory(state);
         }},
    };
    LoadA();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        c.fail();
        DragSelect(100, 120);
        Command(cmd::kDelete);
        const bool firstWritten = frame->Recovery().Flush();
        DragSelect(100, 120);
        Command(cmd::kDelete);
        const bool secondWritten = frame->Recovery().Flush();
        ProcessPendingUi(frame);
        c.mend();
        EXPECT_FALSE(firstWritten);
        EXPECT_FALSE(secondWritten);
        ASSERT_EQ(messages.size(), 1u) << "said once, not at every write";
        EXPECT_EQ(messages[0].icon, platform::MessageIcon::kWarning);
        EXPECT_NE(messages[0].text.Find(state), wxNOT_FOUND) << messages[0].text;
        const wxString status = frame->GetStatusBar()->GetStatusText(0);
        EXPECT_NE(status.Find(state), wxNOT_FOUND) << status;

        Command(cmd::kUndo);
        EXPECT_TRUE(frame->Recovery().Flush());
        ProcessPendingUi(frame);
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Ready");
        EXPECT_EQ(CopiesIn(state), std::vector<std::string>{frame->Recovery().Path()});
    }
}

}  // namespace
