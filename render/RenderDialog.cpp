#include "render/RenderDialog.h"

#include <algorithm>
#include <iterator>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>

#include "audio/Workspace.h"
#include "platform/ReplacementFile.h"
#include "platform/gui/FileChooser.h"
#include "platform/gui/MessageBox.h"
#include "plugins/PluginHost.h"
#include "render/WorkspaceRenderer.h"
#include "view/TimeScale.h"

namespace {

constexpr int kPathField = 1003;
constexpr int kSelectButton = 1002;
constexpr int kStartButton = 1006;
constexpr int kProgressBar = 1004;
constexpr int kGaugeSteps = 1 << 20;  // the bar's range; frames are scaled onto it
constexpr long kRepaintIntervalMs = 40;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(RenderDialog, wxDialog)
    EVT_BUTTON(kSelectButton, RenderDialog::OnSelect)
    EVT_BUTTON(kStartButton, RenderDialog::OnStart)
    EVT_BUTTON(wxID_CANCEL, RenderDialog::OnClose)
    EVT_CLOSE(RenderDialog::OnCloseWindow)
wxEND_EVENT_TABLE()
    // clang-format on

    // The controls in tab order, at their places in dialog units of the dialog's font.
    RenderDialog::RenderDialog(wxWindow* parent, platform::FileChooser& dialogs)
    : wxDialog(parent, wxID_ANY, "Render to File"), fileDialogs(dialogs) {
    const auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    const auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    pathField = new wxTextCtrl(this, kPathField, wxEmptyString, at(65, 30), size(190, 15));
    pathField->SetMaxLength(kMaxPathChars);
    new wxButton(this, kSelectButton, "Select", at(5, 30), size(50, 15));
    new wxStaticText(this, wxID_ANY, "Format:", at(10, 52), size(34, 8));
    formatChoice = new wxChoice(this, wxID_ANY, at(65, 50), size(95, 14));
    for (const RenderFormat format : render_format::kAll) {
        formatChoice->Append(render_format::Label(format));
    }
    formatChoice->SetSelection(0);
    ditherBox = new wxCheckBox(this, wxID_ANY, "Dither to 16 bits", at(170, 52), size(90, 10));
    ditherBox->SetValue(true);
    ditherBox->SetToolTip(
        "Add triangular dither where the effects' output is reduced to 16 bits; audio that no "
        "effect changed is written exactly");
    startButton = new wxButton(this, kStartButton, "Start", at(10, 105), size(50, 15));
    closeButton = new wxButton(this, wxID_CANCEL, "Close", at(209, 105), size(50, 14));
    progressBar = new wxGauge(this, kProgressBar, kGaugeSteps, at(5, 80), size(250, 15),
                              wxGA_HORIZONTAL | wxGA_SMOOTH);
    new wxStaticText(this, wxID_ANY, "Select file:", at(10, 15), size(34, 8));
    new wxStaticText(this, wxID_ANY, "Progress:", at(10, 70), size(30, 8));
    tailBox = new wxCheckBox(this, wxID_ANY, "Include effect tail", at(70, 107), size(120, 10));
    tailBox->SetToolTip("Render on past the end until the effect has been silent for 0.5 s");
    startButton->SetDefault();
    SetEscapeId(wxID_CANCEL);  // Esc and the close box end the dialog as "Close" does
    SetClientSize(size(266, 126));
}

void RenderDialog::Attach(PluginHost* pluginHost, Workspace* ws, const std::string& session) {
    host = pluginHost;
    workspace = ws;
    sessionFile = session;
}

void RenderDialog::OnSelect(wxCommandEvent&) {
    wxString chosen;
    if (!fileDialogs.ChooseWaveToSave(this, "dump.wav", chosen)) {
        return;
    }
    outputPath = chosen;
    confirmedPath = chosen;
    // A name ending in .flac asks for FLAC; the bit depth stays the user's choice.
    const RenderFormat chosenFormat = SelectedFormat();
    if (render_format::ForPath(std::string(chosen.fn_str())) == RenderFormat::kFlac16 &&
        chosenFormat != RenderFormat::kFlac16 && chosenFormat != RenderFormat::kFlac24) {
        const auto* flac = std::find(std::begin(render_format::kAll), std::end(render_format::kAll),
                                     RenderFormat::kFlac16);
        formatChoice->SetSelection(static_cast<int>(flac - std::begin(render_format::kAll)));
    }
    // A long path is shown whole, so that "Start" sees it and refuses it, not a cut copy.
    pathField->SetMaxLength(std::max<unsigned long>(kMaxPathChars, chosen.length()));
    pathField->ChangeValue(outputPath);
}

void RenderDialog::OnStart(wxCommandEvent&) {
    outputPath = pathField->GetValue();
    if (outputPath.length() > kMaxPathChars) {
        Tell(wxString::Format("Please enter no more than %d characters.", kMaxPathChars));
        return;
    }
    if (host == nullptr || workspace == nullptr) {
        return;
    }
    const auto tellOwnFile = [this](const wxString& output, const std::string& why) {
        Tell(wxString::Format("Cannot render into \"%s\": %s. Nothing was written.", output,
                              wxString(why.c_str(), wxConvFile)));
    };
    // Refused before the question whether to replace it: the answer could not matter.
    const std::string ownFile = WorkspaceRenderer(*host, *workspace)
                                    .WhyOwnFile(std::string(outputPath.fn_str()), sessionFile);
    if (!ownFile.empty()) {
        tellOwnFile(outputPath, ownFile);
        return;
    }
    if (!MayReplace(outputPath)) {
        return;
    }
    // Only Cancel stays usable while the render runs.
    startButton->Enable(false);
    pathField->Enable(false);
    tailBox->Enable(false);
    formatChoice->Enable(false);
    ditherBox->Enable(false);
    FindWindow(kSelectButton)->Enable(false);
    closeButton->SetLabel("Cancel");
    const uint32_t length = workspace->TotalLength();
    progressBar->SetValue(0);
    lastRepaintMs = 0;
    cancelRequested = false;
    rendering = true;

    const wxStopWatch clock;
    const WorkspaceRenderer renderer(*host, *workspace);
    RenderOptions options;
    options.includeTail = tailBox->GetValue();
    options.sessionFile = sessionFile;
    options.format = SelectedFormat();
    options.dither = ditherBox->GetValue();
    const RenderResult result = renderer.Render(
        std::string(outputPath.fn_str()),
        [this, length](uint32_t frame) {
            ShowProgress(frame, length);
            return !cancelRequested.load();
        },
        options);
    const long tookMs = clock.Time();

    rendering = false;
    closeButton->SetLabel("Close");
    pathField->Enable(true);
    tailBox->Enable(true);
    formatChoice->Enable(true);
    ditherBox->Enable(true);
    FindWindow(kSelectButton)->Enable(true);
    startButton->Enable(true);  // another render, to this path or another, may follow
    const wxString reason = wxString::FromUTF8(result.reason);
    switch (result.outcome) {
        case RenderOutcome::kDone:
            Report(wxString::Format(
                "Rendered %s (%u frames) into \"%s\" in %.1f s.",
                wxString::FromUTF8(time_scale::FormatTime(result.frames, workspace->SampleRate())),
                result.frames, outputPath, tookMs / 1000.0));
            break;
        case RenderOutcome::kCancelled:
            progressBar->SetValue(0);
            Report(wxString::Format("The render was cancelled; nothing was written to \"%s\".",
                                    outputPath));
            break;
        case RenderOutcome::kTooLong:
            Tell("Cannot render: " + reason + ".");
            break;
        case RenderOutcome::kOwnFile:
            tellOwnFile(outputPath, result.reason);
            break;
        case RenderOutcome::kCannotCreate:
            Tell(wxString::Format("Cannot create \"%s\": %s.", outputPath, reason));
            break;
        case RenderOutcome::kWriteFailed:
            Tell(
                wxString::Format("Writing \"%s\" failed: %s. Nothing was written; a file "
                                 "already there is unchanged.",
                                 outputPath, reason));
            break;
        case RenderOutcome::kSourceShort:
            Tell(
                wxString::Format("Cannot render: \"%s\" is shorter than when it was opened (it "
                                 "was changed outside Orvane). Nothing was written.",
                                 wxString(result.reason.c_str(), wxConvFile)));
            break;
        case RenderOutcome::kEffectFault:
            Tell(reason);  // names the effect, and says nothing was written
            break;
    }
    SetDefaultItem(closeButton);
}

// A typed path that names an existing file is replaced only when the user says so.
bool RenderDialog::MayReplace(const wxString& path) {
    if (path == confirmedPath || !platform::ReplacementFile::Exists(std::string(path.fn_str()))) {
        return true;
    }
    const platform::MessageRequest ask{
        wxString::Format("\"%s\" already exists.\nDo you want to replace it?", path), "Orvane",
        platform::MessageButtons::kYesNo, platform::MessageIcon::kQuestion};
    return platform::ShowMessageBox(this, ask) == platform::MessageAnswer::kYes;
}
void RenderDialog::OnClose(wxCommandEvent& event) {
    if (rendering) {
        cancelRequested = true;  // the render stops after its current block
        return;
    }
    event.Skip();  // ends the dialog
}

void RenderDialog::OnCloseWindow(wxCloseEvent& event) {
    if (rendering && event.CanVeto()) {
        cancelRequested = true;
        event.Veto();
        return;
    }
    event.Skip();
}

void RenderDialog::ShowProgress(uint32_t frame, uint32_t length) {
    const int value = length == 0 ? 0 : static_cast<int>(uint64_t{frame} * kGaugeSteps / length);
    progressBar->SetValue(std::min(value, kGaugeSteps));
    // GTK paints only from its main loop: let it paint now and then. Drawing and input are
    // handled here, so Cancel can be pressed; every other control is disabled meanwhile.
    const long now = wxGetLocalTimeMillis().ToLong();
    if (now - lastRepaintMs >= kRepaintIntervalMs || frame == length) {
        lastRepaintMs = now;
        progressBar->Refresh();
        // Outside a running loop (a dialog shown without ShowModal) a loop of our own yields.
        const long events = wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT;
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
            loop->YieldFor(events);
        } else {
            wxGUIEventLoop().YieldFor(events);
        }
    }
}

RenderFormat RenderDialog::SelectedFormat() const {
    const int index = formatChoice->GetSelection();
    const int count = static_cast<int>(std::size(render_format::kAll));
    return index >= 0 && index < count ? render_format::kAll[index] : RenderFormat::kWav16;
}

void RenderDialog::Report(const wxString& text) {
    platform::ShowMessageBox(
        this, {text, "Orvane", platform::MessageButtons::kOk, platform::MessageIcon::kInformation});
}

void RenderDialog::Tell(const wxString& text) {
    platform::ShowMessageBox(
        this, {text, "Orvane", platform::MessageButtons::kOk, platform::MessageIcon::kError});
}
