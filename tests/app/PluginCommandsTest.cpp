#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/testing.h>

#include "app/FrameFixture.h"
#include "app/PluginChooser.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginScanner.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"
#include "resources/MenuResource.h"
#include "resources/Strings.h"
#include "view/WaveformView.h"

using namespace testing_support;

namespace {

class NoPlugins : public FrameFixture {};

TEST_F(NoPlugins, MenuHoldsOnlyTheFixedItems) {
    EXPECT_EQ(frame->PluginMenu()->GetMenuItemCount(), 8u);
    EXPECT_FALSE(frame->IsScanningPlugins());
    EXPECT_FALSE(Enabled(cmd::kEditPlugin));
    EXPECT_FALSE(Enabled(cmd::kRemovePlugin));
}

class PluginCommands : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"gain.so", "passthrough.so"}; }
};

TEST_F(PluginCommands, ChooseRechooseFailAndRemove) {
    wxMenu* menu = frame->PluginMenu();
    ASSERT_EQ(menu->GetMenuItemCount(), 9u);
    wxMenuItem* other = menu->FindItemByPosition(8);
    ASSERT_TRUE(other->IsSubMenu());
    EXPECT_EQ(other->GetItemLabelText(), "Other") << "plug-ins without a vendor";
    wxMenu* plugins = other->GetSubMenu();
    ASSERT_EQ(plugins->GetMenuItemCount(), 2u);
    EXPECT_EQ(plugins->FindItemByPosition(0)->GetId(), cmd::kFirstPlugin);
    EXPECT_EQ(plugins->FindItemByPosition(1)->GetId(), cmd::kFirstPlugin + 1);
    EXPECT_EQ(plugins->FindItemByPosition(0)->GetItemLabelText(), "Gain");
    EXPECT_EQ(plugins->FindItemByPosition(1)->GetItemLabelText(), "Passthrough");

    Command(cmd::kFirstPlugin + 1);
    EXPECT_EQ(frame->SelectedPlugin(), 1);
    EXPECT_EQ(frame->Host().ChainSize(), 1u);
    EXPECT_TRUE(Checked(cmd::kFirstPlugin + 1));
    EXPECT_FALSE(Checked(cmd::kFirstPlugin));
    EXPECT_TRUE(Enabled(cmd::kEditPlugin));

    vst::AEffect* active = frame->Host().Chain().At(0).Effect();
    Command(cmd::kFirstPlugin + 1);  // one in the chain again: kept, its editor shown
    EXPECT_EQ(frame->Host().ChainSize(), 1u) << "an effect is in the chain once";
    EXPECT_EQ(frame->Host().Chain().At(0).Effect(), active);

    // A catalogued plug-in that can no longer be loaded.
    std::filesystem::remove("vstplugs/gain.so");
    Command(cmd::kFirstPlugin);
    ASSERT_EQ(messages.size(), 1u) << "one message, not a second about no plug-in";
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::kError);
    // Names the plug-in, its file, and the loader's own reason.
    EXPECT_TRUE(messages[0].text.StartsWith("Failed to initialize plugin \"")) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("/vstplugs/gain.so)")) << messages[0].text;
    EXPECT_TRUE(messages[0].text.Contains("No such file or directory")) << messages[0].text;
    EXPECT_FALSE(Checked(cmd::kFirstPlugin)) << "no check mark on an effect not loaded";
    EXPECT_TRUE(Checked(cmd::kFirstPlugin + 1)) << "the chain is as it was";
    EXPECT_EQ(frame->Host().ChainSize(), 1u);

    Command(cmd::kRemovePlugin);
    EXPECT_EQ(frame->SelectedPlugin(), -1);
    EXPECT_TRUE(frame->Host().IsChainEmpty());
    EXPECT_FALSE(Checked(cmd::kFirstPlugin));
    EXPECT_FALSE(Checked(cmd::kFirstPlugin + 1));
    EXPECT_FALSE(Enabled(cmd::kRemovePlugin));
}

