// "Render to file...": the dialog's buttons, the render it runs, and the main
// window's command that opens it.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "render/RenderDialog.h"
#include "resources/CommandIds.h"

using namespace testing_support;

namespace {

class RenderDialogTest : public FrameFixture {
public:
    void SetUp() override {
        FrameFixture::SetUp();
        frame->LoadWave(MakeWav("source.wav", 10000), "source.wav");
        frame->GetWorkspace().DeleteRange(1000, 10000);  // 1000 frames of a 10000-frame file
        dialog = new RenderDialog(frame, files);
        dialog->Attach(&frame->Host(), &frame->GetWorkspace());
        dialog->Show();
        ProcessPendingUi(dialog);
    }
    void TearDown() override {
        dialog->Destroy();
        FrameFixture::TearDown();
    }
    void Click(wxButton* button) {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
        ProcessPendingUi(dialog);
    }
    wxButton* SelectButton() const { return dynamic_cast<wxButton*>(dialog->FindWindow(1002)); }

    RenderDialog* dialog = nullptr;
};

TEST_F(RenderDialogTest, SelectOffersDumpWavAndFillsTheField) {
    Click(SelectButton());  // cancelled
    EXPECT_EQ(files.lastSaveName, "dump.wav");
    EXPECT_EQ(dialog->PathField()->GetValue(), "");
    files.toSave.push_back(dir.File("chosen.wav"));
    Click(SelectButton());
    EXPECT_EQ(dialog->PathField()->GetValue(), dir.File("chosen.wav"));
}

TEST_F(RenderDialogTest, StartRendersExactlyTheWorkspaceOnce) {
    const std::string out = dir.File("out.wav");
    dialog->PathField()->ChangeValue(out);
    Click(dialog->StartButton());
    ASSERT_EQ(messages.size(), 1u) << "the done message";
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kInformation);
    EXPECT_TRUE(
        messages[0].text.StartsWith("Rendered 0:00:00.022 (1000 frames) into \"" + out + "\" in "))
        << messages[0].text;
    EXPECT_EQ(ReadBytes(out).size(), 44u + 4000u) << "1000 frames, not the 1024 of two blocks";
    EXPECT_TRUE(dialog->StartButton()->IsEnabled()) << "another render may follow";
    EXPECT_TRUE(dialog->CloseButton()->IsEnabled());
    EXPECT_EQ(dialog->GetDefaultItem(), dialog->CloseButton());
    EXPECT_EQ(dialog->ProgressBar()->GetValue(), dialog->ProgressBar()->GetRange())
        << "the bar ends full";
}

TEST_F(RenderDialogTest, UncreatableOutputIsNamedAndLeavesBothButtons) {
    const std::string out = dir.File("missing/out.wav");
    dialog->PathField()->ChangeValue(out);
    Click(dialog->StartButton());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.Contains(out)) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("No such file or directory")) << messages[0].text;
    EXPECT_TRUE(dialog->StartButton()->IsEnabled());
    EXPECT_TRUE(dialog->CloseButton()->IsEnabled());

    // The source is held by the workspace: refused, and left intact.
    const std::string source = dir.File("source.wav");
    const uint64_t sum = Checksum(source);
    dialog->PathField()->ChangeValue(source);
    Click(dialog->StartButton());
    ASSERT_EQ(messages.size(), 2u) << "refused without asking whether to replace it";
    EXPECT_EQ(messages[1].icon, platform::MessageIcon::kError);
    EXPECT_TRUE(messages[1].text.Contains("it is the source file")) << messages[1].text;
    EXPECT_EQ(Checksum(source), sum);
}

// Replacing a file asks first: once, in the save dialog (the real one asks itself) for a
// chosen path, and at Start for a typed one. No keeps the file as it was.
TEST_F(RenderDialogTest, ReplacingAnExistingFileAsksFirst) {
    const struct {
        const char* name;
        bool chosen;  // through Select rather than typed
        platform::MessageAnswer answer;
        bool asked;
        bool replaced;
    } cases[] = {
        {"typed, Yes", false, platform::MessageAnswer::kYes, true, true},
        {"typed, No", false, platform::MessageAnswer::kNo, true, false},
        {"chosen in the save dialog", true, platform::MessageAnswer::kNo, false, true},
    };
    const std::vector<uint8_t> earlier(500, 0x33);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = dir.File("existing.wav");
        WriteBytes(out, earlier);
        messages.clear();
        answers = {c.answer};
        if (c.chosen) {
            files.toSave.push_back(out);
            Click(SelectButton());
        } else {
            dialog->PathField()->ChangeValue(out);
        }
        Click(dialog->StartButton());
        // The question, if any, comes first; a finished render then says it is done.
        const bool questioned =
            !messages.empty() && messages[0].buttons == platform::MessageButtons::kYesNo;
        ASSERT_EQ(questioned, c.asked);
        if (c.asked) {
            EXPECT_TRUE(messages[0].text.Contains(out)) << messages[0].text;
            EXPECT_EQ(messages[0].buttons, platform::MessageButtons::kYesNo);
        }
        EXPECT_EQ(ReadBytes(out).size(), c.replaced ? 44u + 4000u : earlier.size());
        EXPECT_TRUE(dialog->StartButton()->IsEnabled());
    }
}

