#pragma once

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "FxProgram.h"
#include "GeneratedWavFile.h"
#include "audio/Workspace.h"
#include "plugins/PluginHost.h"

/// Where a benchmark's effect runs.
enum class EffectPlace { kChild, kInProcess };

/// Opens `source` into `workspace`, configures `host` for 44100 Hz and 2048-byte blocks and,
/// unless `library` is empty, loads that plug-in library into the chain (in a child process of
/// its own, unless `place` says in process). False (with the benchmark skipped and told why)
/// when any of it fails.
inline bool PrepareChain(benchmark::State& state, const GeneratedWavFile& source,
                         Workspace& workspace, PluginHost& host, const std::string& library,
                         EffectPlace place = EffectPlace::kChild) {
    host.SetAllInProcess(place == EffectPlace::kInProcess);
    if (!workspace.AddFile(source.Path())) {
        state.SkipWithError("cannot open the source file");
        return false;
    }
    const std::filesystem::path path(library);
    host.Configure(44100, 2048, path.parent_path().string());
    if (!library.empty() && host.AddEffect(path.filename().string()) == nullptr) {
        state.SkipWithError((library + ": " + host.LastLoadError()).c_str());
        return false;
    }
    return true;
}
