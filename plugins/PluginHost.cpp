#include "plugins/PluginHost.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/Directory.h"
#include "plugins/IdleRequests.h"

namespace {

// Holds the chain guard, when there is one, for the life of a scope.
class GuardScope {
public:
    explicit GuardScope(ChainGuard* guard) : guard_(guard) {
        if (guard_ != nullptr) {
            guard_->lock();
        }
    }
    ~GuardScope() {
        if (guard_ != nullptr) {
            guard_->unlock();
        }
    }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    ChainGuard* guard_;
};

bool IsHostable(int32_t channels) {
    return channels >= 1 && channels <= PluginHost::kMaxChannels;
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

// Real Linux plug-ins export one entry name or the other.
constexpr const char* kEntryNames[] = {"VSTPluginMain", "main"};

}  // namespace

PluginHost::PluginHost(Workspace* workspace) : workspace(workspace) {
    PublishConfiguration(0, 0);
    IdleRequests::SetUserInterfaceThread();  // the host is built on that thread
}

void PluginHost::Configure(uint32_t rate, uint32_t blockBytes, const std::string& directory) {
    pluginDirectory = directory;
    if (!pluginDirectory.empty() && pluginDirectory.back() != '/') {
        pluginDirectory += '/';
    }
    configuredRate = rate;
    configuredBlockBytes = blockBytes;
    // Process may be reading the buffers.
    GuardScope hold(chainGuard);
    blockFrames = blockBytes / kBytesPerFrame;
    inputLeft.assign(blockFrames, 0.0f);
    inputRight.assign(blockFrames, 0.0f);
    outputLeft.assign(blockFrames, 0.0f);
    outputRight.assign(blockFrames, 0.0f);
    sampleBuffer.assign(static_cast<size_t>(blockFrames) * kBytesPerFrame, 0);
    framesRead = 0;
    PublishConfiguration(rate, blockBytes);
}

PluginHost::~PluginHost() {
    // No Process can run any more (the player is destroyed first), so the guard is not taken:
    // its owner may already be gone.
    chainGuard = nullptr;
    while (!chain.empty()) {
        UnloadPlugin(0, nullptr);
    }
    PublishEditorWindows(editorWindows, nullptr);
}

void PluginHost::SetSampleRate(uint32_t rate) {
    if (rate == configuredRate) {
        return;
    }
    configuredRate = rate;
    PublishConfiguration(configuredRate, configuredBlockBytes);
    GuardScope hold(chainGuard);  // no block is processed at the old rate after the new one
    for (const auto& entry : chain) {
        Dispatch(entry->effect, vst::effMainsChanged, 0, 0);
        Dispatch(entry->effect, vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        Dispatch(entry->effect, vst::effMainsChanged, 0, 1);
    }
}

PluginInfo PluginHost::Examine(const std::string& path) {
    PluginInfo info;
    info.path = path;
    platform::SharedLibrary library;
    vst::AEffect* effect = LoadPlugin(path, 0, false, &library);
    if (effect == nullptr) {
        info.failure = lastLoadError;
        return info;
    }
    info.name = EffectText(effect, vst::effGetEffectName);
    info.vendor = EffectText(effect, vst::effGetVendorString);
    info.product = EffectText(effect, vst::effGetProductString);
    info.category = static_cast<int32_t>(Dispatch(effect, vst::effGetPlugCategory));
    info.version = effect->version;
    info.uniqueId = effect->uniqueId;
    info.inputs = effect->numInputs;
    info.outputs = effect->numOutputs;
    info.parameters = effect->numParams;
    info.hasEditor = (effect->flags & vst::effFlagsHasEditor) != 0;
    UnloadPlugin(0, effect);
    FreeLibrary(library);
    info.ok = true;
    return info;
}

void PluginHost::SetCatalog(std::vector<PluginInfo> entries) {
    catalog = std::move(entries);
    names.clear();
    for (const PluginInfo& info : catalog) {
        names.push_back(info.DisplayName());
    }
}

const char* PluginHost::PluginName(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= names.size()) {
        return nullptr;
    }
    return names[static_cast<size_t>(index)].c_str();
}

const char* PluginHost::PluginPath(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= catalog.size()) {
        return nullptr;
    }
    return catalog[static_cast<size_t>(index)].path.c_str();
}

