#include <gtest/gtest.h>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

class NoPlugins : public FrameFixture {};

TEST_F(NoPlugins, MenuHoldsOnlyTheFixedItems) {
    EXPECT_EQ(frame->PluginMenu()->GetMenuItemCount(), 3u);
    EXPECT_FALSE(Enabled(cmd::kEditPlugin));
    EXPECT_FALSE(Enabled(cmd::kRemovePlugin));
}

class PluginCommands : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"gain.so", "passthrough.so"}; }
};

TEST_F(PluginCommands, ChooseRechooseFailAndRemove) {
    wxMenu* menu = frame->PluginMenu();
    ASSERT_EQ(menu->GetMenuItemCount(), 5u);
    EXPECT_EQ(menu->FindItemByPosition(3)->GetId(), cmd::kFirstPlugin);
    EXPECT_EQ(menu->FindItemByPosition(4)->GetId(), cmd::kFirstPlugin + 1);
    const wxString gainName = menu->FindItemByPosition(3)->GetItemLabelText();
    EXPECT_EQ(gainName, wxString::FromUTF8(frame->Host().PluginName(0)));

    Command(cmd::kFirstPlugin + 1);
    EXPECT_EQ(frame->SelectedPlugin(), 1);
    EXPECT_EQ(frame->Host().ChainSize(), 1u);
    EXPECT_TRUE(Checked(cmd::kFirstPlugin + 1));
    EXPECT_FALSE(Checked(cmd::kFirstPlugin));
    EXPECT_TRUE(Enabled(cmd::kEditPlugin));

    Command(cmd::kFirstPlugin + 1);  // the active one again: unloaded and loaded anew
    EXPECT_EQ(frame->Host().ChainSize(), 1u) << "the chain never holds more than one";
    EXPECT_NE(frame->Host().EffectAt(0), nullptr);

    // A catalogued plug-in that can no longer be loaded.
    std::filesystem::remove("vstplugs/gain.so");
    Command(cmd::kFirstPlugin);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kError);
    // Names the plug-in, its file, and the loader's own reason.
    EXPECT_TRUE(messages[0].text.StartsWith("Failed to initialize plugin \"")) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("(gain.so)")) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("No such file or directory")) << messages[0].text;
    EXPECT_EQ(frame->SelectedPlugin(), 0);
    EXPECT_TRUE(Checked(cmd::kFirstPlugin)) << "the check mark follows the choice";
    EXPECT_TRUE(frame->Host().IsChainEmpty());
    EXPECT_FALSE(Enabled(cmd::kEditPlugin));
    EXPECT_FALSE(Enabled(cmd::kRemovePlugin));

    Command(cmd::kFirstPlugin + 1);
    Command(cmd::kRemovePlugin);
    EXPECT_EQ(frame->SelectedPlugin(), -1);
    EXPECT_TRUE(frame->Host().IsChainEmpty());
    EXPECT_FALSE(Checked(cmd::kFirstPlugin));
    EXPECT_FALSE(Checked(cmd::kFirstPlugin + 1));
    EXPECT_FALSE(Enabled(cmd::kRemovePlugin));
}

TEST_F(PluginCommands, ChoosingDuringPlaybackKeepsPlaying) {
    LoadThroughDialog(MakeWav("a.wav", 200000));
    Command(cmd::kShowWorkspace);
    Command(cmd::kPlay);  // no selection: the visible range, all of it
    ASSERT_TRUE(frame->Player().IsPlaying());
    const size_t queuedBefore = audio.LastQueue()->Written().size();
    for (int round = 0; round < 20; ++round) {
        Command(cmd::kFirstPlugin + round % 2);
        ASSERT_EQ(frame->Host().ChainSize(), 1u);
        // Played buffers come back and are refilled through the new chain.
        ASSERT_TRUE(audio.LastQueue()->CompleteNext());
        ASSERT_TRUE(audio.LastQueue()->CompleteNext());
        EXPECT_TRUE(frame->Player().IsPlaying()) << "round " << round;
    }
    EXPECT_EQ(audio.LastQueue()->Written().size(), queuedBefore + 40) << "every refill queued";
    Command(cmd::kRemovePlugin);
    Command(cmd::kStop);
    EXPECT_FALSE(frame->Player().IsPlaying());
}

class SoundDeviceRetried : public FrameFixture {
protected:
    void BeforeFrame() override {
        audio.FailNextCalls(AudioOp::Open, platform::kAudioBadDevice, 1);
        answers = {platform::MessageAnswer::kRetry};
    }
};

TEST_F(SoundDeviceRetried, RetryOpensTheDevice) {
    EXPECT_EQ(MessageTexts(),
              std::vector<wxString>{"Failed to initialize audio device: there is no default "
                                    "output device (stereo, 16 bits, 44100 Hz). Sound is "
                                    "disabled."});
    EXPECT_EQ(messages[0].buttons, platform::MessageButtons::kRetryCancel);
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kError);
    EXPECT_EQ(audio.OpenCalls(), 2);
    EXPECT_TRUE(frame->Player().IsOpen());
}

class NoSoundDevice : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"passthrough.so"}; }
    void BeforeFrame() override {
        audio.FailNextCalls(AudioOp::Open, platform::kAudioBadDevice, 100);
        answers = {platform::MessageAnswer::kRetry, platform::MessageAnswer::kCancel};
    }
};

TEST_F(NoSoundDevice, RetryThenCancelLeavesEditingAndPluginsWorking) {
    EXPECT_EQ(messages.size(), 2u) << "asked again after Retry, not after Cancel";
    EXPECT_EQ(audio.OpenCalls(), 2);
    EXPECT_FALSE(frame->Player().IsOpen());

    LoadThroughDialog(MakeWav("a.wav", 50000));
    Command(cmd::kShowWorkspace);
    EXPECT_TRUE(Enabled(cmd::kPlay));
    Command(cmd::kPlay);
    EXPECT_FALSE(frame->Player().IsPlaying()) << "Play does nothing without a device";
    Command(cmd::kPause);
    Command(cmd::kStop);
    Command(cmd::kFirstPlugin);
    EXPECT_EQ(frame->Host().ChainSize(), 1u);
    Command(cmd::kRemovePlugin);
    EXPECT_TRUE(frame->Host().IsChainEmpty());
}

}  // namespace