TEST_F(PluginCommands, ChoosingTheActivePluginAgainKeepsItsSettings) {
    Command(cmd::kFirstPlugin);  // Gain
    vst::AEffect* gain = frame->Host().Chain().At(0).Effect();
    ASSERT_NE(gain, nullptr);
    gain->setParameter(gain, 0, 0.8f);
    Command(cmd::kFirstPlugin);
    ASSERT_EQ(frame->Host().Chain().At(0).Effect(), gain) << "reloaded";
    EXPECT_FLOAT_EQ(gain->getParameter(gain, 0), 0.8f);
    EXPECT_TRUE(Checked(cmd::kFirstPlugin));
}

TEST_F(PluginCommands, AnEffectPastThe256thTitlesItsEditorWithItsOwnName) {
    // 300 catalogue entries of the one library, each named by its place.
    const PluginInfo passthrough = frame->Host().Catalog()[1];
    std::vector<PluginInfo> catalogue(300, passthrough);
    for (size_t i = 0; i < catalogue.size(); ++i) {
        catalogue[i].name = "Effect number " + std::to_string(i);
    }
    frame->Host().SetCatalog(catalogue);
    for (const int index : {3, 255, 256, 258, 299}) {
        SCOPED_TRACE(index);
        frame->Host().Chain().Clear();  // one library: in the chain, it would be shown again
        frame->ChoosePlugin(index);
        ASSERT_EQ(frame->SelectedPlugin(), index);
        ASSERT_NE(frame->Editors().Window(), nullptr);
        EXPECT_TRUE(frame->Editors().Window()->GetTitle().EndsWith("Effect number " +
                                                                   std::to_string(index)))
            << frame->Editors().Window()->GetTitle();
    }
}

class EchoPlugin : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"echo.so"}; }
};

TEST_F(EchoPlugin, EveryPlayStartsWithoutTheLastOnesEcho) {
    Command(cmd::kFirstPlugin);
    ASSERT_EQ(frame->Host().ChainSize(), 1u);
    LoadThroughDialog(MakeWav("a.wav", 20000));
    Command(cmd::kShowWorkspace);
    std::vector<std::vector<uint8_t>> firstBlocks;
    for (int round = 0; round < 2; ++round) {
        const auto* queueBefore = audio.LastQueue();
        const size_t writtenBefore = queueBefore != nullptr ? queueBefore->Written().size() : 0;
        Command(cmd::kPlay);
        ASSERT_TRUE(frame->Player().IsPlaying());
        ASSERT_NE(audio.LastQueue(), nullptr);
        // This play's first block, whether the device kept its queue or opened a new one.
        const size_t first = audio.LastQueue() == queueBefore ? writtenBefore : 0;
        // Play some blocks, so the echo remembers audio from the middle of the file.
        for (int i = 0; i < 10; ++i) {
            audio.LastQueue()->CompleteNext();
        }
        const auto written = audio.LastQueue()->Written();
        ASSERT_GT(written.size(), first);
        firstBlocks.push_back(written[first]);
        Command(cmd::kStop);
    }
    EXPECT_TRUE(firstBlocks[0] == firstBlocks[1]) << "the second play began with an echo";
}

class ManyPlugins : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override {
        return {"identity_long.so", "gain.so", "identity_acme.so", "crashentry.so", "noentry.so"};
    }

    static wxString Utf8(const char* text) { return wxString::FromUTF8(text); }
};

TEST_F(ManyPlugins, VendorSubmenusHoldWholeNamesAndFailedOnesStayOut) {
    wxMenu* menu = frame->PluginMenu();
    std::vector<wxString> vendors;
    std::vector<std::vector<wxString>> names;
    for (size_t i = 8; i < menu->GetMenuItemCount(); ++i) {
        wxMenuItem* item = menu->FindItemByPosition(i);
        ASSERT_TRUE(item->IsSubMenu());
        vendors.push_back(item->GetItemLabelText());
        names.emplace_back();
        for (wxMenuItem* entry : item->GetSubMenu()->GetMenuItems()) {
            names.back().push_back(entry->GetItemLabelText());
        }
    }
    EXPECT_EQ(vendors,
              (std::vector<wxString>{"Acme Audio", Utf8("\xC3\x96sterreich Klang"), "Other"}));
    const wxString longName = Utf8(
        "\xC4\xBF"
        "ong multiband compressor with a name of sixty bytes long"
        "\xC5\x99");
    EXPECT_EQ(longName.utf8_str().length(), 60u);
    EXPECT_EQ(names, (std::vector<std::vector<wxString>>{{"Plate Reverb"}, {longName}, {"Gain"}}));
}

