// The view's level commands (Gain, Normalize, Fades, Silence) and Apply to Selection: each
// changes the selected frames as one edit, which the frame records as one undoable step.

#include <wx/filename.h>
#include <wx/progdlg.h>

#include <cmath>
#include <optional>

#include "audio/LoudnessMeter.h"
#include "audio/Workspace.h"
#include "platform/gui/MessageBox.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "view/ViewMath.h"
#include "view/WaveformView.h"

using view_math::RangeEnd;

void WaveformView::ScaleSelection(double factor) {
    workspace->ScaleRange(selectionStart, RangeEnd(selectionStart, selectionLength), factor);
    InvalidateAll(true);
}

bool WaveformView::NormalizeSelectionPeak(double dbfs) {
    const uint32_t peak =
        workspace->PeakMagnitude(selectionStart, RangeEnd(selectionStart, selectionLength));
    if (peak == 0) {
        return false;  // silence has no level to bring anywhere
    }
    ScaleSelection(32768.0 * level::FromDecibels(dbfs) / peak);
    return true;
}

std::optional<bool> WaveformView::NormalizeSelectionLoudness(double lufs) {
    const uint32_t count = selectionLength;
    wxProgressDialog progress("Normalize", "Measuring the loudness of the selection...", 1000, this,
                              wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE);
    const Workspace& source = *workspace;
    const std::optional<LoudnessFigures> figures = MeasureLoudness(
        [&source](void* buffer, uint32_t n, uint32_t& got, uint32_t at) {
            return source.ReadFrames(buffer, n, got, at);
        },
        selectionStart, count, workspace->SampleRate(),
        [&progress](double done) { return progress.Update(static_cast<int>(done * 1000)); });
    if (!figures) {
        return std::nullopt;  // cancelled, or the audio could not be read
    }
    if (!std::isfinite(figures->integratedLufs)) {
        return false;  // silent, or shorter than the 400 ms loudness is measured over
    }
    ScaleSelection(level::FromDecibels(lufs - figures->integratedLufs));
    return true;
}

void WaveformView::FadeSelection(FadeCurve curve, bool fadeIn) {
    workspace->FadeRange(selectionStart, RangeEnd(selectionStart, selectionLength), curve, fadeIn);
    InvalidateAll(true);
}

void WaveformView::OnLevelCommand(wxCommandEvent& event) {
    if (workspace == nullptr) {
        return;
    }
    const int command = event.GetId();
    if (command == cmd::kSilence) {
        ScaleSelection(0.0);
        return;
    }
    if (!askLevel(this, command, lastLevel)) {
        return;
    }
    switch (command) {
        case cmd::kGain:
            ScaleSelection(level::FromDecibels(lastLevel.gainDecibels));
            break;
        case cmd::kNormalize:
            if (lastLevel.measure == LevelRequest::Measure::kLoudness) {
                const std::optional<bool> done = NormalizeSelectionLoudness(lastLevel.targetLufs);
                if (done && !*done) {
                    platform::ShowMessageBox(
                        this, {"The selection is silent or shorter than 0.4 s: it has no "
                               "loudness to normalize.",
                               str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                               platform::MessageIcon::kInformation});
                }
            } else if (!NormalizeSelectionPeak(lastLevel.targetDbfs)) {
                platform::ShowMessageBox(this,
                                         {"The selection is silent: there is no peak to normalize.",
                                          str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                                          platform::MessageIcon::kInformation});
            }
            break;
        case cmd::kFadeIn:
        case cmd::kFadeOut:
            FadeSelection(lastLevel.curve, command == cmd::kFadeIn);
            break;
        default:
            break;
    }
}

bool WaveformView::ApplyEffectsToSelection() {
    const uint32_t end = RangeEnd(selectionStart, selectionLength);
    const std::string rendered = applyEffects(selectionStart, end - selectionStart);
    if (rendered.empty()) {
        return false;
    }
    std::string why;
    if (!workspace->AddFile(rendered.c_str(), &why)) {
        platform::ShowMessageBox(
            this, {wxString::Format("Cannot open the rendered selection %s: %s",
                                    wxString::FromUTF8(rendered), wxString::FromUTF8(why)),
                   str::Text(str::kAppTitle), platform::MessageButtons::kOk,
                   platform::MessageIcon::kError});
        return false;
    }
    const auto index = static_cast<uint32_t>(workspace->FileCount() - 1);
    workspace->ReplaceRangeWithFile(selectionStart, end, index);
    selectionLength = workspace->FileLength(index);
    InvalidateAll(true);
    if (afterApplied) {
        afterApplied();
    }
    return true;
}

void WaveformView::OnApplyToSelection(wxCommandEvent&) {
    if (workspace != nullptr && applyEffects) {
        ApplyEffectsToSelection();
    }
}

void WaveformView::OnUpdateApplyToSelection(wxUpdateUIEvent& event) {
    OnUpdateCutDelete(event);
    if (!applyEffects) {
        event.Enable(false);
    }
}
