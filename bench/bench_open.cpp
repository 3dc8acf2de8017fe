// Opening a large file: the time to the first picture of a 1280 x 600 view, the longest the
// event loop is held while the peak tables are built, the time until they are complete as a
// ratio to `cat FILE > /dev/null` of the same file, and the resident memory then. Runs once
// from a dropped page cache (where the machine lets us drop it) and once warm.
//
//     xvfb-run -a build/bench/bench_open [FILE]     # without FILE: a generated 2 GB file
//
// A plain program rather than a Google Benchmark: each figure is one run of something slow.

#include <stdlib.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>

#include "GeneratedWavFile.h"
#include "audio/Workspace.h"
#include "view/WaveformView.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// CPU time of this thread: on a busy machine the wall time also counts waiting for a core.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool DropPageCache() {
    sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return bool(drop);
}

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

double TimeCat(const std::string& path) {
    const auto start = Clock::now();
    const std::string command = "cat '" + path + "' > /dev/null";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cat failed\n");
    }
    return Seconds(start);
}

void Measure(const std::string& path, bool cold) {
    const char* label = cold ? "cold" : "warm";
    if (cold && !DropPageCache()) {
        std::printf("%s: the page cache cannot be dropped here; skipped\n", label);
        return;
    }
    const double cat = TimeCat(path);
    if (cold) {
        DropPageCache();
    }

    Workspace workspace;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxPoint(0, 0));
    frame->Bind(wxEVT_SIZE, [](wxSizeEvent&) {});
    auto* view = new WaveformView();
    view->Create(frame);
    view->Attach(&workspace, nullptr);
    int paints = 0;
    view->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) {
        ++paints;
        event.Skip();
    });
    const wxSize borders = view->GetSize() - view->GetClientSize();
    view->SetSize(0, 0, 1280 + borders.x, 600 + borders.y);
    frame->SetClientSize(view->GetSize());
    frame->Show();
    for (int i = 0; i < 1000 && !view->IsShownOnScreen(); ++i) {
        wxTheApp->Yield(true);
        usleep(5000);
    }
    wxTheApp->Yield(true);
    paints = 0;

    // As the frame opens a file: the workspace takes it, the view shows it at once.
    const auto start = Clock::now();
    const double startCpu = ThreadCpuSeconds();
    if (!workspace.AddFile(path.c_str())) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    view->ShowSource(-1);
    while (paints == 0) {
        wxTheApp->Yield(true);
    }
    const double firstPicture = Seconds(start);
    const double firstPictureCpu = ThreadCpuSeconds() - startCpu;

    const PeakPyramid& peaks = *workspace.Peaks(*workspace.File(0));
    double longestStall = 0;
    double longestStallCpu = 0;
    while (!peaks.IsComplete() && !peaks.Failed()) {
        const auto turn = Clock::now();
        const double turnCpu = ThreadCpuSeconds();
        wxTheApp->Yield(true);  // timer ticks repaint the columns that filled in
        view->Update();
        longestStall = std::max(longestStall, Seconds(turn));
        longestStallCpu = std::max(longestStallCpu, ThreadCpuSeconds() - turnCpu);
        usleep(2000);
    }
    const double tables = Seconds(start);
    const double rss = ResidentMegabytes();

    std::printf(
        "%s: first picture %.1f ms (UI thread CPU %.1f ms); tables complete %.2f s; cat %.2f s; "
        "tables/cat %.2f; longest event-loop turn while building %.1f ms (CPU %.1f ms); "
        "RSS %.0f MB (tables %.1f MB)\n",
        label, firstPicture * 1e3, firstPictureCpu * 1e3, tables, cat, tables / cat,
        longestStall * 1e3, longestStallCpu * 1e3, rss, peaks.TableBytes() / 1048576.0);
    std::fflush(stdout);
    frame->Destroy();
    wxTheApp->Yield(true);
}

}  // namespace

int main(int argc, char** argv) {
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "bench_open needs a display: run it as xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    std::unique_ptr<GeneratedWavFile> generated;
    std::string path;
    if (argc > 1) {
        path = argv[1];
    } else {
        // 3.4 hours, a little over 2 GB: a tone with a slow swell, so columns differ.
        constexpr uint32_t kFrames = uint32_t(3.4 * 3600 * 44100);
        generated = std::make_unique<GeneratedWavFile>("open", kFrames, [](uint32_t k) {
            const double swell = 0.5 + 0.5 * std::sin(2 * M_PI * k / (44100.0 * 60));
            const auto v = int16_t(20000 * swell * std::sin(2 * M_PI * 440 * k / 44100.0));
            return GeneratedWavFile::Frame(v, int16_t(-v));
        });
        path = generated->Path();
    }
    Measure(path, true);
    Measure(path, false);
    wxEntryCleanup();
    return 0;
}
