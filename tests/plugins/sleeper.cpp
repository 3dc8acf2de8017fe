// Stops answering inside processReplacing for as long as the test asks (SleepInNextProcess),
// once, as a hung effect would; reports whether it is inside that call right now.

#include <atomic>
#include <chrono>
#include <thread>

#include "TestEffect.h"

namespace {

std::atomic<int> nextSleepMs{0};
std::atomic<bool> sleeping{false};

class Sleeper : public TestEffect {
public:
    explicit Sleeper(vst::HostCallbackProc host) : TestEffect(host, "Sleeper", 2, 2) {}

protected:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        const int ms = nextSleepMs.exchange(0);
        if (ms > 0) {
            sleeping = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            sleeping = false;
        }
        TestEffect::Process(inputs, outputs, frames);
    }
};

}  // namespace

ORVANE_PLUGIN_EXPORT void SleepInNextProcess(int milliseconds) {
    nextSleepMs = milliseconds;
}

ORVANE_PLUGIN_EXPORT bool IsSleeping() {
    return sleeping;
}

ORVANE_PLUGIN_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallbackProc host) {
    return (new Sleeper(host))->Effect();
}
