// An effect whose process crashes or hangs, seen from the window: the window stays, the
// Effects pane names the fault, the rest of the chain keeps its settings and playback goes
// on; Reload brings a crashed effect back with its last settings.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/listctrl.h>

#include <chrono>
#include <functional>
#include <thread>

#include "app/EffectsController.h"
#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"

using namespace testing_support;
using namespace std::chrono_literals;
#undef None

namespace {

class EffectFaultWindowTest : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override {
        return {"gain.so",
                "faulty_crash_process.so",
                "faulty_hang_process.so",
                "faulty_crash_later.so",
                "faulty_hang_later.so",
                "faulty_crash_setparam.so",
                "faulty_hang_chunk.so"};
    }

    void SetUp() override {
        FrameFixture::SetUp();
        EffectSetup& setup = frame->Host().MutableSetup();
        setup.callDeadline = 800ms;
        setup.blockDeadlineMinimum = 300ms;
        setup.loadDeadline = 3000ms;
    }

    /// Turns the event loop (the pane's poll timer included) until `done` or 10 s pass.
    bool Until(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < end) {
            wxYield();
            std::this_thread::sleep_for(5ms);
        }
        return done();
    }

    EffectsPane& Pane() const { return frame->Effects().Pane(); }
    wxString StateShown(long row) const { return Pane().List()->GetItemText(row, 1); }
};

TEST_F(EffectFaultWindowTest, AFaultIsShownThePaneOffersReloadAndPlaybackGoesOn) {
    constexpr uint32_t kFrames = 1'000'000;
    constexpr uint64_t kFileBytes = 4ull * kFrames;  // 16-bit stereo
    LoadThroughDialog(MakeWav("a.wav", kFrames));
    PluginHost& host = frame->Host();
    const struct {
        const char* library;
        const char* shown;                           // the row's state
        std::function<void(vst::AEffect*)> provoke;  // beyond playing
    } cases[] = {
        {"faulty_crash_process.so", "crashed", nullptr},
        {"faulty_hang_process.so", "not responding", nullptr},
        {"faulty_crash_later.so", "crashed", nullptr},
        {"faulty_hang_later.so", "not responding", nullptr},
        {"faulty_crash_setparam.so", "crashed",
         [](vst::AEffect* e) { e->setParameter(e, 0, 0.9f); }},
        {"faulty_hang_chunk.so", "not responding",
         [this](vst::AEffect*) { frame->Effects().Capture(); }},
    };
    bool deviceRunning = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library);
        host.Chain().Clear();
        messages.clear();
        ASSERT_NE(host.AddEffect(c.library), nullptr) << host.LastLoadError();
        ASSERT_NE(host.AddEffect("gain.so"), nullptr) << host.LastLoadError();
        EffectSlot& faulty = host.Chain().At(0);
        vst::AEffect* gain = host.Chain().At(1).Effect();
        ASSERT_TRUE(faulty.OutOfProcess());
        // Settings made before the fault: kept for the faulty one, living in the other.
        gain->setParameter(gain, 0, 0.25f);
        if (c.provoke == nullptr) {
            faulty.Effect()->setParameter(faulty.Effect(), 0, 0.3f);
            faulty.MarkSettingsTouched();
            ASSERT_TRUE(Until([&] { return !faulty.KeptState().empty(); }));
        }
        frame->Effects().OpenEditor(0);
        ASSERT_NE(faulty.Editor(), nullptr);
        frame->Effects().ChainChanged();  // the session takes the chain's settings

        const uint64_t played = audio.LastQueue() ? audio.LastQueue()->PlayedBytes() : 0;
        Command(cmd::kPlay);   // may play out at once: the device is as fast as it is fed
        if (!deviceRunning) {  // the device keeps its queue, and its thread, across plays
            audio.LastQueue()->StartDeviceThread();
            deviceRunning = true;
        }
        if (c.provoke) {
            c.provoke(faulty.Effect());
        }
        ASSERT_TRUE(Until([&] { return StateShown(0) == c.shown; })) << "shown: " << StateShown(0);
        const wxString name = wxString::FromUTF8(faulty.Name());
        EXPECT_EQ(Pane().List()->GetItemText(0, 0), name) << "the name stays";
        EXPECT_FALSE(Pane().List()->IsItemChecked(0)) << "the tick says it does not run";
        EXPECT_EQ(faulty.Editor(), nullptr) << "its editor shows nothing any more";
        EXPECT_TRUE(Pane().List()->IsItemChecked(1));
        const std::string status = frame->Status().FullText();
        EXPECT_NE(status.find("\"" + faulty.Name() + "\" "), std::string::npos) << status;
        EXPECT_NE(status.find("Reload brings it back"), std::string::npos) << status;
        Pane().SelectRow(0);
        Command(cmd::kEditPlugin);  // its process is gone: no editor, a word why
        EXPECT_EQ(frame->Editors().Window(), nullptr);
        ASSERT_EQ(MessageTexts().size(), 1u);
        EXPECT_TRUE(MessageTexts()[0].Contains("Reload")) << MessageTexts()[0];
        messages.clear();

        // Playback goes on past the fault, through the healthy effect with its settings.
        // The device plays as fast as it is fed: the whole file comes out.
        EXPECT_TRUE(Until([&] { return audio.LastQueue()->PlayedBytes() >= played + kFileBytes; }))
            << "the player stood still after " << audio.LastQueue()->PlayedBytes() - played;
        EXPECT_FLOAT_EQ(gain->getParameter(gain, 0), 0.25f);

        // Reload, offered for the faulted row only, brings the effect back.
        Pane().SelectRow(1);
        EXPECT_FALSE(Pane().ReloadButton()->IsEnabled());
        Pane().SelectRow(0);
        ASSERT_TRUE(Pane().ReloadButton()->IsEnabled());
        Command(cmd::kStop);
        wxCommandEvent press(wxEVT_BUTTON);
        press.SetEventObject(Pane().ReloadButton());
        Pane().ReloadButton()->GetEventHandler()->ProcessEvent(press);
        if (c.provoke == nullptr) {  // the others go wrong again on their next such call
            EXPECT_EQ(faulty.Fault(), EffectFault::None);
            EXPECT_EQ(StateShown(0), "");
            EXPECT_TRUE(Pane().List()->IsItemChecked(0));
            EXPECT_FLOAT_EQ(faulty.Effect()->getParameter(faulty.Effect(), 0), 0.3f)
                << "the last settings came back";
            EXPECT_TRUE(Until([&] {
                return frame->Status().FullText().find("Reload brings") == std::string::npos;
            })) << "the line about the fault outlived it";
        }
        EXPECT_TRUE(MessageTexts().empty()) << MessageTexts().front();
    }
}

