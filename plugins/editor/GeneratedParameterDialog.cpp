#include "plugins/editor/GeneratedParameterDialog.h"

#include <wx/display.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>

#include "platform/GtkSlider.h"
#include "plugins/PluginHost.h"

namespace {

// Geometry in dialog units.
constexpr int kNameX = 0;
constexpr int kSliderX = 51;
constexpr int kValueX = 152;
constexpr int kNameWidth = 50;
constexpr int kSliderWidth = 100;
constexpr int kValueWidth = 50;
constexpr int kRowHeight = 9;
constexpr int kRowPitch = 10;
constexpr int kAreaWidth = 210;

// 1/255 as a float, so that position 255 gives exactly 1.0.
constexpr float kPositionToValue = 1.0f / 255.0f;

wxString ValueText(vst::AEffect* effect, int index) {
    return PluginText(PluginHost::EffectText(effect, vst::effGetParamDisplay, index) +
                      PluginHost::EffectText(effect, vst::effGetParamLabel, index));
}

}  // namespace

GeneratedParameterDialog::GeneratedParameterDialog(wxWindow* owner, const wxString& title,
                                                   vst::AEffect* effect)
    : EditorFrame(owner, title, effect),
      rows(std::clamp(effect != nullptr ? effect->numParams : 0, 0, kMaxRows)),
      rowArea(new wxScrolledWindow(this, wxID_ANY, wxPoint(0, 0), wxDefaultSize,
                                   wxVSCROLL | wxBORDER_NONE)) {
    // Names first, then sliders, then value texts, so the windows come in id order.
    for (int i = 0; i < rows; ++i) {
        const wxString name = PluginText(PluginHost::EffectText(effect, vst::effGetParamName, i));
        auto* text =
            new wxStaticText(rowArea, kFirstId + i, wxEmptyString,
                             rowArea->ConvertDialogToPixels(wxPoint(kNameX, kRowPitch * i)),
                             rowArea->ConvertDialogToPixels(wxSize(kNameWidth, kRowHeight)),
                             wxALIGN_RIGHT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
        SetFittedText(text, name);
    }
    for (int i = 0; i < rows; ++i) {
        const float value = effect->getParameter != nullptr ? effect->getParameter(effect, i) : 0;
        auto* slider = new wxSlider(
            rowArea, kFirstId + rows + i, SliderPosition(value), 0, kSliderMax,
            rowArea->ConvertDialogToPixels(wxPoint(kSliderX, kRowPitch * i)),
            rowArea->ConvertDialogToPixels(wxSize(kSliderWidth, kRowHeight)), wxSL_HORIZONTAL);
        slider->SetPageSize(kPageSize);
        platform::MakeSliderCompact(static_cast<GtkWidget*>(slider->GetHandle()));
    }
    for (int i = 0; i < rows; ++i) {
        auto* text =
            new wxStaticText(rowArea, kFirstId + 2 * rows + i, wxEmptyString,
                             rowArea->ConvertDialogToPixels(wxPoint(kValueX, kRowPitch * i)),
                             rowArea->ConvertDialogToPixels(wxSize(kValueWidth, kRowHeight)),
                             wxALIGN_LEFT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
        SetFittedText(text, ValueText(effect, i));
    }
    rowArea->Bind(wxEVT_SLIDER, &GeneratedParameterDialog::OnSlider, this);
    FitToScreen();
}

int GeneratedParameterDialog::SliderPosition(float value) {
    const double scaled = std::trunc(static_cast<double>(value) * 255.0);
    // Past +-2^62 (or NaN) no position is meaningful, and the conversion would be undefined.
    if (!(std::fabs(scaled) < 0x1p62)) {
        return 0;
    }
    return static_cast<int>(static_cast<uint64_t>(static_cast<int64_t>(scaled)) & 0xFF);
}

void GeneratedParameterDialog::FitToScreen() {
    const wxSize rowsSize = rowArea->ConvertDialogToPixels(wxSize(kAreaWidth, kRowPitch * rows));
    const int pitch = rowArea->ConvertDialogToPixels(wxSize(0, kRowPitch)).y;
    rowArea->SetVirtualSize(rowsSize);
    rowArea->SetScrollRate(0, std::max(pitch, 1));

    wxWindow* owner = GetParent();
    const int display = owner != nullptr ? wxDisplay::GetFromWindow(owner) : wxNOT_FOUND;
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0 : display).GetClientArea();
    const int decorations = std::max(GetSize().y - GetClientSize().y, 0);
    // Whole rows only, and at least one.
    const int room = std::max((area.GetHeight() - decorations) / std::max(pitch, 1), 1) * pitch;
    wxSize client = rowsSize;
    if (rowsSize.y > room) {
        client.y = room;
        client.x += wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, rowArea);
    }
    rowArea->SetSize(0, 0, client.x, client.y);
    SetClientSize(client);
}

void GeneratedParameterDialog::ShowValue(int index) {
    auto* text = wxDynamicCast(FindWindow(kFirstId + 2 * rows + index), wxStaticText);
    if (text != nullptr && effect != nullptr) {
        SetFittedText(text, ValueText(effect, index));
    }
}

void GeneratedParameterDialog::OnSlider(wxCommandEvent& event) {
    const int index = event.GetId() - kFirstId - rows;
    auto* slider = wxDynamicCast(event.GetEventObject(), wxSlider);
    if (effect == nullptr || slider == nullptr || index < 0 || index >= rows) {
        return;
    }
    const int position = slider->GetValue() & 0xFF;
    if (effect->setParameter != nullptr) {
        effect->setParameter(effect, index, static_cast<float>(position) * kPositionToValue);
    }
    ShowValue(index);
}

void SetFittedText(wxStaticText* text, const wxString& label) {
    text->SetLabelText(label);
    if (text->GetTextExtent(label).x > text->GetClientSize().x) {
        text->SetToolTip(label);
    } else {
        text->UnsetToolTip();
    }
}
