// The real open and save dialogs (GTK's file chooser), as the program runs them: they come up
// without a toolkit assertion (the test main turns every assertion into a failure), take a
// chosen path and hand it back, and come back empty when cancelled.

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <filesystem>

#include "platform/gui/FileChooser.h"
#include "support/GuiTestFrame.h"
#include "support/TestWav.h"

using namespace testing_support;

namespace {

// Answers the next file dialog once it is on screen: with `answer` as the chosen path, or
// with Cancel when it is empty. Records what the dialog looked like.
class FileDialogAnswer : public wxModalDialogHook {
public:
    explicit FileDialogAnswer(wxString answer) : answer_(std::move(answer)) {
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Step(); });
        Register();
    }
    ~FileDialogAnswer() override { Unregister(); }

    bool shown = false;
    long style = 0;
    wxString wildcard;
    wxString initialName;

protected:
    int Enter(wxDialog* dialog) override {
        dialog_ = dynamic_cast<wxFileDialog*>(dialog);
        if (dialog_ != nullptr) {
            style = dialog_->GetWindowStyleFlag();
            wildcard = dialog_->GetWildcard();
            initialName = dialog_->GetFilename();
            timer_.Start(20);
        }
        return wxID_NONE;  // the dialog runs for real
    }
    void Exit(wxDialog*) override {
        timer_.Stop();
        dialog_ = nullptr;
    }

private:
    void Step() {
        if (dialog_ == nullptr || !dialog_->IsShown()) {
            return;
        }
        shown = true;
        if (answer_.empty()) {
            dialog_->EndModal(wxID_CANCEL);
            return;
        }
        // GTK applies a path a little later: end only once the dialog reports it.
        if (!pathSet_) {
            dialog_->SetPath(answer_);
            pathSet_ = true;
        } else if (dialog_->GetPath() == answer_) {
            dialog_->EndModal(wxID_OK);
        } else if (++waits_ > 250) {
            ADD_FAILURE() << "the dialog never took the path " << answer_;
            dialog_->EndModal(wxID_CANCEL);
        }
    }

    wxString answer_;
    wxFileDialog* dialog_ = nullptr;
    wxTimer timer_;
    bool pathSet_ = false;
    int waits_ = 0;
};

class RealFileDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        owner = new GuiTestFrame();
        owner->Show();
    }
    void TearDown() override { DestroyNow(owner); }

    TempDir dir;
    GuiTestFrame* owner = nullptr;
    platform::SystemFileChooser chooser;
};

TEST_F(RealFileDialogs, OpenShowsEveryAudioFormatAndAllFilesAndReturnsTheChosenFile) {
    const std::string file = dir.File("take one.wav");
    WriteWav(file, MakeFrames(1, 100));
    FileDialogAnswer answer(file);
    wxString path;
    wxString name;
    ASSERT_TRUE(chooser.ChooseWaveToOpen(owner, path, name));
    EXPECT_TRUE(answer.shown);
    EXPECT_EQ(path, file);
    EXPECT_EQ(name, "take one.wav");
    EXPECT_TRUE(answer.style & wxFD_OPEN);
    EXPECT_TRUE(answer.style & wxFD_FILE_MUST_EXIST);

    wxArrayString descriptions;
    wxArrayString patterns;
    ASSERT_EQ(wxParseCommonDialogsFilter(answer.wildcard, descriptions, patterns), 3);
    for (const char* extension :
         {"*.wav", "*.flac", "*.ogg", "*.opus", "*.mp3", "*.aiff", "*.w64"}) {
        EXPECT_NE(wxSplit(patterns[0], ';').Index(extension), wxNOT_FOUND) << extension;
    }
    EXPECT_EQ(patterns[1], "*.wav");
    EXPECT_EQ(patterns[2], "*");
}

TEST_F(RealFileDialogs, CancelledOpenReturnsNothing) {
    FileDialogAnswer answer("");
    wxString path = "unchanged";
    wxString name;
    EXPECT_FALSE(chooser.ChooseWaveToOpen(owner, path, name));
    EXPECT_TRUE(answer.shown);
    EXPECT_EQ(path, "unchanged");
}

TEST_F(RealFileDialogs, SaveStartsAtTheGivenNameAndReturnsTheChosenPath) {
    const std::string file = dir.File("rendered.wav");
    FileDialogAnswer answer(file);
    wxString path;
    ASSERT_TRUE(chooser.ChooseWaveToSave(owner, "dump.wav", path));
    EXPECT_TRUE(answer.shown);
    EXPECT_EQ(path, file);
    EXPECT_EQ(answer.initialName, "dump.wav");
    EXPECT_TRUE(answer.style & wxFD_SAVE);
    EXPECT_FALSE(std::filesystem::exists(file)) << "choosing a path writes nothing";
}

}  // namespace