TEST_F(EffectFaultWindowTest, RunInsideOrvaneReloadsTheEffectWithItsSettingsAndIsKept) {
    PluginHost& host = frame->Host();
    ASSERT_NE(host.AddEffect("gain.so"), nullptr) << host.LastLoadError();
    frame->Effects().ChainChanged();
    EffectSlot& slot = host.Chain().At(0);
    const std::string path = slot.Path();
    const auto keptInCache = [&] {
        for (const PluginInfo& info : PluginScanner::ReadCache(plugin_paths::CacheFile())) {
            if (info.path == path) {
                return info.runInProcess;
            }
        }
        ADD_FAILURE() << path << " is not in the cache";
        return false;
    };
    Pane().SelectRow(0);
    for (const bool inside : {true, false}) {
        SCOPED_TRACE(inside ? "inside" : "in a process of its own");
        const float gain = inside ? 0.2f : 0.7f;
        slot.Effect()->setParameter(slot.Effect(), 0, gain);
        wxCommandEvent choose(wxEVT_MENU, Pane().RunInsideItemId());
        Pane().GetEventHandler()->ProcessEvent(choose);
        EXPECT_EQ(slot.OutOfProcess(), !inside);
        EXPECT_FLOAT_EQ(slot.Effect()->getParameter(slot.Effect(), 0), gain);
        EXPECT_EQ(keptInCache(), inside);
    }
    EXPECT_TRUE(MessageTexts().empty());
}

}  // namespace
