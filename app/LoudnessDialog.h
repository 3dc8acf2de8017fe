#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <atomic>
#include <optional>
#include <thread>

#include "audio/LoudnessMeter.h"

class WaveformView;
class wxButton;
class wxGauge;
class wxStaticText;

/// Analyze > "Loudness...": measures frames [first, first + count) of a source on a thread of
/// its own, with a progress bar and Cancel, then shows the integrated loudness, the loudness
/// range, the true peak and the sample peak. Cancel (also Esc and the close box) stops the
/// measurement and closes; once the figures are there the button reads "Close".
///
///     LoudnessDialog dialog(frame, {view->ShownSourceReader(), start, length, rate,
///                                   "Selection of Workspace"});
///     dialog.ShowModal();
///
/// The reader is called on the measuring thread only; it must not touch windows.
class LoudnessDialog : public wxDialog {
public:
    struct Job {
        FrameReader reader;
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t rate = 0;
        wxString what;  // what is measured, for the dialog's first line
    };

    LoudnessDialog(wxWindow* parent, Job job);
    ~LoudnessDialog() override;

    bool IsMeasuring() const { return measuring; }
    /// The figures once measured; empty while measuring, after Cancel or a failed read.
    const std::optional<LoudnessFigures>& Figures() const { return figures; }
    /// The text shown for figure `row`: 0 integrated, 1 range, 2 true peak, 3 sample peak.
    wxString FigureText(int row) const;
    wxButton* CloseButton() const { return closeButton; }
    wxGauge* ProgressBar() const { return progressBar; }

private:
    void OnTimer(wxTimerEvent& event);
    void OnClose(wxCommandEvent& event);
    void OnCloseWindow(wxCloseEvent& event);
    /// Waits for the measuring thread and shows what it found.
    void Finish();
    /// Cancel or Close: stops a measurement and ends the dialog.
    void Dismiss();

    Job job;
    std::thread worker;
    std::atomic<bool> cancelRequested{false};
    std::atomic<bool> done{false};
    std::atomic<int> permille{0};
    std::optional<LoudnessFigures> result;  // written by the worker before `done`
    std::optional<LoudnessFigures> figures;
    bool measuring = true;
    wxTimer timer;
    wxGauge* progressBar = nullptr;
    wxStaticText* statusText = nullptr;
    wxStaticText* values[4] = {};
    wxButton* closeButton = nullptr;
};

/// Carries Analyze > "Loudness...": measures the view's selection, or all of the shown source
/// without one, in a LoudnessDialog. Enabled while the view shows any audio.
///
///     loudness = std::make_unique<LoudnessController>(frame, *view);
class LoudnessController : public wxEvtHandler {
public:
    LoudnessController(wxWindow& frame, WaveformView& view);

    /// What the command measures now: the selection, or the whole shown source.
    LoudnessDialog::Job JobOfView() const;

private:
    void OnAnalyze(wxCommandEvent& event);
    void OnUpdateAnalyze(wxUpdateUIEvent& event);

    wxWindow& frame;
    WaveformView& view;
};
