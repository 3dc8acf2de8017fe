// Opening the generated parameter dialog of an effect with 300, 1,005 and 4,096 parameters:
// building the window, asking the effect for its names, values and texts, and showing it.
// The dialog is a real window, so this runs on a display: xvfb-run -a.

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>

#include "plugins/editor/GeneratedParameterDialog.h"

namespace {

// An effect in this process whose parameter i is named "Parameter i" and shows "0.500000" dB.
struct ManyParameters {
    explicit ManyParameters(int count) {
        effect.magic = vst::kMagic;
        effect.numParams = count;
        effect.dispatcher = [](vst::AEffect*, int32_t opcode, int32_t index, intptr_t, void* ptr,
                               float) -> intptr_t {
            char* text = static_cast<char*>(ptr);
            switch (opcode) {
                case vst::effGetParamName:
                    std::snprintf(text, 32, "Parameter %d", index + 1);
                    break;
                case vst::effGetParamDisplay:
                    std::strcpy(text, "0.500000");
                    break;
                case vst::effGetParamLabel:
                    std::strcpy(text, "dB");
                    break;
                default:
                    break;
            }
            return 0;
        };
        effect.getParameter = [](vst::AEffect*, int32_t) { return 0.5f; };
    }
    vst::AEffect effect{};
};

void BM_OpenGeneratedDialog(benchmark::State& state) {
    ManyParameters plugin(static_cast<int>(state.range(0)));
    auto* owner = new wxFrame(nullptr, wxID_ANY, "owner");
    owner->Show();
    for (auto _ : state) {
        auto* dialog = new GeneratedParameterDialog(owner, "bench", &plugin.effect);
        dialog->Show();
        wxTheApp->Yield(true);  // shown and laid out by the toolkit
        state.PauseTiming();
        dialog->Destroy();
        wxTheApp->Yield(true);
        state.ResumeTiming();
    }
    owner->Destroy();
    wxTheApp->Yield(true);
}
BENCHMARK(BM_OpenGeneratedDialog)
    ->ArgName("parameters")
    ->Arg(300)
    ->Arg(1005)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "bench_parameter_dialog needs a display: xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