TEST_F(ManyPlugins, TheChooserFiltersAsTheUserTypesAndShowsFailuresWithRetry) {
    int retried = -1;
    PluginChooser chooser(frame, frame->Host().Catalog(), [&](size_t index) {
        retried = static_cast<int>(index);
        return false;
    });
    EXPECT_EQ(chooser.Rows().size(), 5u) << "failed ones included";

    const struct {
        const char* typed;
        std::vector<std::string> names;
    } filters[] = {
        {"multiband",
         {"\xC4\xBF"
          "ong multiband compressor with a name of sixty bytes long"
          "\xC5\x99"}},
        {"ACME reverb", {"Plate Reverb"}},
        {"room",
         {"Plate Reverb",
          "\xC4\xBF"
          "ong multiband compressor with a name of sixty bytes long"
          "\xC5\x99"}},
        {"crash", {"crashentry"}},
        {"nothing like it", {}},
    };
    for (const auto& f : filters) {
        chooser.SetFilter(f.typed);
        std::vector<std::string> shown;
        for (size_t row = 0; row < chooser.Rows().size(); ++row) {
            shown.push_back(chooser.CellText(static_cast<long>(row), 0).utf8_string());
        }
        EXPECT_EQ(shown, f.names) << f.typed;
    }

    chooser.SetFilter("crashentry");
    ASSERT_EQ(chooser.Rows().size(), 1u);
    chooser.SelectRow(0);
    EXPECT_TRUE(chooser.CellText(0, 5).StartsWith("Failed: crashed while being examined"))
        << chooser.CellText(0, 5);
    EXPECT_TRUE(chooser.RetryButton()->IsEnabled());
    EXPECT_FALSE(chooser.OkButton()->IsEnabled()) << "a failed plug-in cannot be chosen";
    chooser.RetrySelected();
    EXPECT_EQ(retried, static_cast<int>(chooser.Rows()[0]));

    chooser.SetFilter("gain");
    chooser.SelectRow(0);
    EXPECT_EQ(chooser.CellText(0, 5), "OK");
    EXPECT_EQ(chooser.CellText(0, 3), "2/2");
    EXPECT_TRUE(chooser.OkButton()->IsEnabled());
    EXPECT_FALSE(chooser.RetryButton()->IsEnabled());
}

class WithInstrument : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"gain.so", "instrument.so"}; }
};

TEST_F(WithInstrument, InstrumentsAreGreyedInTheChooserAndLeftOutOfTheMenu) {
    const std::vector<PluginInfo>& catalogue = frame->Host().Catalog();
    ASSERT_EQ(catalogue.size(), 2u);
    const int organ = catalogue[0].name == "Tone Organ" ? 0 : 1;
    EXPECT_EQ(frame->PluginMenu()->FindItem(cmd::kFirstPlugin + organ), nullptr);
    EXPECT_NE(frame->PluginMenu()->FindItem(cmd::kFirstPlugin + 1 - organ), nullptr);

    PluginChooser chooser(frame, catalogue, [](size_t) { return false; });
    for (const char* filter : {"gain", "organ"}) {  // the organ last, selected for Enter
        chooser.SetFilter(filter);
        ASSERT_EQ(chooser.Rows().size(), 1u) << "instruments are listed";
        chooser.SelectRow(0);
        const bool instrument = std::string(filter) == "organ";
        EXPECT_EQ(chooser.CellText(0, 5), instrument ? "instrument (no audio input)" : "OK");
        EXPECT_EQ(chooser.IsGreyed(0), instrument);
        EXPECT_EQ(chooser.OkButton()->IsEnabled(), !instrument);
    }
    wxCommandEvent enter(wxEVT_TEXT_ENTER, chooser.FilterField()->GetId());
    enter.SetEventObject(chooser.FilterField());
    chooser.FilterField()->GetEventHandler()->ProcessEvent(enter);
    EXPECT_EQ(chooser.Chosen(), -1) << "Enter chose the instrument";
}

