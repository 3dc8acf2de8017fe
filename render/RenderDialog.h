#pragma once

#include <wx/dialog.h>

#include <atomic>
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
/// file. During the render "Close" reads "Cancel" and stops it, removing the partial file;
/// a finished render says how long it took and how long the file is. One opening renders
/// at most once; afterwards "Close" is the default button.
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
    /// "Start": the render, with the progress bar; until it ends only Cancel is taken.
    void OnStart(wxCommandEvent& event);
    /// "Close", or "Cancel" while rendering (also Esc and the close box).
    void OnClose(wxCommandEvent& event);

    wxTextCtrl* PathField() const { return pathField; }
    wxButton* StartButton() const { return startButton; }
    wxButton* CloseButton() const { return closeButton; }
    bool IsRendering() const { return rendering; }
    wxGauge* ProgressBar() const { return progressBar; }

private:
    void ShowProgress(uint32_t frame, uint32_t length);
    void Tell(const wxString& text);
    void Report(const wxString& text);  // a message that is not a failure
    void OnCloseWindow(wxCloseEvent& event);

    platform::FileChooser& fileDialogs;
    wxButton* closeButton = nullptr;
    wxButton* startButton = nullptr;
    wxGauge* progressBar = nullptr;
    wxTextCtrl* pathField = nullptr;
    wxString outputPath;
    PluginHost* host = nullptr;
    Workspace* workspace = nullptr;
    long lastRepaintMs = 0;
    bool rendering = false;
    std::atomic<bool> cancelRequested{false};

    wxDECLARE_EVENT_TABLE();
};
