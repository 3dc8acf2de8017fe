// Plug-ins asking for idle time from the processing thread and from inside their own idle
// calls: the idle calls run only on the user-interface thread (here the test's thread) and are
// never nested. scripts/test runs these under ThreadSanitizer too.

#include <thread>

#include "HostFixture.h"
#include "plugins/IdleRequests.h"
#include "tests/plugins/IdlerLog.h"

namespace {

class IdleThreads : public HostFixture {
protected:
    void SetUp() override {
        Configure();
        Install({"idler"});
        ASSERT_TRUE(library.Open(Installed("idler.so"))) << library.ErrorText();
        log = reinterpret_cast<IdlerLogProc>(library.Symbol("IdlerLogOf"))();
        log->Clear();
        log->idleThread = std::this_thread::get_id();
        UseFrames(std::vector<testing_support::Frame>(4096, MakeFrame(100, -100)));
        effect = Insert("idler");
    }
    void TearDown() override {
        while (!host.IsChainEmpty()) {
            host.RemoveEffect(0);
        }
        host.Idle().SetWaker({});
    }

    platform::SharedLibrary library;
    IdlerLog* log = nullptr;
    vst::AEffect* effect = nullptr;
};

TEST_F(IdleThreads, RequestsFromProcessingRunLaterOnTheInterfaceThread) {
    ASSERT_NE(effect, nullptr);
    std::atomic<int> wakes{0};
    host.Idle().SetWaker([&wakes] { wakes++; });
    std::thread processing([this] {
        for (int block = 0; block < 50; ++block) {
            uint32_t frames = 0;
            std::vector<uint8_t> buffer(2048);
            host.Process(buffer.data(), frames, 0);
        }
    });
    processing.join();
    EXPECT_EQ(log->processed.load(), 50);
    EXPECT_EQ(log->editIdles.load() + log->effectIdles.load(), 0)
        << "nothing ran on the processing thread";
    EXPECT_EQ(host.Idle().PendingCount(), 2u) << "one effEditIdle and one effIdle, once each";
    EXPECT_EQ(wakes.load(), 2) << "the interface thread was woken once per new request";

    host.Idle().RunDeferred();
    EXPECT_EQ(log->editIdles.load(), 1);
    EXPECT_EQ(log->effectIdles.load(), 1);
    EXPECT_EQ(log->offThreadIdles.load(), 0);
    EXPECT_EQ(log->deepest.load(), 1) << "the requests made inside the idle calls waited";
    EXPECT_EQ(host.Idle().PendingCount(), 2u) << "and are kept for the next round";
}

TEST_F(IdleThreads, IdleAskingForIdleIsNeverReentered) {
    ASSERT_NE(effect, nullptr);
    // From the interface thread: runs at once, but the request it makes inside waits.
    PluginHost::HostCallback(effect, vst::audioMasterIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(log->editIdles.load(), 1);
    EXPECT_EQ(log->deepest.load(), 1);
    for (int round = 0; round < 10; ++round) {
        host.Idle().RunDeferred();
    }
    EXPECT_EQ(log->editIdles.load(), 11) << "one call per round, no recursion";
    EXPECT_EQ(log->deepest.load(), 1);
    EXPECT_EQ(log->offThreadIdles.load(), 0);
}

TEST_F(IdleThreads, ClosingAnEffectDropsItsRequests) {
    ASSERT_NE(effect, nullptr);
    std::thread([this] {
        PluginHost::HostCallback(effect, vst::audioMasterNeedIdle, 0, 0, nullptr, 0.0f);
    }).join();
    EXPECT_EQ(host.Idle().PendingCount(), 1u);
    host.RemoveEffect(0);
    EXPECT_EQ(host.Idle().PendingCount(), 0u);
    host.Idle().RunDeferred();  // would call the closed effect
    EXPECT_EQ(log->effectIdles.load(), 0);
}

TEST_F(IdleThreads, EachHostRunsOnlyItsOwnEffectsRequests) {
    ASSERT_NE(effect, nullptr);
    PluginHost other(&workspace);
    other.SetAllInProcess(true);  // the idler's log lives in the process that loads it
    other.Configure(44100, 2048, pluginDir);
    EffectSlot* otherSlot = other.AddEffect("idler.so");
    ASSERT_NE(otherSlot, nullptr) << other.LastLoadError();
    vst::AEffect* otherEffect = otherSlot->Effect();
    std::thread([&] {
        PluginHost::HostCallback(effect, vst::audioMasterNeedIdle, 0, 0, nullptr, 0.0f);
        PluginHost::HostCallback(otherEffect, vst::audioMasterIdle, 0, 0, nullptr, 0.0f);
    }).join();
    EXPECT_EQ(host.Idle().PendingCount(), 1u);
    EXPECT_EQ(other.Idle().PendingCount(), 1u);

    other.Idle().RunDeferred();
    EXPECT_EQ(log->effectIdles.load(), 0) << "the other host ran this host's request";
    EXPECT_EQ(log->editIdles.load(), 1);
    host.Idle().RunDeferred();
    EXPECT_EQ(log->effectIdles.load(), 1);
}

}  // namespace
