#pragma once

#include <wx/dialog.h>

#include <string>

class PluginHost;
class Workspace;
class wxButton;
class wxGauge;
class wxTextCtrl;

namespace platform {
class FileChooser;
}

/// "Render to file...": the user picks an output path, presses "Start" and watches the
/// progress bar while the whole workspace, through the active effect, goes into a new WAV
/// file. An existing file is replaced only once the user agreed (in the save dialog, or when
/// Start is pressed on a typed path) and only by a complete render; after a render "Close" is
/// the default button and Start may render again.
///
///     RenderDialog dialog(frame, fileDialogs);
///     dialog.Attach(&host, &workspace);
///     dialog.ShowModal();
class RenderDialog : public wxDialog {
public:
    static constexpr int kMaxPathChars = 256;

    RenderDialog(wxWindow* parent, platform::FileChooser& fileDialogs);

    void Attach(PluginHost* host, Workspace* workspace);

    /// "Select": a save dialog opening on "dump.wav"; the chosen path goes into the field.
    void OnSelect(wxCommandEvent& event);
    /// "Start": the render, with the progress bar; no input is taken until it ends.
    void OnStart(wxCommandEvent& event);

    wxTextCtrl* PathField() const { return pathField; }
    wxButton* StartButton() const { return startButton; }
    wxButton* CloseButton() const { return closeButton; }
    wxGauge* ProgressBar() const { return progressBar; }

private:
    bool ShowProgress(uint32_t frame, uint32_t length);
    void Tell(const wxString& text);
    bool MayReplace(const wxString& path);
    void Report(const struct RenderResult& result);

    platform::FileChooser& fileDialogs;
    wxButton* closeButton = nullptr;
    wxButton* startButton = nullptr;
    wxGauge* progressBar = nullptr;
    wxTextCtrl* pathField = nullptr;
    wxString outputPath;
    wxString confirmedPath;  // the save dialog already asked about replacing it
    PluginHost* host = nullptr;
    Workspace* workspace = nullptr;
    long lastRepaintMs = 0;

    wxDECLARE_EVENT_TABLE();
};
