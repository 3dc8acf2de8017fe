#include "plugins/editor/GeneratedParameterDialog.h"

#include <wx/display.h>
#include <wx/panel.h>
#include <wx/scrolbar.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>

#include "platform/GtkSlider.h"
#include "plugins/EffectSlot.h"
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
// Room for a title bar and borders while the window manager has not told their size yet.
constexpr int kDecorationAllowance = 16;
constexpr int kDefaultDecimals = 6;  // C's %f

// 1/255 as a float, so that position 255 gives exactly 1.0.
constexpr float kPositionToValue = 1.0f / 255.0f;

wxString EffectText(vst::AEffect* effect, int32_t opcode, int index) {
    return PluginText(PluginHost::EffectText(effect, opcode, index));
}

// "12.500000" -> "12.5", "6.000000" -> "6"; anything else is returned unchanged.
wxString WithoutDefaultDecimals(const wxString& text) {
    const int point = text.Find('.');
    if (point == wxNOT_FOUND || static_cast<int>(text.length()) - point - 1 != kDefaultDecimals) {
        return text;
    }
    const size_t digitsFrom = text.StartsWith("-") ? 1 : 0;
    if (static_cast<size_t>(point) == digitsFrom) {
        return text;
    }
    for (size_t i = digitsFrom; i < text.length(); ++i) {
        if (static_cast<int>(i) != point && !wxIsdigit(text[i])) {
            return text;
        }
    }
    wxString trimmed = text;
    while (trimmed.EndsWith("0")) {
        trimmed.RemoveLast();
    }
    if (trimmed.EndsWith(".")) {
        trimmed.RemoveLast();
    }
    return trimmed;
}

}  // namespace

GeneratedParameterDialog::GeneratedParameterDialog(wxWindow* owner, const wxString& title,
                                                   vst::AEffect* effect)
    : EditorFrame(owner, title, effect),
      filter(new wxTextCtrl(this, wxID_ANY)),
      rowArea(new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE)),
      scrollBar(new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL)) {
    const int count = std::clamp(effect != nullptr ? effect->numParams : 0, 0, kMaxRows);
    names.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        names.push_back(EffectText(effect, vst::effGetParamName, i));
        shown.push_back(i);
    }
    filter->SetHint("Filter parameters");
    filter->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { ApplyFilter(); });
    scrollBar->Bind(wxEVT_SCROLL_CHANGED, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_THUMBTRACK, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_LINEUP, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_LINEDOWN, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_PAGEUP, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_PAGEDOWN, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_TOP, &GeneratedParameterDialog::OnScroll, this);
    scrollBar->Bind(wxEVT_SCROLL_BOTTOM, &GeneratedParameterDialog::OnScroll, this);
    rowArea->Bind(wxEVT_MOUSEWHEEL, &GeneratedParameterDialog::OnWheel, this);
    FitToScreen();
    ShowRows();
}

int GeneratedParameterDialog::SliderPosition(float value) {
    const double scaled = std::trunc(static_cast<double>(value) * 255.0);
    // Past +-2^62 (or NaN) no position is meaningful, and the conversion would be undefined.
    if (!(std::fabs(scaled) < 0x1p62)) {
        return 0;
    }
    return static_cast<int>(static_cast<uint64_t>(static_cast<int64_t>(scaled)) & 0xFF);
}

wxString GeneratedParameterDialog::ValueText(const wxString& display, const wxString& label) {
    const wxString value = WithoutDefaultDecimals(display.Strip(wxString::both));
    const wxString unit = label.Strip(wxString::both);
    if (unit.empty()) {
        return value;
    }
    return value.empty() ? unit : value + " " + unit;
}

int GeneratedParameterDialog::ParameterAt(int row) const {
    const size_t index = static_cast<size_t>(top) + static_cast<size_t>(row);
    return row >= 0 && index < shown.size() ? shown[index] : -1;
}

// Sizes the window to show every row, or as many whole rows as fit the work area of the
// owner's display with the title bar, and creates that many row windows.
void GeneratedParameterDialog::FitToScreen() {
    const wxSize rowSize = rowArea->ConvertDialogToPixels(wxSize(kAreaWidth, kRowPitch));
    const int pitch = std::max(rowSize.y, 1);
    const int filterHeight = filter->GetBestSize().y;

    wxWindow* owner = GetParent();
    const int display = owner != nullptr ? wxDisplay::GetFromWindow(owner) : wxNOT_FOUND;
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0 : display).GetClientArea();
    // Before the window is mapped its frame and client sizes agree: the title bar is not
    // counted yet, so an allowance stands in for it.
    const int measured = GetSize().y - GetClientSize().y;
    const int decorations =
        std::max(measured, ConvertDialogToPixels(wxSize(0, kDecorationAllowance)).y);
    // Whole rows, at least one; the rows' height comes from dialog units as a whole, which
    // may round differently from a multiple of one row's height.
    const int available = area.GetHeight() - decorations - filterHeight;
    const auto rowsHeightOf = [this](int count) {
        return rowArea->ConvertDialogToPixels(wxSize(0, kRowPitch * count)).y;
    };
    int room = std::max(available / pitch, 1);
    while (room > 1 && rowsHeightOf(room) > available) {
        --room;
    }
    const int visible = std::min(RowCount(), room);
    const bool scrolls = visible < RowCount();
    const int barWidth = scrolls ? wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this) : 0;

    const int rowsHeight = rowsHeightOf(visible);
    filter->SetSize(0, 0, rowSize.x + barWidth, filterHeight);
    rowArea->SetSize(0, filterHeight, rowSize.x, rowsHeight);
    scrollBar->SetSize(rowSize.x, filterHeight, std::max(barWidth, 1), rowsHeight);
    scrollBar->Show(scrolls);
    SetClientSize(rowSize.x + barWidth, filterHeight + rowsHeight);
    CreateRows(visible);
}

