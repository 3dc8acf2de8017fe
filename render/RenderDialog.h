#pragma once

#include <wx/dialog.h>

#include <string>

class PluginHost;
class Workspace;
class wxButton;
class wxCheckBox;
class wxGauge;
class wxTextCtrl;

namespace platform {
class FileChooser;
}

/// "Render to file...": the user picks an output path, presses "Start" and watches the
/// progress bar while the whole workspace, through the active effect, goes into a new WAV
/// file. One opening renders at most once; afterwards "Close" is the default button.
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
    /// "Include effect tail": render on past the end until the effect falls silent.
    wxCheckBox* TailBox() const { return tailBox; }

private:
    void ShowProgress(uint32_t frame, uint32_t length);
    void Tell(const wxString& text);

    platform::FileChooser& fileDialogs;
    wxButton* closeButton = nullptr;
    wxButton* startButton = nullptr;
    wxGauge* progressBar = nullptr;
    wxTextCtrl* pathField = nullptr;
    wxCheckBox* tailBox = nullptr;
    wxString outputPath;
    PluginHost* host = nullptr;
    Workspace* workspace = nullptr;
    long lastRepaintMs = 0;

    wxDECLARE_EVENT_TABLE();
};
