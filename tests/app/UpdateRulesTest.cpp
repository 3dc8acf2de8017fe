// The enabled state of every command in the situations a user meets, read from the menu
// items and toolbar buttons after the update rules ran.

#include <gtest/gtest.h>

#include <functional>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

class UpdateRules : public FrameFixture {
public:
    std::vector<std::string> Plugins() const override { return {"passthrough.so", "gain.so"}; }

    void Select(int a, int b) { DragInView(a, b); }
};

struct Situation {
    const char* name;
    std::function<void(UpdateRules&)> reach;
    // New, Load, Close, Render, Cut, Copy, Paste, Delete, Edit plug-in, Remove plug-in,
    // Workspace, Play, Stop, Pause, Zoom in, Zoom out, Zoom out full
    std::vector<bool> enabled;
};

const int kCommands[] = {
    cmd::kNew,           cmd::kLoadWave,   cmd::kCloseWave, cmd::kRenderToFile, cmd::kCut,
    cmd::kCopy,          cmd::kPaste,      cmd::kDelete,    cmd::kEditPlugin,   cmd::kRemovePlugin,
    cmd::kShowWorkspace, cmd::kPlay,       cmd::kStop,      cmd::kPause,        cmd::kZoomIn,
    cmd::kZoomOut,       cmd::kZoomOutFull};

TEST_F(UpdateRules, EachSituationEnablesExactlyItsCommands) {
    const std::string wav = MakeWav("a.wav", 100000);
    // The first file loaded is shown as the workspace; its menu item shows it alone.
    const auto loadAndShowWorkspace = [&](UpdateRules& t) { t.LoadThroughDialog(wav); };
    const auto loadAndShowAlone = [&](UpdateRules& t) {
        t.LoadThroughDialog(wav);
        t.Command(cmd::kFirstWaveFile);
    };
    const Situation situations[] = {
        {"start-up without files",
         [](UpdateRules&) {},
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
        {"one file loaded, shown alone",
         loadAndShowAlone,
         {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0}},
        {"a selection in the file shown alone",
         [&](UpdateRules& t) {
             loadAndShowAlone(t);
             t.Select(10, 60);
         },
         {1, 1, 1, 1, 0, 1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
        {"the workspace shown",
         loadAndShowWorkspace,
         {1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0}},
        {"a selection in the workspace",
         [&](UpdateRules& t) {
             loadAndShowWorkspace(t);
             t.Select(10, 60);
         },
         {1, 1, 0, 1, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
        {"clipboard filled",
         [&](UpdateRules& t) {
             loadAndShowWorkspace(t);
             t.Select(10, 60);
             t.Command(cmd::kCopy);
         },
         {1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
        {"playing a long range",
         [&](UpdateRules& t) {
             loadAndShowWorkspace(t);
             t.Select(10, 600);
             t.Command(cmd::kCopy);
             t.Command(cmd::kPlay);
             ASSERT_TRUE(t.frame->Player().IsPlaying());
         },
         {1, 1, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1, 1, 0, 0}},
        {"a short range that fits the ring",
         [&](UpdateRules& t) {
             loadAndShowWorkspace(t);
             t.Select(10, 11);
             t.Command(cmd::kPlay);
             ASSERT_FALSE(t.frame->Player().IsPlaying());
         },
         {1, 1, 0, 1, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 0, 0}},
        {"zoomed in",
         [&](UpdateRules& t) {
             loadAndShowWorkspace(t);
             t.Select(10, 60);
             t.Command(cmd::kZoomIn);
         },
         {1, 1, 0, 1, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1}},
        {"plug-in loaded",
         [](UpdateRules& t) { t.Command(cmd::kFirstPlugin); },
         {1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0}},
        {"plug-in removed",
         [](UpdateRules& t) {
             t.Command(cmd::kFirstPlugin);
             t.Command(cmd::kRemovePlugin);
         },
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}},
        {"all frames deleted",
         [&](UpdateRules& t) {
             loadAndShowWorkspace(t);
             t.Select(0, 10000);
             t.Command(cmd::kDelete);
         },
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0}},
    };
    for (const Situation& s : situations) {
        SCOPED_TRACE(s.name);
        DestroyNow(frame);
        frame = new CMainFrame({audio, files});
        frame->Show();
        frame->WaitForPluginScan();
        ProcessPendingUi(frame);
        s.reach(*this);
        for (size_t i = 0; i < std::size(kCommands); ++i) {
            EXPECT_EQ(Enabled(kCommands[i]), s.enabled[i]) << "command " << kCommands[i];
        }
        frame->Player().Stop();
    }
}

TEST_F(UpdateRules, ADisabledCommandDoesNothingEvenFromAShortcut) {
    LoadThroughDialog(MakeWav("a.wav", 100000));
    Command(cmd::kShowWorkspace);
    Select(10, 600);
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());
    const uint32_t before = frame->GetWorkspace().TotalLength();
    Command(cmd::kCut);  // a menu item may still look enabled; the rule is checked again
    Command(cmd::kDelete);
    EXPECT_EQ(frame->GetWorkspace().TotalLength(), before) << "no edit while playing";
    frame->Player().Stop();
    Command(cmd::kCut);
    EXPECT_LT(frame->GetWorkspace().TotalLength(), before);
}

}  // namespace
