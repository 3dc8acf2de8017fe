// Shows the waveform view in a frame at the top-left corner of the screen and captures the
// screen with ImageMagick's import. Run by scripts/screenshot under Xvfb.
//
//     view_screenshot empty|sine|selection out.png

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/Workspace.h"
#include "support/TestWav.h"
#include "view/WaveformView.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 400;

void RunEventsFor(int milliseconds) {
    for (int i = 0; i < milliseconds / 10; ++i) {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// One second: 5 Hz on the left at 80 % of full scale, 3 Hz on the right at 40 %.
std::vector<testing_support::Frame> Sine() {
    std::vector<testing_support::Frame> frames;
    for (int k = 0; k < 44100; ++k) {
        const auto left = int16_t(26000 * std::sin(2 * M_PI * 5 * k / 44100));
        const auto right = int16_t(13000 * std::sin(2 * M_PI * 3 * k / 44100));
        frames.push_back(uint32_t(uint16_t(left)) | (uint32_t(uint16_t(right)) << 16));
    }
    return frames;
}

int Run(const std::string& scene, const std::string& out) {
    testing_support::TempDir dir;
    Workspace workspace;
    if (scene != "empty") {
        testing_support::WriteWav(dir.File("sine.wav"), Sine());
        workspace.AddFile(dir.File("sine.wav").c_str());
    }
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Orvane", wxPoint(0, 0));
    auto* view = new WaveformView();
    view->Create(frame);
    view->Attach(&workspace, nullptr);
    frame->SetClientSize(kWidth, kHeight);
    frame->Show();
    RunEventsFor(300);
    view->ShowSource(-1);
    if (scene == "selection") {
        for (auto [type, x] : {std::pair{wxEVT_LEFT_DOWN, 200}, std::pair{wxEVT_MOTION, 330},
                               std::pair{wxEVT_MOTION, 450}, std::pair{wxEVT_LEFT_UP, 450}}) {
            wxMouseEvent event(type);
            event.SetEventObject(view);
            event.SetPosition(wxPoint(x, kHeight / 2));
            event.SetLeftDown(type != wxEVT_LEFT_UP);
            view->HandleWindowEvent(event);
            RunEventsFor(50);
        }
    }
    RunEventsFor(300);
    const std::string command = "import -window root -crop " + std::to_string(kWidth + 20) + "x" +
                                std::to_string(kHeight + 20) + "+0+0 " + out;
    const int status = std::system(command.c_str());
    frame->Destroy();
    RunEventsFor(50);
    return status == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s empty|sine|selection out.png\n", argv[0]);
        return 2;
    }
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "%s needs a display: run it under xvfb-run -a\n", argv[0]);
        return 1;
    }
    const int result = Run(argv[1], argv[2]);
    wxEntryCleanup();
    return result;
}
