#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "app/CommandLine.h"
#include "app/FrameFixture.h"
#include "plugins/PluginHost.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "resources/Strings.h"
#include "support/WavBytes.h"
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

// The first file seeds the workspace and is shown as it; later files are shown alone.
TEST_F(FileCommands, LoadWaveListsEachFileAndShowsTheFirstAsTheWorkspace) {
    const std::string a = MakeWav("first.wav", 3000, 1);
    const std::string b = MakeWav("second.wav", 500, 2);
    LoadThroughDialog(a);
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kFirstWaveFile, "first.wav"}}));
    EXPECT_TRUE(frame->View()->IsWorkspaceShown());
    EXPECT_EQ(frame->View()->ViewLength(), 3000u);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 3000u);

    LoadThroughDialog(b);
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kFirstWaveFile, "first.wav"},
                                                      {cmd::kFirstWaveFile + 1, "second.wav"}}));
    EXPECT_EQ(frame->View()->ShownFile(), 1) << "the second file is shown alone";
    EXPECT_EQ(frame->View()->ViewLength(), 500u);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 3000u) << "the workspace is unchanged";
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Checked(cmd::kFirstWaveFile + 1));
    EXPECT_FALSE(Checked(cmd::kFirstWaveFile));
}

TEST_F(FileCommands, RefusedFilesAreReportedAndChangeNothing) {
    WriteBytes(dir.File("short.wav"), {1, 2, 3});
    LoadThroughDialog(dir.File("short.wav"));
    ASSERT_EQ(MessageTexts(), std::vector<wxString>{
                                  "Orvane could not open this file:\n" + dir.File("short.wav") +
                                  ": it is not a WAV file or any other audio file Orvane reads."});
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

TEST_F(FileCommands, EachRefusalNamesTheFileAndTheReason) {
    const std::string open = MakeWav("open.wav", 100);
    const std::string held = MakeWav("held.wav", 100);
    WaveFile otherProgram;  // holds the lock as another program would
    ASSERT_TRUE(otherProgram.Open(held.c_str(), WaveFile::kRead));
    std::filesystem::create_directory(dir.File("folder.wav"));
    WriteBytes(dir.File("text.wav"), {'p', 'l', 'a', 'i', 'n', ' ', 't', 'e', 'x', 't', '\n', '.'});
    WriteBytes(dir.File("quad.wav"),
               Riff(Concat({FmtChunk(1, 4, 44100, 16), Chunk("data", Bytes(16, 0))})));
    WriteBytes(dir.File("ulaw.wav"),
               Riff(Concat({FmtChunk(7, 1, 8000, 8, 18), Chunk("fact", {2, 0, 0, 0}),
                            Chunk("data", {1, 2})})));
    LoadThroughDialog(open);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir.File("missing.wav"), "No such file or directory"},
        {dir.File("folder.wav"), "it is a directory"},
        {dir.File("text.wav"), "it is not a WAV file"},
        {dir.File("quad.wav"), "4 channels; Orvane opens mono and stereo files"},
        {dir.File("ulaw.wav"), "Orvane opens PCM (8, 16, 24, 32 bits) and floating-point files"},
        {held, "it is locked by another program"},
        {open, "it is already open in Orvane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        messages.clear();
        LoadThroughDialog(c.path);
        ASSERT_EQ(messages.size(), 1u);
        const wxString text = messages[0].text;
        EXPECT_TRUE(text.Contains(c.path + ": ")) << text;
        EXPECT_TRUE(text.Contains(wxString::FromUTF8(c.reason))) << text;
        EXPECT_EQ(messages[0].icon, platform::MessageIcon::kError);
    }
    EXPECT_EQ(frame->GetWorkspace().FileCount(), 1u);
}