vst::AEffect* PluginHost::LoadPlugin(const std::string& fileName, uint8_t position, bool insert,
                                     platform::SharedLibrary* libraryOut) {
    lastLoadError.clear();
    if (configuredRate == 0 || configuredBlockBytes == 0) {
        lastLoadError = "host not configured";
        return nullptr;
    }
    if (!insert && libraryOut == nullptr) {
        lastLoadError = "no owner for the library";  // it could never be freed
        return nullptr;
    }
    auto entry = std::make_unique<LoadedPlugin>();
    const std::string path = fileName.starts_with('/') ? fileName : pluginDirectory + fileName;
    if (!entry->library.Open(path)) {
        lastLoadError = "cannot be loaded: " + entry->library.ErrorText();
        return nullptr;
    }
    vst::EntryProc entryPoint = nullptr;
    for (const char* name : kEntryNames) {
        entryPoint = reinterpret_cast<vst::EntryProc>(entry->library.Symbol(name));
        if (entryPoint != nullptr) {
            break;
        }
    }
    vst::AEffect* effect = entryPoint != nullptr ? entryPoint(&PluginHost::HostCallback) : nullptr;
    if (effect == nullptr || effect->magic != vst::kMagic) {
        lastLoadError = entryPoint == nullptr ? "no entry point (VSTPluginMain or main)"
                        : effect == nullptr   ? "its entry point returned no effect"
                                              : "not a VST 2 effect (wrong magic number)";
        FreeLibrary(entry->library);
        return nullptr;
    }

    if (insert && (!IsHostable(effect->numInputs) || !IsHostable(effect->numOutputs))) {
        // Passed over silently, the user would hear the dry signal and think it runs.
        lastLoadError = "it declares " + std::to_string(effect->numInputs) + " inputs and " +
                        std::to_string(effect->numOutputs) + " outputs; effects with 1 to " +
                        std::to_string(kMaxChannels) + " of each can be used";
        Dispatch(effect, vst::effClose);
        FreeLibrary(entry->library);
        return nullptr;
    }

    Dispatch(effect, vst::effOpen);
    Dispatch(effect, vst::effSetProgram, 0, 0);
    Dispatch(effect, vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(configuredRate));
    Dispatch(effect, vst::effSetBlockSize, 0, configuredBlockBytes);
    const std::string implausible = ImplausibleReport(*effect, configuredRate);
    if (!implausible.empty()) {
        // A render would wait out the latency (silence) or a dialog would list no parameters.
        lastLoadError = implausible;
        Dispatch(effect, vst::effClose);
        FreeLibrary(entry->library);
        return nullptr;
    }
    if (!insert) {
        *libraryOut = std::move(entry->library);
        return effect;
    }
    // Resumed here so that the suspend sent at unload is paired.
    Dispatch(effect, vst::effMainsChanged, 0, 1);
    entry->effect = effect;
    entry->name = fileName;
    for (const PluginInfo& info : catalog) {
        if (info.path == fileName) {
            entry->name = info.DisplayName();
        }
    }

    GuardScope hold(chainGuard);
    auto where = chain.end();
    if (chain.size() >= 2 && position < chain.size()) {
        where = std::next(chain.begin(), position);
    }
    chain.insert(where, std::move(entry));
    return effect;
}

bool PluginHost::UnloadPlugin(uint8_t position, vst::AEffect* effect) {
    if (effect != nullptr) {
        const bool inChain = std::any_of(
            chain.begin(), chain.end(), [&](const auto& entry) { return entry->effect == effect; });
        if (inChain) {
            return false;
        }
        CloseEditor();
        // Never resumed (only chain entries are), so there is no suspend to pair.
        Dispatch(effect, vst::effClose);
        ForgetEffect(effect);
        return true;
    }
    if (chain.empty()) {
        return true;
    }

    std::unique_ptr<LoadedPlugin> removed;
    {
        GuardScope hold(chainGuard);
        auto it =
            position < chain.size() ? std::next(chain.begin(), position) : std::prev(chain.end());
        removed = std::move(*it);
        chain.erase(it);
    }
    // Out of the chain, so no block can reach the effect any more.
    CloseEditor();
    Dispatch(removed->effect, vst::effMainsChanged, 0, 0);
    Dispatch(removed->effect, vst::effClose);
    ForgetEffect(removed->effect);
    return FreeLibrary(removed->library);
}

std::string PluginHost::BusyEffectName() const {
    const LoadedPlugin* busy = processing.load(std::memory_order_acquire);
    return busy != nullptr ? busy->name : std::string();
}

void PluginHost::ResetChain() {
    GuardScope hold(chainGuard);
    for (const auto& entry : chain) {
        Dispatch(entry->effect, vst::effMainsChanged, 0, 0);
        Dispatch(entry->effect, vst::effMainsChanged, 0, 1);
    }
}

uint32_t PluginHost::LatencyFrames() const {
    uint32_t total = 0;
    for (const auto& entry : chain) {
        const int32_t delay = entry->effect->initialDelay;
        total += static_cast<uint32_t>(std::clamp<int32_t>(delay, 0, kMaxLatencyFrames));
    }
    return total;
}

vst::AEffect* PluginHost::EffectAt(uint8_t position) const {
    if (chain.empty()) {
        return nullptr;
    }
    auto it = position < chain.size() ? std::next(chain.begin(), position) : std::prev(chain.end());
    return (*it)->effect;
}

void PluginHost::SetEditorWindows(EditorWindows* windows) {
    PublishEditorWindows(editorWindows, windows);
    editorWindows = windows;
}

void PluginHost::SetEditor(uintptr_t window, vst::AEffect* effect) {
    editorWindow = window;
    currentEffect = effect;
}

void PluginHost::CloseEditor() {
    if (editorWindow == 0) {
        return;
    }
    if (editorWindows != nullptr) {
        editorWindows->CloseEditor(editorWindow, currentEffect);
    }
    editorWindow = 0;
}

void PluginHost::ForgetEffect(const vst::AEffect* closed) {
    IdleRequests::Forget(closed);
    if (currentEffect == closed) {
        currentEffect = nullptr;  // the editor code must never reach a closed effect
    }
}

bool PluginHost::FreeLibrary(platform::SharedLibrary& library) {
    if (library.Close()) {
        return true;
    }
    Report(kMessageLibraryNotFreed);
    return false;
}

void PluginHost::Report(uint32_t stringId) {
    if (messages != nullptr) {
        messages->ShowMessage(stringId);
    }
}

std::string PluginHost::DefaultPluginDirectory() {
    return platform::CurrentDirectory() + "/" + kDirectoryName + "/";
}
