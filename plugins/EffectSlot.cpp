#include "plugins/EffectSlot.h"

#include <algorithm>

#include "plugins/EffectState.h"
#include "plugins/IdleRequests.h"
#include "plugins/PluginHost.h"
#include "plugins/RemoteEffect.h"

namespace {

// Real Linux plug-ins export one entry name or the other.
constexpr const char* kEntryNames[] = {"VSTPluginMain", "main"};

// While an effect is being created on this thread its AEffect is not known yet, so its calls
// to the host during the entry point find their answers here.
thread_local const EffectSetup* setupBeingOpened = nullptr;

class OpeningScope {
public:
    explicit OpeningScope(const EffectSetup& setup) : previous(setupBeingOpened) {
        setupBeingOpened = &setup;
    }
    ~OpeningScope() { setupBeingOpened = previous; }
    OpeningScope(const OpeningScope&) = delete;
    OpeningScope& operator=(const OpeningScope&) = delete;

private:
    const EffectSetup* previous;
};

bool IsHostable(int32_t channels) {
    return channels >= 1 && channels <= EffectSlot::kMaxChannels;
}

// What no working effect reports once opened: a latency of more than ten seconds (a render
// would wait it out and write silence) or a negative number of parameters. Empty when sound.
std::string ImplausibleReport(const vst::AEffect& effect, uint32_t rate) {
    if (effect.numParams < 0) {
        return "it reports " + std::to_string(effect.numParams) + " parameters";
    }
    constexpr int64_t kLatencyLimitSeconds = 10;
    if (effect.initialDelay > kLatencyLimitSeconds * int64_t{rate}) {
        return "it reports a latency of " + std::to_string(effect.initialDelay) +
               " frames, more than " + std::to_string(kLatencyLimitSeconds) + " seconds at " +
               std::to_string(rate) + " Hz";
    }
    return {};
}

}  // namespace

std::unique_ptr<OpenedEffect> OpenedEffect::Open(const std::string& path, const EffectSetup& setup,
                                                 std::string& error, bool inProcess) {
    error.clear();
    std::unique_ptr<OpenedEffect> opened(new OpenedEffect);
    opened->path = path;
    opened->setup = &setup;
    if (!inProcess) {
        opened->remote = RemoteEffect::Start(path, setup, opened.get(), error);
        if (opened->remote == nullptr) {
            return nullptr;
        }
        opened->effect = opened->remote->Proxy();
        return Opening(std::move(opened), error);
    }
    if (!opened->library.Open(path)) {
        error = "cannot be loaded: " + opened->library.ErrorText();
        return nullptr;
    }
    vst::EntryProc entryPoint = nullptr;
    for (const char* name : kEntryNames) {
        entryPoint = reinterpret_cast<vst::EntryProc>(opened->library.Symbol(name));
        if (entryPoint != nullptr) {
            break;
        }
    }
    OpeningScope opening(setup);
    vst::AEffect* effect = entryPoint != nullptr ? entryPoint(&PluginHost::HostCallback) : nullptr;
    if (effect == nullptr || effect->magic != vst::kMagic) {
        error = entryPoint == nullptr ? "no entry point (VSTPluginMain or main)"
                : effect == nullptr   ? "its entry point returned no effect"
                                      : "not a VST 2 effect (wrong magic number)";
        return nullptr;  // the library is freed with `opened`
    }
    opened->effect = effect;
    effect->user = opened.get();
    return Opening(std::move(opened), error);
}

