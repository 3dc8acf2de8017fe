// An effect that stops answering inside processReplacing while the window waits for it: the
// user hears which effect within about two seconds, the window goes on painting, and keeping
// on waiting ends normally once the effect returns.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/FrameFixture.h"
#include "playback/WavePlayer.h"
#include "plugins/PluginHost.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

class UnresponsiveEffect : public FrameFixture {
protected:
    std::vector<std::string> Plugins() const override { return {"sleeper.so"}; }

    void SetUp() override {
        FrameFixture::SetUp();
        // In process: the sleeper is told to sleep through this process's copy of it, and
        // the window's own patience with an effect that does not return is what is tested.
        frame->Host().SetAllInProcess(true);
        library = dlopen("vstplugs/sleeper.so", RTLD_NOW);
        ASSERT_NE(library, nullptr) << dlerror();
        sleepInNextProcess = reinterpret_cast<void (*)(int)>(dlsym(library, "SleepInNextProcess"));
        isSleeping = reinterpret_cast<bool (*)()>(dlsym(library, "IsSleeping"));
        ASSERT_NE(sleepInNextProcess, nullptr);
        ASSERT_NE(isSleeping, nullptr);
    }
    void TearDown() override {
        FrameFixture::TearDown();
        if (library != nullptr) {
            dlclose(library);
        }
    }

    void* library = nullptr;
    void (*sleepInNextProcess)(int) = nullptr;
    bool (*isSleeping)() = nullptr;
};

TEST_F(UnresponsiveEffect, StopNamesItWithinAboutTwoSecondsAndTheWindowKeepsPainting) {
    LoadThroughDialog(MakeWav("a.wav", 2'000'000));
    Command(cmd::kFirstPlugin);
    ASSERT_EQ(frame->Host().ChainSize(), 1u);
    Command(cmd::kShowWorkspace);
    Command(cmd::kPlay);
    ASSERT_TRUE(frame->Player().IsPlaying());

    // Refills run on the device's own thread; the next one hangs in the effect for 5 s.
    sleepInNextProcess(5000);
    audio.LastQueue()->StartDeviceThread();
    const Clock::time_point armed = Clock::now();
    while (!isSleeping() && Clock::now() - armed < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(isSleeping()) << "the refill thread never reached the effect";

    int paintsAfterQuestion = 0;
    Clock::time_point asked{};
    frame->View()->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) {
        if (asked != Clock::time_point{}) {
            ++paintsAfterQuestion;
        }
        event.Skip();
    });
    platform::SetMessageBoxHook([&](const platform::MessageRequest& request) {
        messages.push_back(request);
        if (asked == Clock::time_point{}) {
            asked = Clock::now();
        }
        frame->View()->Refresh();              // something to paint while the wait goes on
        return platform::MessageAnswer::kYes;  // keep waiting
    });

    const Clock::time_point stopPressed = Clock::now();
    Command(cmd::kStop);
    const Clock::time_point stopped = Clock::now();

    // Asked after 2 s and, the user waiting on, again after 4 s; the effect returns at 5 s.
    ASSERT_EQ(messages.size(), 2u);
    for (const platform::MessageRequest& question : messages) {
        EXPECT_TRUE(question.text.Contains("\"Sleeper\"")) << question.text;
        EXPECT_TRUE(question.text.Contains("not responding")) << question.text;
        EXPECT_EQ(question.buttons, platform::MessageButtons::kYesNo);
    }
    const auto untilAsked = asked - stopPressed;
    EXPECT_GE(untilAsked, std::chrono::milliseconds(1900));
    EXPECT_LE(untilAsked, std::chrono::milliseconds(3500)) << "about two seconds, not never";
    EXPECT_GT(paintsAfterQuestion, 0) << "the window painted while Stop waited";
    EXPECT_GE(stopped - stopPressed, std::chrono::milliseconds(4000)) << "it did keep waiting";
    EXPECT_FALSE(frame->Player().IsPlaying());
}

}  // namespace
