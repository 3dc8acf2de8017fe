#pragma once

#include <wx/app.h>

#include <memory>

#include "app/CommandLine.h"

namespace platform {
class AudioOutput;
class FileChooser;
}  // namespace platform

/// The application: starts the one main window on the real sound device and file dialogs,
/// and opens the files named on the command line.
class EditorApp : public wxApp {
public:
    explicit EditorApp(CommandLine commandLine);
    ~EditorApp() override;

    bool OnInit() override;

private:
    CommandLine commandLine;
    std::unique_ptr<platform::AudioOutput> audio;
    std::unique_ptr<platform::FileChooser> fileDialogs;
};