std::unique_ptr<OpenedEffect> OpenedEffect::Opening(std::unique_ptr<OpenedEffect> opened,
                                                    std::string& error) {
    vst::AEffect* effect = opened->effect;
    const uint32_t rate = opened->setup->sampleRate.load();
    PluginHost::Dispatch(effect, vst::effOpen);
    PluginHost::Dispatch(effect, vst::effSetProgram, 0, 0);
    PluginHost::Dispatch(effect, vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    PluginHost::Dispatch(effect, vst::effSetBlockSize, 0, opened->setup->blockFrames.load());
    if (opened->Fault() != EffectFault::None) {
        error = opened->Fault() == EffectFault::Crashed
                    ? "crashed while opening: " + opened->remote->EndText()
                    : "stopped responding while opening";
        return nullptr;
    }
    error = ImplausibleReport(*effect, rate);
    if (!error.empty()) {
        // A render would wait out the latency (silence) or a dialog would list no parameters.
        return nullptr;
    }
    return opened;
}

OpenedEffect::~OpenedEffect() {
    Close();
}

bool OpenedEffect::Close() {
    if (effect != nullptr) {
        vst::AEffect* closing = effect;
        effect = nullptr;
        PluginHost::Dispatch(closing, vst::effClose);
        if (setup->idleRequests != nullptr) {
            setup->idleRequests->Forget(closing);  // nothing may call the closed effect
        }
    }
    remote.reset();  // the child ends, and is reaped
    return !library.IsOpen() || library.Close();
}

EffectFault OpenedEffect::Fault() const {
    return remote != nullptr ? remote->Fault() : EffectFault::None;
}

int OpenedEffect::ChildId() const {
    return remote != nullptr ? remote->ChildId() : -1;
}

const OpenedEffect* OpenedEffect::Of(const vst::AEffect* effect) {
    // While an effect is being opened on this thread, its `user` field is not ours yet.
    if (effect == nullptr || setupBeingOpened != nullptr) {
        return nullptr;
    }
    return static_cast<const OpenedEffect*>(effect->user);
}

const EffectSetup* OpenedEffect::SetupForHostCallback(const vst::AEffect* effect) {
    if (setupBeingOpened != nullptr) {
        return setupBeingOpened;
    }
    const OpenedEffect* opened = Of(effect);
    return opened != nullptr ? opened->setup : nullptr;
}

IdleRequests* OpenedEffect::IdleRequestsOf(const vst::AEffect* effect) {
    const OpenedEffect* opened = Of(effect);
    return opened != nullptr ? opened->setup->idleRequests : nullptr;
}

std::unique_ptr<EffectSlot> EffectSlot::Load(const std::string& path, const std::string& name,
                                             const EffectSetup& setup, std::string& error,
                                             bool inProcess) {
    std::unique_ptr<OpenedEffect> opened = OpenHostable(path, setup, error, inProcess);
    if (opened == nullptr) {
        return nullptr;
    }
    // Resumed here so that the suspend sent when the slot closes is paired.
    PluginHost::Dispatch(opened->Effect(), vst::effMainsChanged, 0, 1);
    return std::unique_ptr<EffectSlot>(new EffectSlot(std::move(opened), name, inProcess));
}

std::unique_ptr<OpenedEffect> EffectSlot::OpenHostable(const std::string& path,
                                                       const EffectSetup& setup, std::string& error,
                                                       bool inProcess) {
    std::unique_ptr<OpenedEffect> opened = OpenedEffect::Open(path, setup, error, inProcess);
    if (opened == nullptr) {
        return nullptr;
    }
    const vst::AEffect& effect = *opened->Effect();
    if (!IsHostable(effect.numInputs) || !IsHostable(effect.numOutputs)) {
        // Passed over silently, the user would hear the dry signal and think it runs.
        error = "it declares " + std::to_string(effect.numInputs) + " inputs and " +
                std::to_string(effect.numOutputs) + " outputs; effects with 1 to " +
                std::to_string(kMaxChannels) + " of each can be used";
        return nullptr;
    }
    return opened;
}

EffectSlot::EffectSlot(std::unique_ptr<OpenedEffect> effect, std::string shownName,
                       bool loadedInProcess)
    : opened(std::move(effect)), name(std::move(shownName)), inProcess(loadedInProcess) {
    opened->slot = this;
}

EffectFault EffectSlot::Fault() const {
    return opened != nullptr ? opened->Fault() : EffectFault::None;
}

const char* EffectSlot::FaultText(EffectFault fault) {
    switch (fault) {
        case EffectFault::Crashed:
            return "crashed";
        case EffectFault::NotResponding:
            return "not responding";
        case EffectFault::None:
            break;
    }
    return "";
}

bool EffectSlot::ReloadAs(bool runInProcess, std::string& error) {
    if (opened == nullptr) {
        error = "it is closed";
        return false;
    }
    std::unique_ptr<OpenedEffect> fresh =
        OpenHostable(opened->Path(), opened->Setup(), error, runInProcess);
    if (fresh == nullptr) {
        return false;
    }
    if (!keptState.empty()) {
        const std::string bytes(keptState.begin(), keptState.end());
        const std::optional<EffectState> state = EffectState::Decode(bytes, error);
        if (!state.has_value() || !state->ApplyTo(fresh->Effect(), name, error)) {
            return false;
        }
    }
    PluginHost::Dispatch(fresh->Effect(), vst::effMainsChanged, 0, 1);
    editor.reset();  // it shows the old effect
    std::unique_ptr<OpenedEffect> old;
    {
        ChainGuardHold hold(chainGuard);
        old = std::move(opened);
        opened = std::move(fresh);
        opened->slot = this;
        channels = EffectChannels();
        inProcess = runInProcess;
    }
    PluginHost::Dispatch(old->Effect(), vst::effMainsChanged, 0, 0);
    old->Close();
    return true;
}

EffectSlot::~EffectSlot() {
    Close();
}

bool EffectSlot::Close() {
    if (opened == nullptr) {
        return true;
    }
    editor.reset();  // effEditClose while the effect is open and resumed
    PluginHost::Dispatch(opened->Effect(), vst::effMainsChanged, 0, 0);
    const bool freed = opened->Close();
    opened.reset();
    return freed;
}

EffectSlot* EffectSlot::Of(const vst::AEffect* effect) {
    const OpenedEffect* opened = OpenedEffect::Of(effect);
    return opened != nullptr ? opened->Slot() : nullptr;
}

uint32_t EffectSlot::LatencyFrames() const {
    if (Fault() != EffectFault::None) {
        return 0;
    }
    // An effect in a child has its latency refreshed by the thread that runs it.
    const int32_t delay = std::atomic_ref<int32_t>(Effect()->initialDelay).load();
    return static_cast<uint32_t>(std::clamp<int32_t>(delay, 0, kMaxLatencyFrames));
}

void EffectSlot::Reset() {
    PluginHost::Dispatch(Effect(), vst::effMainsChanged, 0, 0);
    PluginHost::Dispatch(Effect(), vst::effMainsChanged, 0, 1);
}

void EffectSlot::Run(float* left, float* right, float* outLeft, float* outRight, uint32_t frames,
                     uint32_t blockFrames) {
    if (!bypassed && Fault() == EffectFault::None) {
        channels.Run(Effect(), left, right, outLeft, outRight, frames, blockFrames);
    }
}
