#include "app/LoudnessDialog.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <cmath>

#include "resources/CommandIds.h"
#include "view/WaveformView.h"

namespace {

constexpr int kPollMs = 50;

const char* const kNames[4] = {
    "Integrated loudness:", "Loudness range:", "True peak:", "Sample peak:"};
const char* const kUnits[4] = {"LUFS", "LU", "dBTP", "dBFS"};

wxString Value(double value, const char* unit) {
    if (std::isinf(value) && value < 0) {
        return wxString::Format("-inf %s", unit);
    }
    return wxString::Format("%.1f %s", value, unit);
}

}  // namespace

LoudnessDialog::LoudnessDialog(wxWindow* parent, Job measured)
    : wxDialog(parent, wxID_ANY, "Loudness"), job(std::move(measured)), timer(this) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, job.what), wxSizerFlags().Border());
    auto* grid = new wxFlexGridSizer(2, wxSize(12, 4));
    for (int row = 0; row < 4; ++row) {
        grid->Add(new wxStaticText(this, wxID_ANY, kNames[row]));
        values[row] = new wxStaticText(this, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize,
                                       wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
        values[row]->SetMinSize(values[row]->GetTextExtent("-888.8 dBFS") + wxSize(8, 0));
        grid->Add(values[row], wxSizerFlags().Expand());
    }
    top->Add(grid, wxSizerFlags().Border());
    progressBar = new wxGauge(this, wxID_ANY, 1000);
    top->Add(progressBar, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT));
    statusText = new wxStaticText(this, wxID_ANY, "Measuring...", wxDefaultPosition, wxDefaultSize,
                                  wxST_NO_AUTORESIZE);
    statusText->SetMinSize(statusText->GetTextExtent("The audio could not be read.") +
                           wxSize(8, 0));
    top->Add(statusText, wxSizerFlags().Border());
    closeButton = new wxButton(this, wxID_CANCEL, "Cancel");
    top->Add(closeButton, wxSizerFlags().Right().Border());
    SetSizerAndFit(top);
    SetEscapeId(wxID_CANCEL);

    Bind(wxEVT_TIMER, &LoudnessDialog::OnTimer, this);
    Bind(wxEVT_BUTTON, &LoudnessDialog::OnClose, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &LoudnessDialog::OnCloseWindow, this);
    worker = std::thread([this] {
        result = MeasureLoudness(job.reader, job.first, job.count, job.rate, [this](double f) {
            permille.store(int(f * 1000), std::memory_order_relaxed);
            return !cancelRequested.load(std::memory_order_relaxed);
        });
        done.store(true, std::memory_order_release);
    });
    timer.Start(kPollMs);
}

LoudnessDialog::~LoudnessDialog() {
    timer.Stop();
    cancelRequested.store(true);
    if (worker.joinable()) {
        worker.join();
    }
}

wxString LoudnessDialog::FigureText(int row) const {
    return row >= 0 && row < 4 ? values[row]->GetLabel() : wxString();
}

void LoudnessDialog::OnTimer(wxTimerEvent&) {
    progressBar->SetValue(permille.load(std::memory_order_relaxed));
    if (done.load(std::memory_order_acquire)) {
        Finish();
    }
}

void LoudnessDialog::Finish() {
    timer.Stop();
    worker.join();
    measuring = false;
    figures = result;
    closeButton->SetLabel("Close");
    if (!figures) {
        statusText->SetLabel(cancelRequested ? "Cancelled." : "The audio could not be read.");
        for (wxStaticText* value : values) {
            value->SetLabel("-");
        }
        return;
    }
    progressBar->SetValue(1000);
    statusText->SetLabel("Done.");
    const double numbers[4] = {figures->integratedLufs, figures->loudnessRangeLu,
                               figures->truePeakDbtp, figures->samplePeakDbfs};
    for (int row = 0; row < 4; ++row) {
        values[row]->SetLabel(Value(numbers[row], kUnits[row]));
    }
}

void LoudnessDialog::OnClose(wxCommandEvent&) {
    Dismiss();
}

void LoudnessDialog::OnCloseWindow(wxCloseEvent&) {
    Dismiss();
}

void LoudnessDialog::Dismiss() {
    if (measuring) {
        cancelRequested.store(true);
        Finish();  // the worker stops after the block it is reading
    }
    if (IsModal()) {
        EndModal(wxID_CANCEL);
    } else {
        Hide();
    }
}

LoudnessController::LoudnessController(wxWindow& frame, WaveformView& view)
    : frame(frame), view(view) {
    frame.Bind(wxEVT_MENU, &LoudnessController::OnAnalyze, this, cmd::kAnalyzeLoudness);
    frame.Bind(wxEVT_UPDATE_UI, &LoudnessController::OnUpdateAnalyze, this, cmd::kAnalyzeLoudness);
}

LoudnessDialog::Job LoudnessController::JobOfView() const {
    const bool selected = view.SelectionLength() != 0;
    const wxString source = view.ShownSourceName();
    return {view.ShownSourceReader(), selected ? view.SelectionStart() : 0,
            selected ? view.SelectionLength() : view.SourceLength(), view.SampleRate(),
            selected ? "The selection of " + source : "All of " + source};
}

void LoudnessController::OnAnalyze(wxCommandEvent&) {
    LoudnessDialog dialog(&frame, JobOfView());
    dialog.ShowModal();
}

void LoudnessController::OnUpdateAnalyze(wxUpdateUIEvent& event) {
    event.Enable(view.SourceLength() != 0 && view.SampleRate() != 0);
}
