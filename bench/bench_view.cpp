// The waveform view's drawing: a full repaint of a 1280 x 600 view showing the whole
// workspace from its peak tables, for workspaces of 10 s, 10 min, 60 min and 3 h; an expose
// that copies the kept picture; and one step of a selection drag.
//
// Each workspace is one generated file (a 3 h file is 1.9 GB); the tables are complete before
// the timing starts. The view is a real window, so this runs on a display: xvfb-run -a.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GeneratedWavFile.h"
#include "audio/Workspace.h"
#include "resources/CommandIds.h"
#include "view/WaveformView.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 600;
constexpr uint32_t kFramesPerSecond = 44100;

// A generated source file of `seconds` of a 440 Hz tone (the right channel inverted),
// removed at exit.
const GeneratedWavFile& Source(uint32_t seconds) {
    static std::map<uint32_t, std::unique_ptr<GeneratedWavFile>> files;
    auto& file = files[seconds];
    if (!file) {
        file = std::make_unique<GeneratedWavFile>(
            "view-" + std::to_string(seconds), seconds * kFramesPerSecond, [](uint32_t k) {
                const auto v = int16_t(20000 * std::sin(2 * M_PI * 440 * k / kFramesPerSecond));
                return GeneratedWavFile::Frame(v, int16_t(-v));
            });
    }
    return *file;
}

// A frame holding a view of kWidth x kHeight client pixels over a workspace of one file.
class ViewWindow {
public:
    explicit ViewWindow(uint32_t seconds) {
        workspace.AddFile(Source(seconds).Path());
        const PeakPyramid* peaks = workspace.Peaks(*workspace.File(0));
        while (peaks != nullptr && !peaks->IsComplete()) {
            usleep(10000);
        }
        frame = new wxFrame(nullptr, wxID_ANY, "bench", wxPoint(0, 0));
        frame->Bind(wxEVT_SIZE, [](wxSizeEvent&) {});  // the view keeps its own size
        view = new WaveformView();
        view->Create(frame);
        view->Attach(&workspace, nullptr);
        view->Bind(wxEVT_PAINT, [this](wxPaintEvent& event) {
            ++paints;
            event.Skip();
        });
        const wxSize borders = view->GetSize() - view->GetClientSize();
        view->SetSize(0, 0, kWidth + borders.x, kHeight + borders.y);
        frame->SetClientSize(view->GetSize());
        frame->Show();
        view->ShowSource(-1);  // the whole workspace
        // Run the event loop until the window is on screen and painted once.
        for (int i = 0; i < 1000 && paints == 0; ++i) {
            wxTheApp->Yield(true);
            usleep(5000);
        }
    }
    ~ViewWindow() {
        frame->Destroy();
        wxTheApp->Yield(true);
    }

    /// Draws the picture again from the model, as any change of the shown range does.
    void Redraw() {
        wxCommandEvent event(wxEVT_MENU, cmd::kZoomOutFull);
        event.SetEventObject(view);
        view->HandleWindowEvent(event);
    }

    /// Lets the repaint the view asked for happen; false when none came.
    bool PaintNow() {
        const int before = paints;
        view->Update();
        return paints > before;
    }

    void Mouse(wxEventType type, int x) {
        wxMouseEvent event(type);
        event.SetEventObject(view);
        event.SetPosition(wxPoint(x, kHeight / 2));
        event.SetLeftDown(type != wxEVT_LEFT_UP);
        view->HandleWindowEvent(event);
    }

    Workspace workspace;
    wxFrame* frame = nullptr;
    WaveformView* view = nullptr;
    int paints = 0;
};

void BM_FullRepaint(benchmark::State& state) {
    const auto seconds = uint32_t(state.range(0));
    ViewWindow window(seconds);
    window.PaintNow();
    const uint64_t columns = window.view->ColumnsRead();
    for (auto _ : state) {
        window.Redraw();
        if (!window.PaintNow()) {
            state.SkipWithError("no paint arrived");
            break;
        }
    }
    state.counters["frames_per_column"] = double(window.view->ViewLength()) / kWidth;
    state.counters["columns_per_paint"] =
        double(window.view->ColumnsRead() - columns) / double(state.iterations());
}
BENCHMARK(BM_FullRepaint)
    ->ArgName("seconds")
    ->Arg(10)
    ->Arg(600)
    ->Arg(3600)
    ->Arg(10800)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// An expose with nothing changed: the kept picture is copied, no audio is read.
void BM_Expose(benchmark::State& state) {
    ViewWindow window(uint32_t(state.range(0)));
    window.PaintNow();
    const uint64_t columns = window.view->ColumnsRead();
    for (auto _ : state) {
        window.view->Refresh(false);
        if (!window.PaintNow()) {
            state.SkipWithError("no paint arrived");
            break;
        }
    }
    state.counters["columns_per_paint"] =
        double(window.view->ColumnsRead() - columns) / double(state.iterations());
}
BENCHMARK(BM_Expose)->ArgName("seconds")->Arg(3600)->Unit(benchmark::kMillisecond)->UseRealTime();

// One mouse move of a drag between two positions 200 pixels apart, and the paint it asks for.
void BM_DragStep(benchmark::State& state) {
    ViewWindow window(uint32_t(state.range(0)));
    window.PaintNow();
    window.Mouse(wxEVT_LEFT_DOWN, 100);
    window.PaintNow();
    int x = 300;
    for (auto _ : state) {
        window.Mouse(wxEVT_MOTION, x);
        if (!window.PaintNow()) {
            state.SkipWithError("no paint arrived");
            break;
        }
        x = x == 300 ? 500 : 300;
    }
    window.Mouse(wxEVT_LEFT_UP, x);
}
BENCHMARK(BM_DragStep)->ArgName("seconds")->Arg(3600)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // wxWidgets sees only the program name; the rest is for Google Benchmark.
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "bench_view needs a display: run it as xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
