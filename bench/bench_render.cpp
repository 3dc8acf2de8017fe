// Rendering 10 minutes with an empty effect chain, against `cp` of the same source file to the
// same directory, both from a warm page cache: the render's speed as a ratio to cp's (1.0 is
// as fast as cp). One run of each, cp first, then the render, then both again.
//
// With "fx" after the minutes, the chain holds the passthrough test plug-in (or the library
// named after "fx") instead, and the render with it in a child process is set against the
// render with it in this process: the child's speed as a ratio to in process (1.0 is as fast).
//
//     build/bench/bench_render [MINUTES]
//     build/bench/bench_render [MINUTES] fx [LIBRARY]

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "FxProgram.h"
#include "GeneratedWavFile.h"
#include "audio/Workspace.h"
#include "plugins/PluginHost.h"
#include "render/WorkspaceRenderer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double TimeCommand(const std::string& command) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
    return Seconds(start);
}

/// Seconds one render of the workspace through `host` takes; negative when it fails.
double TimeRender(PluginHost& host, Workspace& workspace, const std::string& output) {
    std::filesystem::remove(output);
    WorkspaceRenderer renderer(host, workspace);
    const auto start = Clock::now();
    const RenderResult result = renderer.Render(output, [](uint32_t) { return true; });
    const double seconds = Seconds(start);
    std::filesystem::remove(output);
    if (result.outcome != RenderOutcome::kDone) {
        std::fprintf(stderr, "render failed: %s\n", result.reason.c_str());
        return -1.0;
    }
    return seconds;
}

/// Renders `workspace` through `library` in a child process and in this one, twice each,
/// alternating; prints each round's times and the child's speed as a ratio to in process.
int CompareEffectPlaces(Workspace& workspace, const std::string& library, double minutes,
                        const std::string& output) {
    const std::filesystem::path path(library);
    PluginHost child(&workspace);
    PluginHost inProcess(&workspace);
    inProcess.SetAllInProcess(true);
    for (PluginHost* host : {&child, &inProcess}) {
        host->Configure(44100, 2048, path.parent_path().string());
        if (host->AddEffect(path.filename().string()) == nullptr) {
            std::fprintf(stderr, "%s: %s\n", library.c_str(), host->LastLoadError().c_str());
            return 1;
        }
    }
    for (int round = 1; round <= 2; ++round) {
        const double here = TimeRender(inProcess, workspace, output);
        const double there = TimeRender(child, workspace, output);
        if (here < 0 || there < 0) {
            return 1;
        }
        std::printf(
            "round %d: %.1f min through %s: in process %.3f s, child process %.3f s, child "
            "speed / in-process speed %.2f\n",
            round, minutes, path.filename().c_str(), here, there, here / there);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const bool throughEffect = argc > 2 && std::string(argv[2]) == "fx";
    const std::string library = argc > 3 ? argv[3] : ORVANE_PASSTHROUGH_PLUGIN;
    const GeneratedWavFile source("render", uint32_t(minutes * 60 * 44100), SineFrame);
    const std::filesystem::path dir = std::filesystem::path(source.Path()).parent_path();
    const std::string copy = (dir / ("orvane-bench-copy-" + std::to_string(getpid()))).string();
    const std::string rendered =
        (dir / ("orvane-bench-render-" + std::to_string(getpid()) + ".wav")).string();

    Workspace workspace;
    workspace.AddFile(source.Path());
    PluginHost host(&workspace);
    host.Configure(44100, 2048, dir.string());
    WorkspaceRenderer renderer(host, workspace);
    TimeCommand("cat '" + std::string(source.Path()) + "' > /dev/null");  // warm
    // The source's peak tables are built when it opens; the timing starts once they are done.
    const PeakPyramid* peaks = workspace.Peaks(*workspace.File(0));
    while (peaks != nullptr && !peaks->IsComplete() && !peaks->Failed()) {
        usleep(10000);
    }
    if (throughEffect) {
        return CompareEffectPlaces(workspace, library, minutes, rendered);
    }

    for (int round = 1; round <= 2; ++round) {
        std::filesystem::remove(copy);
        const double cp = TimeCommand("cp '" + std::string(source.Path()) + "' '" + copy + "'");
        std::filesystem::remove(rendered);
        const auto start = Clock::now();
        const RenderResult result = renderer.Render(rendered, [](uint32_t) { return true; });
        const double render = Seconds(start);
        if (result.outcome != RenderOutcome::kDone) {
            std::fprintf(stderr, "render failed: %s\n", result.reason.c_str());
            return 1;
        }
        std::printf(
            "round %d: %.1f min (%.0f MB): cp %.3f s, render %.3f s, render speed / cp "
            "speed %.2f\n",
            round, minutes, std::filesystem::file_size(source.Path()) / 1e6, cp, render,
            cp / render);
    }
    std::filesystem::remove(copy);
    std::filesystem::remove(rendered);
    return 0;
}
