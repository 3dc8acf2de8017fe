#include "view/LevelDialog.h"

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include "resources/CommandIds.h"

namespace {

constexpr const char* kCurveNames[] = {"Linear", "Equal power", "Logarithmic"};

// A row of the dialog's grid: a label and its control.
void AddRow(wxDialog& dialog, wxFlexGridSizer& grid, const wxString& label, wxWindow* control) {
    grid.Add(new wxStaticText(&dialog, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid.Add(control, 1, wxEXPAND);
}

wxSpinCtrlDouble* DecibelField(wxDialog& dialog, double min, double max, double value) {
    auto* field = new wxSpinCtrlDouble(&dialog, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                       wxDefaultSize, wxSP_ARROW_KEYS, min, max, value, 0.1);
    field->SetDigits(1);
    return field;
}

}  // namespace

bool AskLevel(wxWindow* parent, int command, LevelRequest& request) {
    const bool fade = command == cmd::kFadeIn || command == cmd::kFadeOut;
    const wxString title = command == cmd::kGain        ? "Gain"
                           : command == cmd::kNormalize ? "Normalize"
                           : command == cmd::kFadeIn    ? "Fade In"
                                                        : "Fade Out";
    wxDialog dialog(parent, wxID_ANY, title);
    auto* grid = new wxFlexGridSizer(2, wxSize(8, 6));
    grid->AddGrowableCol(1);
    wxSpinCtrlDouble* decibels = nullptr;
    wxChoice* choice = nullptr;
    if (command == cmd::kGain) {
        decibels = DecibelField(dialog, -96.0, 48.0, request.gainDecibels);
        AddRow(dialog, *grid, "Gain (dB):", decibels);
    } else if (command == cmd::kNormalize) {
        choice = new wxChoice(&dialog, wxID_ANY);
        choice->Append("Peak (dBFS)");
        choice->Append("Loudness (LUFS)");
        choice->SetSelection(static_cast<int>(request.measure));
        AddRow(dialog, *grid, "Measure:", choice);
        const bool loudness = request.measure == LevelRequest::Measure::kLoudness;
        decibels = DecibelField(dialog, loudness ? -70.0 : -96.0, 0.0,
                                loudness ? request.targetLufs : request.targetDbfs);
        AddRow(dialog, *grid, "Level:", decibels);
        // Each measure keeps its own target: switching shows that one.
        choice->Bind(wxEVT_CHOICE, [&request, decibels](wxCommandEvent& event) {
            const bool toLoudness = event.GetSelection() == 1;
            (toLoudness ? request.targetDbfs : request.targetLufs) = decibels->GetValue();
            decibels->SetRange(toLoudness ? -70.0 : -96.0, 0.0);
            decibels->SetValue(toLoudness ? request.targetLufs : request.targetDbfs);
        });
    } else if (fade) {
        choice = new wxChoice(&dialog, wxID_ANY);
        for (const char* name : kCurveNames) {
            choice->Append(name);
        }
        choice->SetSelection(static_cast<int>(request.curve));
        AddRow(dialog, *grid, "Curve:", choice);
    } else {
        return false;
    }
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(grid, 1, wxEXPAND | wxALL, 10);
    column->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0,
                wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    dialog.SetSizerAndFit(column);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    if (command == cmd::kGain) {
        request.gainDecibels = decibels->GetValue();
    } else if (command == cmd::kNormalize) {
        request.measure = choice->GetSelection() == 1 ? LevelRequest::Measure::kLoudness
                                                      : LevelRequest::Measure::kPeak;
        (request.measure == LevelRequest::Measure::kLoudness ? request.targetLufs
                                                             : request.targetDbfs) =
            decibels->GetValue();
    } else {
        request.curve = static_cast<FadeCurve>(std::max(choice->GetSelection(), 0));
    }
    return true;
}