TEST_F(FileCommands, SeveralRefusedFilesShareOneMessage) {
    const std::string good = MakeWav("good.wav", 300);
    WriteBytes(dir.File("bad.wav"), {'R', 'I', 'F', 'F'});
    frame->LoadWaves({dir.File("missing.wav"), good, dir.File("bad.wav")});
    ASSERT_EQ(MessageTexts(), std::vector<wxString>{
                                  "Orvane could not open these files:\n" + dir.File("missing.wav") +
                                  ": No such file or directory.\n" + dir.File("bad.wav") +
                                  ": it is not a WAV file or any other audio file Orvane reads."});
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), 300u) << "the good file opened";
    EXPECT_EQ(Items(frame->WaveFilesMenu()), (Items_t{{cmd::kFirstWaveFile, "good.wav"}}));
}

TEST_F(FileCommands, TheWorkspaceRateReachesTheDeviceAndTheEffects) {
    WriteBytes(dir.File("a48.wav"), CanonicalWav(std::vector<int16_t>(2000, 100), 48000));
    WriteBytes(dir.File("b44.wav"), CanonicalWav(std::vector<int16_t>(2000, 200), 44100));
    EXPECT_EQ(audio.LastFormat().sampleRate, 44100u) << "before any file";
    LoadThroughDialog(dir.File("a48.wav"));
    EXPECT_EQ(audio.LastFormat().sampleRate, 48000u);
    EXPECT_EQ(audio.LastFormat().channels, 2u);
    EXPECT_EQ(frame->Host().Setup().sampleRate.load(), 48000u);
    LoadThroughDialog(dir.File("b44.wav"));
    EXPECT_EQ(audio.LastFormat().sampleRate, 48000u) << "a later file does not change the rate";
    EXPECT_TRUE(messages.empty());

    // Copied from the 44.1 kHz file shown alone, the range is converted as it is pasted into
    // the 48 kHz workspace: one step, taken back by Undo, and its file goes once nothing can
    // bring it back.
    Workspace& workspace = frame->GetWorkspace();
    DragInView(10, 200);
    const uint32_t copied = frame->View()->SelectionLength();
    ASSERT_GT(copied, 0u);
    Command(cmd::kCopy);
    EXPECT_TRUE(messages.empty());
    Command(cmd::kShowWorkspace);
    Command(cmd::kGoToEnd);
    const uint32_t before = workspace.TotalLength();
    Command(cmd::kPaste);
    EXPECT_TRUE(messages.empty());
    const auto converted = static_cast<uint32_t>(std::lround(copied * 48000.0 / 44100));
    ASSERT_EQ(workspace.TotalLength(), before + converted);
    ASSERT_EQ(workspace.FileCount(), 3u);
    const std::string owned = workspace.File(2)->Path();
    EXPECT_EQ(std::filesystem::path(owned).parent_path(), dir.Path() / "data" / "orvane");
    Command(cmd::kUndo);
    EXPECT_EQ(workspace.TotalLength(), before);
    EXPECT_TRUE(std::filesystem::exists(owned)) << "Redo and the clipboard still hold it";
    DragInView(10, 20);
    Command(cmd::kCut);
    EXPECT_FALSE(std::filesystem::exists(owned));

    // After New, the next first file sets the rate again.
    answers = {platform::MessageAnswer::kDontSave};
    Command(cmd::kNew);
    LoadThroughDialog(dir.File("b44.wav"));
    EXPECT_EQ(audio.LastFormat().sampleRate, 44100u);
    EXPECT_EQ(frame->Host().Setup().sampleRate.load(), 44100u);
}

TEST_F(FileCommands, NewAsksFirstThenEmptiesTheWorkspace) {
    LoadThroughDialog(MakeWav("a.wav", 1000));
    answers = {platform::MessageAnswer::kCancel};
    Command(cmd::kNew);
    ASSERT_EQ(MessageTexts(), std::vector<wxString>{"Save changes to Untitled?"});
    EXPECT_EQ(messages[0].buttons, platform::MessageButtons::kSaveDontSaveCancel);
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kQuestion);
    EXPECT_FALSE(frame->GetWorkspace().IsEmpty()) << "Cancel changes nothing";

    answers = {platform::MessageAnswer::kDontSave};
    Command(cmd::kNew);
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