void GeneratedParameterDialog::CreateRows(int count) {
    const auto at = [this](int x, int row) {
        return rowArea->ConvertDialogToPixels(wxPoint(x, kRowPitch * row));
    };
    const auto size = [this](int width) {
        return rowArea->ConvertDialogToPixels(wxSize(width, kRowHeight));
    };
    rows.resize(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        Row& row = rows[static_cast<size_t>(k)];
        row.name =
            new wxStaticText(rowArea, wxID_ANY, wxEmptyString, at(kNameX, k), size(kNameWidth),
                             wxALIGN_RIGHT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
        row.slider = new wxSlider(rowArea, wxID_ANY, 0, 0, kSliderMax, at(kSliderX, k),
                                  size(kSliderWidth), wxSL_HORIZONTAL);
        row.slider->SetPageSize(kPageSize);
        platform::MakeSliderCompact(static_cast<GtkWidget*>(row.slider->GetHandle()));
        row.slider->Bind(wxEVT_SLIDER, &GeneratedParameterDialog::OnSlider, this);
        row.value =
            new wxStaticText(rowArea, wxID_ANY, wxEmptyString, at(kValueX, k), size(kValueWidth),
                             wxALIGN_LEFT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
        row.name->Bind(wxEVT_MOUSEWHEEL, &GeneratedParameterDialog::OnWheel, this);
        row.value->Bind(wxEVT_MOUSEWHEEL, &GeneratedParameterDialog::OnWheel, this);
    }
}

// Puts the parameters from `top` on into the row windows; rows past the last are hidden.
void GeneratedParameterDialog::ShowRows() {
    const int visible = VisibleRows();
    top = std::clamp(top, 0, std::max(ShownCount() - visible, 0));
    scrollBar->SetScrollbar(top, visible, ShownCount(), std::max(visible - 1, 1));
    for (int k = 0; k < visible; ++k) {
        const Row& row = rows[static_cast<size_t>(k)];
        const int parameter = ParameterAt(k);
        const bool used = parameter >= 0;
        row.name->Show(used);
        row.slider->Show(used);
        row.value->Show(used);
        if (!used) {
            continue;
        }
        SetFittedText(row.name, names[static_cast<size_t>(parameter)]);
        const float value = effect != nullptr && effect->getParameter != nullptr
                                ? effect->getParameter(effect, parameter)
                                : 0.0f;
        row.slider->SetValue(SliderPosition(value));
        ShowValue(k);
    }
}

void GeneratedParameterDialog::ShowValue(int row) {
    const int parameter = ParameterAt(row);
    if (parameter < 0 || effect == nullptr) {
        return;
    }
    SetFittedText(rows[static_cast<size_t>(row)].value,
                  ValueText(EffectText(effect, vst::effGetParamDisplay, parameter),
                            EffectText(effect, vst::effGetParamLabel, parameter)));
}

void GeneratedParameterDialog::ScrollTo(int index) {
    top = index;
    ShowRows();
}

void GeneratedParameterDialog::ApplyFilter() {
    const wxString wanted = filter->GetValue().Lower();
    shown.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        if (wanted.empty() || names[i].Lower().Contains(wanted)) {
            shown.push_back(static_cast<int>(i));
        }
    }
    ScrollTo(0);
}

void GeneratedParameterDialog::OnSlider(wxCommandEvent& event) {
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const Row& r) { return r.slider == event.GetEventObject(); });
    if (row == rows.end() || effect == nullptr) {
        return;
    }
    const int k = static_cast<int>(row - rows.begin());
    const int parameter = ParameterAt(k);
    if (parameter < 0) {
        return;
    }
    const int position = row->slider->GetValue() & 0xFF;
    if (effect->setParameter != nullptr) {
        effect->setParameter(effect, parameter, static_cast<float>(position) * kPositionToValue);
        if (EffectSlot* slot = EffectSlot::Of(effect)) {
            slot->MarkSettingsTouched();
        }
    }
    ShowValue(k);
}

void GeneratedParameterDialog::OnScroll(wxScrollEvent& event) {
    ScrollTo(event.GetPosition());
}

void GeneratedParameterDialog::OnWheel(wxMouseEvent& event) {
    const int steps = event.GetWheelRotation() / std::max(event.GetWheelDelta(), 1);
    ScrollTo(top - steps * std::max(event.GetLinesPerAction(), 1));
}

void SetFittedText(wxStaticText* text, const wxString& label) {
    text->SetLabelText(label);
    if (text->GetTextExtent(label).x > text->GetClientSize().x) {
        text->SetToolTip(label);
    } else {
        text->UnsetToolTip();
    }
}
