#include "render/RenderCommand.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "audio/Workspace.h"
#include "platform/QuietOutput.h"
#include "platform/RegularFile.h"
#include "platform/SessionStorage.h"
#include "plugins/InstalledEffect.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"
#include "plugins/PresetFile.h"
#include "render/WorkspaceRenderer.h"
#include "session/ChainRecords.h"
#include "session/SessionFile.h"

namespace {

bool IsSessionPath(const std::string& path) {
    constexpr size_t kLength = 7;  // ".orvane"
    return path.size() >= kLength &&
           ::strcasecmp(path.c_str() + path.size() - kLength, ".orvane") == 0;
}

// The workspace INPUT describes: a WAV file alone, or a saved session's files and edits, with
// the effect chain it kept.
bool OpenInput(const std::string& input, Workspace& workspace, std::vector<EffectRecord>& effects,
               std::string& error) {
    // A named pipe or a device would make the read below wait for ever.
    if (const std::string why = platform::WhyNotARegularFile(input); !why.empty()) {
        error = input + ": " + why;
        return false;
    }
    if (IsSessionPath(input)) {
        WorkspaceState state;
        if (!session_file::Load(input, workspace, state, effects, error)) {
            return false;  // the error names the session or the source at fault
        }
        workspace.Replace(std::move(state));
        return true;
    }
    std::string why;
    if (!workspace.AddFile(input.c_str(), &why)) {
        error = input + ": " + why;
        return false;
    }
    return true;
}

// The library at `path`, examined by orvane-scan before it is loaded here.
std::string FindByPath(const std::string& path, std::string& error) {
    const std::string absolute = platform::AbsolutePath(path);
    if (const std::string why = platform::WhyNotARegularFile(absolute); !why.empty()) {
        const bool missing = ::access(absolute.c_str(), F_OK) != 0;
        error = path + ": " + (missing ? "no such plug-in library" : why);
        return {};
    }
    const PluginInfo info = PluginScanner(InstalledScanSettings()).Examine(absolute);
    if (!info.ok) {
        error = path + ": " + info.failure;
        return {};
    }
    return absolute;
}

// Loads the effect at the end of the chain, loads its preset and sets its parameters; false
// with `error` set. Every effect of a command-line render is loaded here.
bool PrepareEffect(PluginHost& host, const RenderEffect& wanted, std::string& error) {
    if (!platform::StampOf(plugin_paths::ScannerProgram()).exists) {
        error = wanted.nameOrPath + ": the examining program " + plugin_paths::ScannerProgram() +
                " is missing";
        return false;
    }
    const std::string library = wanted.nameOrPath.find('/') != std::string::npos
                                    ? FindByPath(wanted.nameOrPath, error)
                                    : InstalledEffectNamed(wanted.nameOrPath, error);
    if (library.empty()) {
        return false;
    }
    EffectSlot* slot = host.AddEffect(library);
    vst::AEffect* effect = slot != nullptr ? slot->Effect() : nullptr;
    if (effect == nullptr) {
        error = wanted.nameOrPath + ": " + host.LastLoadError();
        return false;
    }
    // The preset goes in here, before the parameters, which then override what it set.
    if (!wanted.preset.empty() && !PresetFile::Load(wanted.preset, effect, slot->Name(), error)) {
        error = wanted.nameOrPath + ": " + error;
        return false;
    }
    for (const EffectParameter& parameter : wanted.parameters) {
        if (parameter.index >= effect->numParams || effect->setParameter == nullptr) {
            error = wanted.nameOrPath + ": it has no parameter " + std::to_string(parameter.index) +
                    " (it has " + std::to_string(effect->numParams) + ", numbered from 0)";
            return false;
        }
        effect->setParameter(effect, parameter.index, parameter.value);
    }
    return true;
}

// Builds the chain: the session's own effects with their settings, then those of the command
// line in the order given; a bypassed effect is loaded (so that it is checked like the others)
// and passed by.
bool PrepareChain(PluginHost& host, const std::vector<EffectRecord>& kept,
                  const std::vector<RenderEffect>& effects, std::string& error) {
    if (!kept.empty()) {
        std::vector<std::string> problems;
        if (!chain_records::Rebuild(host, kept, InstalledEffects(), problems)) {
            // Rendered without one of its effects, the session would not sound as saved.
            error = problems.front();
            return false;
        }
    }
    for (const RenderEffect& effect : effects) {
        if (!PrepareEffect(host, effect, error)) {
            return false;
        }
        if (effect.bypass) {
            host.Chain().SetBypassed(host.ChainSize() - 1, true);
        }
    }
    return true;
}

}  // namespace

int RunRenderCommand(const std::string& output, const std::string& input,
                     const std::vector<RenderEffect>& effects, const RenderSettings& settings,
                     std::string& error) {
    Workspace workspace;
    workspace.BuildNoPeaks();  // nothing is shown: the file is read once, by the render
    std::vector<EffectRecord> kept;
    if (!OpenInput(input, workspace, kept, error)) {
        return 1;
    }
    // Plug-ins print from loading to unloading; the host (and with it every effect) goes
    // before the real outputs come back.
    const platform::QuietOutput quiet(!settings.verbose);
    PluginHost host(&workspace);
    host.Configure(workspace.SampleRate(), PluginHost::kBlockBytes, "");
    host.SetAllInProcess(settings.inProcess);
    const WorkspaceRenderer renderer(host, workspace);
    RenderOptions options;
    options.includeTail = settings.tail;
    options.format = settings.format.value_or(render_format::ForPath(output));
    options.dither = settings.dither;
    options.outputRate = settings.rate;
    options.level = settings.level;
    if (IsSessionPath(input)) {
        options.sessionFile = input;  // the render never writes over the session it renders
    }
    // Told before an effect is looked for, which may examine every plug-in first.
    if (const std::string why = renderer.WhyOwnFile(output, options.sessionFile); !why.empty()) {
        error = output + ": " + why;
        return 1;
    }
    if (!PrepareChain(host, kept, effects, error)) {
        return 1;
    }
    const RenderResult result = renderer.Render(
        output, [](uint32_t) { return true; }, options);
    switch (result.outcome) {
        case RenderOutcome::kDone:
            return 0;
        case RenderOutcome::kSourceShort:
            error = output + ": not written, because " + result.reason +
                    " became shorter during the render (it was changed outside Orvane)";
            return 1;
        case RenderOutcome::kEffectFault:
            error = result.reason;  // names the effect, and says nothing was written
            return 1;
        default:
            error = output + ": " + result.reason;
            return 1;
    }
}