// Answers the chooser by retrying crashentry, then cancelling.
class RetryCrashEntry : public wxExpectModalBase<PluginChooser> {
protected:
    int OnInvoked(PluginChooser* dialog) const override {
        dialog->SetFilter("crashentry");
        dialog->SelectRow(0);
        dialog->RetrySelected();
        return wxID_CANCEL;
    }
};

TEST_F(ManyPlugins, RetryExaminesAFailedPluginAgainAndItStaysFailed) {
    const auto& catalogue = frame->Host().Catalog();
    size_t crash = catalogue.size();
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (catalogue[i].path.ends_with("/crashentry.so")) {
            crash = i;
        }
    }
    ASSERT_LT(crash, catalogue.size());
    // The frame's own retry, through its chooser callback: run it for real.
    wxTEST_DIALOG(frame->ProcessCommand(menu::MenuItemId(cmd::kChoosePlugin)), RetryCrashEntry());
    EXPECT_FALSE(catalogue[crash].ok);
    EXPECT_NE(catalogue[crash].failure.find("crashed"), std::string::npos);
    EXPECT_FALSE(platform::SharedLibrary::IsLoaded(catalogue[crash].path));
}

TEST_F(ManyPlugins, AStartedWindowScansOnItsOwnOnceShownAndFillsTheMenu) {
    DestroyNow(frame);
    std::filesystem::remove_all(dir.Path() / "cache");  // a first start: every library examined
    frame = new CMainFrame({audio, files});
    EXPECT_TRUE(frame->IsScanningPlugins());
    EXPECT_EQ(frame->Host().CatalogSize(), 0u);
    frame->Show();
    EXPECT_TRUE(WaitUntil([&] { return !frame->IsScanningPlugins(); }, std::chrono::seconds(60)));
    EXPECT_EQ(frame->Host().CatalogSize(), 5u);
    EXPECT_GT(frame->PluginMenu()->GetMenuItemCount(), 6u);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "cache/orvane/plugins.cache"));
}

TEST_F(ManyPlugins, TheCatalogueIsCachedForTheNextStart) {
    const std::string cacheFile = (dir.Path() / "cache/orvane/plugins.cache").string();
    ASSERT_TRUE(std::filesystem::exists(cacheFile));
    EXPECT_EQ(PluginScanner::ReadCache(cacheFile).size(), 5u);
    Command(cmd::kRescanPlugins);
    EXPECT_TRUE(frame->IsScanningPlugins());
    frame->WaitForPluginScan();
    EXPECT_FALSE(frame->IsScanningPlugins());
    EXPECT_EQ(frame->Host().CatalogSize(), 5u);
}

TEST_F(PluginCommands, ChoosingDuringPlaybackKeepsPlaying) {
    LoadThroughDialog(MakeWav("a.wav", 200000));
    Command(cmd::kShowWorkspace);
    Command(cmd::kPlay);  // no selection: the visible range, all of it
    ASSERT_TRUE(frame->Player().IsPlaying());
    const size_t queuedBefore = audio.LastQueue()->Written().size();
    for (int round = 0; round < 20; ++round) {
        // Added, then removed; played buffers come back and are refilled through the chain
        // as it is after each change.
        Command(cmd::kFirstPlugin + round % 2);
        ASSERT_EQ(frame->Host().ChainSize(), 1u);
        ASSERT_TRUE(audio.LastQueue()->CompleteNext());
        Command(cmd::kRemovePlugin);
        ASSERT_TRUE(frame->Host().IsChainEmpty());
        ASSERT_TRUE(audio.LastQueue()->CompleteNext());
        EXPECT_TRUE(frame->Player().IsPlaying()) << "round " << round;
    }
    EXPECT_EQ(audio.LastQueue()->Written().size(), queuedBefore + 40) << "every refill queued";
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
