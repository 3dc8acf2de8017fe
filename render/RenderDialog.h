#pragma once

#include <wx/dialog.h>

#include <atomic>
#include <string>

#include "render/RenderFormat.h"

class PluginHost;
class Workspace;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxGauge;
class wxTextCtrl;

namespace platform {
class FileChooser;
}

/// "Render to file...": the user picks an output path, presses "Start" and watches the
/// progress bar while the whole workspace, through the active effect, goes into a new file
/// in the chosen format (WAV 16, 24 or 32-bit float, FLAC 16 or 24), dithered where effects'
/// output is reduced to 16 bits unless the user turns that off. An existing file is replaced only
/// once the user agreed (in the save dialog, or when Start is pressed on a typed path) and only by
/// a complete render. During the render "Close" reads "Cancel" and stops it; nothing is written
/// then. A finished render says how long it took and how long the file is; afterwards "Close" is
/// the default button and Start may render again.
///
///     RenderDialog dialog(frame, fileDialogs);
///     dialog.Attach(&host, &workspace);
///     dialog.ShowModal();
class RenderDialog : public wxDialog {
public:
    static constexpr int kMaxPathChars = 256;

    RenderDialog(wxWindow* parent, platform::FileChooser& fileDialogs);

    /// The host and the workspace to render; `sessionFile`, the session the workspace was
    /// opened from or saved to ("" for none), is refused as the output like its sources.
    void Attach(PluginHost* host, Workspace* workspace, const std::string& sessionFile = "");

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
    /// "Include effect tail": render on past the end until the effect falls silent.
    wxCheckBox* TailBox() const { return tailBox; }
    /// The file format, one entry per render_format::kAll, WAV 16-bit first.
    wxChoice* FormatChoice() const { return formatChoice; }
    /// "Dither to 16 bits": TPDF dither where effects' output is reduced to 16 bits; on by
    /// default.
    wxCheckBox* DitherBox() const { return ditherBox; }

    /// The format the choice names.
    RenderFormat SelectedFormat() const;

private:
    void ShowProgress(uint32_t frame, uint32_t length);
    void Tell(const wxString& text);
    bool MayReplace(const wxString& path);
    void Report(const wxString& text);  // a message that is not a failure
    void OnCloseWindow(wxCloseEvent& event);

    platform::FileChooser& fileDialogs;
    wxButton* closeButton = nullptr;
    wxButton* startButton = nullptr;
    wxGauge* progressBar = nullptr;
    wxTextCtrl* pathField = nullptr;
    wxCheckBox* tailBox = nullptr;
    wxChoice* formatChoice = nullptr;
    wxCheckBox* ditherBox = nullptr;
    wxString outputPath;
    wxString confirmedPath;  // the save dialog already asked about replacing it
    PluginHost* host = nullptr;
    Workspace* workspace = nullptr;
    std::string sessionFile;
    long lastRepaintMs = 0;
    bool rendering = false;
    std::atomic<bool> cancelRequested{false};

    wxDECLARE_EVENT_TABLE();
};