TEST_F(RenderDialogTest, ASourceCutShortStopsTheRenderWithItsName) {
    const std::string source = dir.File("source.wav");
    const std::string out = dir.File("out.wav");
    // The workspace holds the first 1000 frames; the file loses them behind Orvane's back.
    std::filesystem::resize_file(source, 44 + 4 * 100);
    dialog->PathField()->ChangeValue(out);
    Click(dialog->StartButton());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.Contains(source)) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("shorter")) << messages[0].text;
    EXPECT_FALSE(std::filesystem::exists(out)) << "nothing written";
    EXPECT_TRUE(dialog->StartButton()->IsEnabled());
}

TEST_F(RenderDialogTest, PathsLongerThan256CharactersAreRefused) {
    // A path that could be created, but is longer than the field allows.
    const std::string folder = dir.File(std::string(120, 'a') + "/" + std::string(120, 'b'));
    std::filesystem::create_directories(folder);
    const std::string longPath = folder + "/out.wav";
    ASSERT_GT(longPath.size(), 256u);
    files.toSave.push_back(longPath);
    Click(SelectButton());
    EXPECT_EQ(dialog->PathField()->GetValue(), longPath) << "shown whole, not cut";
    Click(dialog->StartButton());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Please enter no more than 256 characters.");
    EXPECT_TRUE(dialog->StartButton()->IsEnabled());
    EXPECT_FALSE(std::filesystem::exists(longPath));
}

// Answers the render dialog when it runs modally, after looking at the world through `look`.
class ExpectRenderDialog : public wxExpectModalBase<RenderDialog> {
public:
    explicit ExpectRenderDialog(std::function<void(RenderDialog&)> look) : look_(std::move(look)) {}

protected:
    int OnInvoked(RenderDialog* dialog) const override {
        look_(*dialog);
        return wxID_CANCEL;
    }

private:
    std::function<void(RenderDialog&)> look_;
};

// "Include effect tail" with an echo chosen in the menu: off, the file ends with the
// workspace; ticked, the echo rings on and half a second of silence ends the file.
class RenderTailDialog : public RenderDialogTest {
protected:
    std::vector<std::string> Plugins() const override { return {"echo.so"}; }
};

TEST_F(RenderTailDialog, TheBoxRendersTheEffectsTail) {
    Command(cmd::kFirstPlugin);
    ASSERT_EQ(frame->Host().ChainSize(), 1u);
    EXPECT_FALSE(dialog->TailBox()->GetValue()) << "no tail unless asked for";
    const std::string plain = dir.File("plain.wav");
    dialog->PathField()->ChangeValue(plain);
    Click(dialog->StartButton());
    const std::string tailed = dir.File("tailed.wav");
    dialog->TailBox()->SetValue(true);
    dialog->PathField()->ChangeValue(tailed);
    Click(dialog->StartButton());

    ASSERT_EQ(messages.size(), 2u) << "two done messages";
    EXPECT_EQ(ReadBytes(plain).size(), 44u + 4 * 1000u);
    EXPECT_GT(ReadBytes(tailed).size(), 44u + 4 * (1000u + 22050u));
    EXPECT_TRUE(messages[1].text.Contains("into \"" + tailed + "\"")) << messages[1].text;
    EXPECT_TRUE(dialog->TailBox()->IsEnabled()) << "usable again after the render";
}

class RenderCommand : public FrameFixture {};

TEST_F(RenderCommand, EnabledWithAudioAndStopsPlaybackBeforeTheDialog) {
    EXPECT_FALSE(Enabled(cmd::kRenderToFile));
    frame->LoadWave(MakeWav("a.wav", 100000), "a.wav");
    EXPECT_TRUE(Enabled(cmd::kRenderToFile));
    Command(cmd::kShowWorkspace);
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());
    EXPECT_TRUE(Enabled(cmd::kRenderToFile)) << "playback does not disable it";
    bool stoppedBeforeDialog = false;
    wxTEST_DIALOG(Command(cmd::kRenderToFile), ExpectRenderDialog([&](RenderDialog&) {
                      stoppedBeforeDialog = !frame->Player().IsPlaying();
                  }));
    EXPECT_TRUE(stoppedBeforeDialog);
}

// The session being edited is no output for its own render, by any name: Orvane keeps no file
// of it open, so only the dialog's check stands between the render and the edit list.
TEST_F(RenderCommand, TheSessionBeingEditedIsNeverTheOutput) {
    frame->LoadWave(MakeWav("a.wav", 3000), "a.wav");
    const std::string session = dir.File("mix.orvane");
    files.sessionsToSave.push_back(session);
    Command(cmd::kSaveSession);
    const std::vector<uint8_t> saved = ReadBytes(session);
    ASSERT_FALSE(saved.empty());
    std::filesystem::create_symlink(session, dir.File("alias.orvane"));
    wxTEST_DIALOG(Command(cmd::kRenderToFile), ExpectRenderDialog([&](RenderDialog& dialog) {
                      dialog.PathField()->ChangeValue(dir.File("alias.orvane"));
                      wxCommandEvent start(wxEVT_BUTTON, dialog.StartButton()->GetId());
                      start.SetEventObject(dialog.StartButton());
                      dialog.StartButton()->ProcessWindowEvent(start);
                  }));
    ASSERT_EQ(messages.size(), 1u) << "refused without asking whether to replace it";
    EXPECT_TRUE(messages[0].text.Contains("session being rendered")) << messages[0].text;
    EXPECT_EQ(ReadBytes(session), saved);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("alias.orvane")));
}

}  // namespace
