// Shows one plug-in's editor over a main window for a while, for looking at and screenshots:
//
//     editor_preview DIRECTORY FILE.so [--generated] [SECONDS]
//
// DIRECTORY holds the plug-in libraries; FILE.so is loaded and its editor opened (its
// generated dialog with --generated) until SECONDS (default 5) have passed.

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/timer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/Workspace.h"
#include "plugins/PluginHost.h"
#include "plugins/editor/PluginEditors.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIRECTORY FILE.so [--generated] [SECONDS]\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const std::string file = argv[2];
    bool generated = false;
    int seconds = 5;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--generated") == 0) {
            generated = true;
        } else {
            seconds = std::atoi(argv[i]);
        }
    }

    setenv("GDK_BACKEND", "x11", 1);
    wxApp::SetInstance(new wxApp);
    int toolkitArgc = 1;  // the arguments above are ours, not the toolkit's
    if (!wxEntryStart(toolkitArgc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "%s: wxWidgets could not start (no display?)\n", argv[0]);
        return 1;
    }
    int result = 0;
    {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "Orvane", wxPoint(0, 0), wxSize(900, 700));
        frame->Show();
        Workspace workspace;
        PluginHost host(&workspace);
        host.Configure(PluginHost::kSampleRate, PluginHost::kBlockBytes, directory);
        host.SetCatalog({host.Examine(directory + "/" + file)});
        if (host.AddEffect(file) == nullptr) {
            std::fprintf(stderr, "%s: %s did not load: %s\n", argv[0], file.c_str(),
                         host.LastLoadError().c_str());
            result = 1;
        } else {
            PluginEditors editors(host, frame);
            editors.SetAlwaysGenerated(generated);
            editors.OpenEditor(0);
            wxTimer stop;
            stop.Bind(wxEVT_TIMER, [](wxTimerEvent&) { wxTheApp->ExitMainLoop(); });
            stop.StartOnce(seconds * 1000);
            wxTheApp->OnRun();
        }
        frame->Destroy();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
