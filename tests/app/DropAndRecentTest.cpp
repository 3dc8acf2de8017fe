// Files dropped on the window open as Load Wave and Open Session open them, and File > "Open
// Recent" lists, after a restart, what Orvane opened and saved, through the desktop's list.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/FrameFixture.h"
#include "app/RecentFilesController.h"
#include "platform/gui/RecentFiles.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

class DropAndRecent : public FrameFixture {
public:
    std::vector<std::string> OpenFiles() const {
        std::vector<std::string> paths;
        for (uint32_t i = 0; i < frame->GetWorkspace().FileCount(); ++i) {
            paths.push_back(frame->GetWorkspace().File(i)->Path());
        }
        return paths;
    }
};

TEST_F(DropAndRecent, DroppedFilesOpenAndOpenRecentBringsThemBackAfterARestart) {
    const std::string c = MakeWav("c.wav", 3000, 3);
    const std::string session = dir.File("mix.orvane");
    LoadThroughDialog(c);
    files.sessionsToSave.push_back(session);
    Command(cmd::kSaveSession);
    ASSERT_TRUE(std::filesystem::exists(session));
    frame->View()->ShowWorkspaceSelection(0, 1000);
    Command(cmd::kDelete);  // unsaved: opening the session asks first
    ASSERT_TRUE(frame->Session().IsModified());

    // Two wave files and the session, as a file manager drops them. The session opens first,
    // then the files join it in their order.
    const std::string a = MakeWav("a.wav", 1000, 1);
    const std::string b = MakeWav("b.wav", 2000, 2);
    answers.push_back(platform::MessageAnswer::kDontSave);
    wxArrayString dropped;
    for (const std::string& path : {a, session, b}) {
        dropped.Add(wxString::FromUTF8(path));
    }
    EXPECT_TRUE(frame->FileDrop().OnDropFiles(10, 10, dropped));
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_TRUE(MessageTexts()[0].StartsWith("Save changes")) << MessageTexts()[0];
    EXPECT_EQ(OpenFiles(), (std::vector<std::string>{c, a, b}));
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 3000u) << "the session's edits, as saved";
    EXPECT_EQ(frame->View()->ShownFile(), 2) << "the last file is shown alone, as Load Wave does";

    // Entries another program made, and files that are gone, stay out of the list.
    const std::string other = MakeWav("other.wav", 10);
    platform::RecentFiles("Some Player", "player %f").Add(other, "audio/x-wav");
    const std::string gone = MakeWav("gone.wav", 10);
    RememberRecentFile(gone);
    std::filesystem::remove(gone);

    // A restart: a new window reads the list from disk.
    DestroyNow(frame);
    frame = nullptr;
    ASSERT_TRUE(std::filesystem::exists(dir.Path() / "data" / "recently-used.xbel"));
    frame = new CMainFrame({audio, files});
    frame->Show();
    ProcessPendingUi(frame);
    EXPECT_EQ(frame->RecentFiles().Listed(), (std::vector<std::string>{b, a, session, c}));
    wxMenuBar* bar = frame->GetMenuBar();
    const wxMenuItem* item = bar->FindItem(cmd::kFirstRecent + 2);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), "3 mix.orvane");
    EXPECT_EQ(bar->FindItem(cmd::kFirstRecent + 4), nullptr);

    Command(cmd::kFirstRecent + 2);
    EXPECT_EQ(OpenFiles(), std::vector<std::string>{c});
    EXPECT_EQ(frame->Session().Path(), session);
    Command(cmd::kFirstRecent);  // b.wav joins the session
    EXPECT_EQ(OpenFiles(), (std::vector<std::string>{c, b}));
}

}  // namespace
