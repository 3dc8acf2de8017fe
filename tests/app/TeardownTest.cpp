// Closing the main window in every state it can be in: the windows go first, then the
// effects (each editor closed before its effect), then the workspace. Run under
// AddressSanitizer by scripts/test, where any use of a freed object fails the run.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"
#include "support/GuiTestFrame.h"
#include "tests/plugins/EditorLog.h"

using namespace testing_support;

namespace {

class Teardown : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"painter.so"}; }

    void SetUp() override {
        FrameFixture::SetUp();
        frame->Host().SetAllInProcess(true);  // the painter's log is read in this process
        // The test's own reference keeps the library, and so its log, past the host's unload.
        library = dlopen("vstplugs/painter.so", RTLD_NOW);
        ASSERT_NE(library, nullptr) << dlerror();
        log = reinterpret_cast<EditorLogProc>(dlsym(library, "EditorLogOf"))();
    }
    void TearDown() override {
        FrameFixture::TearDown();
        if (library != nullptr) {
            dlclose(library);
        }
    }

    // The frame goes as the program's end destroys it.
    void CloseFrame() {
        DestroyNow(frame);
        frame = nullptr;
    }

    void* library = nullptr;
    EditorLog* log = nullptr;
};

TEST_F(Teardown, EveryStateClosesCleanly) {
    struct State {
        const char* name;
        bool load;        // an effect chosen from the menu
        bool editorOpen;  // its editor window left open
        bool playing;     // playback running through it
        bool bypassed;    // the effect passed by in the chain
    } states[] = {
        {"empty", false, false, false, false},
        {"a plug-in loaded", true, false, false, false},
        {"an editor open", true, true, false, false},
        {"during playback", true, false, true, false},
        {"an editor open during playback", true, true, true, false},
        {"bypassed with its editor open during playback", true, true, true, true},
    };
    for (const State& s : states) {
        SCOPED_TRACE(s.name);
        if (frame == nullptr) {
            frame = new CMainFrame({audio, files});
            frame->Host().SetAllInProcess(true);
            frame->Show();
            frame->WaitForPluginScan();
            ProcessPendingUi(frame);
        }
        log->Clear();
        LoadThroughDialog(MakeWav("a.wav", 100000));
        if (s.load) {
            Command(cmd::kFirstPlugin);
            ASSERT_EQ(frame->Host().ChainSize(), 1u);
            if (!s.editorOpen) {
                frame->Editors().CloseOpenEditor();
            }
            ASSERT_EQ(frame->Editors().Window() != nullptr, s.editorOpen);
            frame->Host().Chain().SetBypassed(0, s.bypassed);
        }
        if (s.playing) {
            Command(cmd::kShowWorkspace);
            Command(cmd::kPlay);
            ASSERT_TRUE(frame->Player().IsPlaying());
            ASSERT_TRUE(audio.LastQueue()->CompleteNext());  // one refill through the effect
        }
        CloseFrame();
        EXPECT_EQ(audio.LastQueue(), nullptr) << "the sound device was closed";
        if (s.load) {
            const std::vector<int32_t>& calls = log->opcodes;
            ASSERT_GE(calls.size(), 2u);
            EXPECT_EQ(calls[calls.size() - 2], vst::effMainsChanged) << "suspended";
            EXPECT_EQ(calls.back(), vst::effClose) << "and closed, last of all";
        }
        if (s.editorOpen) {
            const auto open =
                std::find(log->opcodes.rbegin(), log->opcodes.rend(), vst::effEditOpen);
            const auto close = std::find(log->opcodes.rbegin(), open, vst::effEditClose);
            EXPECT_NE(close, open) << "the open editor was closed before its effect";
            ASSERT_FALSE(log->parentAliveAtClose.empty());
            EXPECT_TRUE(log->parentAliveAtClose.back()) << "while its window still existed";
        }
    }
}

}  // namespace
