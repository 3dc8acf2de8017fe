#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/FrameFixture.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "resources/Strings.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

std::vector<std::pair<int, std::string>> Items(wxMenu* menu) {
    std::vector<std::pair<int, std::string>> items;
    for (const wxMenuItem* item : menu->GetMenuItems()) {
        items.emplace_back(menu::CommandOfMenuItem(item->GetId()),
                           item->GetItemLabelText().ToStdString());
    }
    return items;
}

using Items_t = std::vector<std::pair<int, std::string>>;

class FileCommands : public FrameFixture {};

TEST_F(FileCommands, LoadWaveListsEachFileAndShowsItAlone) {
    const std::string a = MakeWav("first.wav", 3000, 1);
    const std::string b = MakeWav("second.wav", 500, 2);
    LoadThroughDialog(a);
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kFirstWaveFile, "first.wav"}}));
    EXPECT_FALSE(frame->View()->IsWorkspaceShown());
    EXPECT_EQ(frame->View()->ViewLength(), 3000u);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 3000u);

    LoadThroughDialog(b);
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kFirstWaveFile, "first.wav"},
                                                      {cmd::kFirstWaveFile + 1, "second.wav"}}));
    EXPECT_EQ(frame->View()->ViewLength(), 500u) << "the second file is shown alone";
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 3000u) << "the workspace is unchanged";
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Checked(cmd::kFirstWaveFile + 1));
    EXPECT_FALSE(Checked(cmd::kFirstWaveFile));
}

TEST_F(FileCommands, RefusedFilesAreReportedAndChangeNothing) {
    WriteBytes(dir.File("short.wav"), {1, 2, 3});
    LoadThroughDialog(dir.File("short.wav"));
    ASSERT_EQ(MessageTexts(), std::vector<wxString>{str::Text(str::kOpenFileFailed)});
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kError);
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kNoFilesLoaded, "No files loaded"}}));
    EXPECT_FALSE(Enabled(cmd::kNoFilesLoaded));

    const std::string a = MakeWav("a.wav", 1000);
    LoadThroughDialog(a);
    LoadThroughDialog(a);  // already open: refused by its lock
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kFirstWaveFile, "a.wav"}}));

    const int asked = files.openAsked;
    Command(cmd::kLoadWave);  // the user cancels the dialog
    EXPECT_EQ(files.openAsked, asked + 1);
    EXPECT_EQ(frame->WaveFilesMenu()->GetMenuItemCount(), 1u);
}

TEST_F(FileCommands, NewAsksFirstThenEmptiesTheWorkspace) {
    LoadThroughDialog(MakeWav("a.wav", 1000));
    answers = {platform::MessageAnswer::kCancel};
    Command(cmd::kNew);
    ASSERT_EQ(MessageTexts(), std::vector<wxString>{str::Text(str::kFlushWorkspace)});
    EXPECT_EQ(messages[0].buttons, platform::MessageButtons::kOkCancel);
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kQuestion);
    EXPECT_FALSE(frame->GetWorkspace().IsEmpty()) << "Cancel changes nothing";

    Command(cmd::kNew);  // answered OK
    EXPECT_TRUE(frame->GetWorkspace().IsEmpty());
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kNoFilesLoaded, "No files loaded"}}));
    EXPECT_TRUE(frame->View()->IsWorkspaceShown());
    LoadThroughDialog(MakeWav("b.wav", 700));
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 700u) << "the next file seeds it again";
}

TEST_F(FileCommands, CloseWaveClosesAFileShownAloneThatNothingUses) {
    EXPECT_FALSE(Enabled(cmd::kCloseWave));
    const std::string a = MakeWav("a.wav", 1000, 1);
    const std::string b = MakeWav("b.wav", 800, 2);
    const std::string c = MakeWav("c.wav", 600, 3);
    LoadThroughDialog(a);
    LoadThroughDialog(b);
    LoadThroughDialog(c);
    Command(cmd::kFirstWaveFile + 1);  // b.wav alone
    ASSERT_TRUE(Enabled(cmd::kCloseWave));
    Command(cmd::kCloseWave);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Items(frame->WaveFilesMenu()),
              (Items_t{{cmd::kFirstWaveFile, "a.wav"}, {cmd::kFirstWaveFile + 1, "c.wav"}}));
    EXPECT_TRUE(frame->View()->IsWorkspaceShown());
    EXPECT_FALSE(Enabled(cmd::kCloseWave)) << "the workspace itself is never closed";
    Command(cmd::kFirstWaveFile + 1);
    EXPECT_EQ(frame->View()->SourceLength(), 600u) << "the item now shows c.wav";
    LoadThroughDialog(b);  // its lock was released: it opens again
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(frame->GetWorkspace().FileCount(), 3u);

    // a.wav holds the workspace's frames: it stays, and the user is told why.
    Command(cmd::kFirstWaveFile);
    Command(cmd::kCloseWave);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.Contains("a.wav")) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("workspace")) << messages[0].text;
    EXPECT_EQ(frame->GetWorkspace().FileCount(), 3u);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 1000u);
}

TEST(CommandLineParsing, FilesOptionsAndMistakes) {
    const char* plain[] = {"orvane", "a.wav", "b.wav"};
    CommandLine line = CommandLine::Parse(3, plain);
    EXPECT_EQ(line.files, (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_FALSE(line.showHelp || line.showVersion || !line.error.empty());

    const char* options[] = {"orvane", "--help", "-v", "--", "--odd.wav"};
    line = CommandLine::Parse(5, options);
    EXPECT_TRUE(line.showHelp);
    EXPECT_TRUE(line.showVersion);
    EXPECT_EQ(line.files, std::vector<std::string>{"--odd.wav"}) << "after --, names are files";

    const char* wrong[] = {"orvane", "--frobnicate"};
    EXPECT_EQ(CommandLine::Parse(2, wrong).error, "unknown option --frobnicate");
}

}  // namespace
