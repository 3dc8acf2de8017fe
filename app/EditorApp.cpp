#include "app/EditorApp.h"

#include <wx/filename.h>

#include "app/CMainFrame.h"
#include "platform/AudioOutput.h"
#include "platform/X11Window.h"
#include "platform/gui/FileChooser.h"
#include "plugins/PluginHost.h"
#include "resources/AppIcon.h"

EditorApp::EditorApp(CommandLine line) : commandLine(std::move(line)) {}

EditorApp::~EditorApp() = default;

bool EditorApp::OnInit() {
    // A plug-in's late X error must not end the program.
    platform::InstallX11ErrorHandler();
    audio = platform::MakeSystemAudioOutput();
    fileDialogs = std::make_unique<platform::SystemFileChooser>();
    auto* frame = new CMainFrame({*audio, *fileDialogs});
    // --in-process: every effect inside Orvane, as the library settings would have it alone.
    frame->Host().SetAllInProcess(commandLine.renderSettings.inProcess);
    wxIcon icon;
    icon.CopyFromBitmap(AppIconBitmap(48));
    frame->SetIcon(icon);
    SetTopWindow(frame);
    frame->Show();
    // Edits a crash left behind come first; then the command line's sessions (each replaces
    // the workspace, so they go before the files) and files, which count as the saved state.
    if (frame->OfferRecovery()) {
        return true;
    }
    std::vector<wxString> paths;
    for (const std::string& file : commandLine.files) {
        const wxString path = wxString(file.c_str(), wxConvFile);
        if (path.Lower().EndsWith(".orvane")) {
            frame->OpenSession(path);
        } else {
            paths.push_back(path);
        }
    }
    frame->LoadWaves(paths);
    frame->StartAfresh();
    return true;
}
