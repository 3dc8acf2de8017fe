#include "plugins/PluginHost.h"

#include <string>

#include "platform/Directory.h"
#include "plugins/CatalogNames.h"

PluginHost::PluginHost(Workspace* workspace) : workspace(workspace) {
    setup.idleRequests = &idleRequests;
}

PluginHost::~PluginHost() = default;

void PluginHost::Configure(uint32_t rate, uint32_t blockBytes, const std::string& directory) {
    pluginDirectory = directory;
    if (!pluginDirectory.empty() && pluginDirectory.back() != '/') {
        pluginDirectory += '/';
    }
    configuredRate = rate;
    // Process may be reading the buffers.
    ChainGuardHold hold(chain.Guard());
    blockFrames = blockBytes / kBytesPerFrame;
    inputLeft.assign(blockFrames, 0.0f);
    inputRight.assign(blockFrames, 0.0f);
    outputLeft.assign(blockFrames, 0.0f);
    outputRight.assign(blockFrames, 0.0f);
    sampleBuffer.assign(static_cast<size_t>(blockFrames) * kBytesPerFrame, 0);
    framesRead = 0;
    setup.sampleRate.store(rate);
    setup.blockFrames.store(blockFrames);
}

void PluginHost::SetSampleRate(uint32_t rate) {
    if (rate == configuredRate) {
        return;
    }
    configuredRate = rate;
    setup.sampleRate.store(rate);
    chain.SetSampleRate(rate);
}

PluginInfo PluginHost::Examine(const std::string& path) {
    PluginInfo info;
    info.path = path;
    std::unique_ptr<OpenedEffect> opened = OpenedEffect::Open(path, setup, info.failure);
    if (opened == nullptr) {
        return info;
    }
    vst::AEffect* effect = opened->Effect();
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
    info.ok = true;
    return info;
}

void PluginHost::SetCatalog(std::vector<PluginInfo> entries) {
    catalog = std::move(entries);
    names = catalog_names::ShownNames(catalog);
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

EffectSlot* PluginHost::AddEffect(const std::string& fileName, const std::string& name) {
    return chain.Add(LoadEffect(fileName, name));
}

std::unique_ptr<EffectSlot> PluginHost::LoadEffect(const std::string& fileName,
                                                   const std::string& shownName) {
    lastLoadError.clear();
    if (configuredRate == 0 || blockFrames == 0) {
        lastLoadError = "host not configured";
        return nullptr;
    }
    const std::string path = fileName.starts_with('/') ? fileName : pluginDirectory + fileName;
    std::string name = shownName;
    bool inProcess = allInProcess;
    for (size_t i = 0; i < catalog.size(); ++i) {
        if (catalog[i].path == fileName || catalog[i].path == path) {
            name = name.empty() ? names[i] : name;
            inProcess = inProcess || catalog[i].runInProcess;
            break;
        }
    }
    if (name.empty()) {
        name = fileName.substr(fileName.rfind('/') + 1);
    }
    return EffectSlot::Load(path, name, setup, lastLoadError, inProcess);
}

bool PluginHost::RemoveEffect(size_t index) {
    if (chain.Remove(index)) {
        return true;
    }
    Report(kMessageLibraryNotFreed);
    return false;
}

void PluginHost::ResetChain() {
    chain.Reset();
}

void PluginHost::Report(uint32_t stringId) {
    if (messages != nullptr) {
        messages->ShowMessage(stringId);
    }
}

std::string PluginHost::DefaultPluginDirectory() {
    return platform::CurrentDirectory() + "/" + kDirectoryName + "/";
}
