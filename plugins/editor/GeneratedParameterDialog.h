#pragma once

#include <vector>

#include "plugins/editor/EditorFrame.h"

class wxCommandEvent;
class wxMouseEvent;
class wxPanel;
class wxScrollBar;
class wxScrollEvent;
class wxSlider;
class wxStaticText;
class wxTextCtrl;

/// The editor the host builds for an effect without one of its own: a filter field over a
/// list of the effect's parameters, one row each with its name (right-aligned), a slider
/// 0..255 and its value text. Rows are placed in dialog units at x 0, 51 and 152, widths 50,
/// 100 and 50, height 9, rows 10 apart, in an area 210 wide.
///
/// The list is virtual: only the rows the window can show exist as windows, and scrolling
/// shows other parameters in them, so any parameter count opens at once. The window, title
/// bar included, fits the screen's work area; the list scrolls when it cannot show every row.
///
///     auto* dialog = new GeneratedParameterDialog(owner, "Gain", effect);
///     dialog->Show();
///
/// Moving a slider to position p sets its parameter to p * (1/255 as a float) and rewrites
/// the row's value text. Texts that do not fit their row are shortened with an ellipsis and
/// shown whole in a tooltip. Typing in the filter keeps the parameters whose names contain
/// the text, ignoring case.
class GeneratedParameterDialog : public EditorFrame {
public:
    static constexpr int kSliderMax = 255;
    static constexpr int kPageSize = 4;
    /// Parameters beyond this are not listed: an effect announcing more is broken.
    static constexpr int kMaxRows = 4096;

    GeneratedParameterDialog(wxWindow* owner, const wxString& title, vst::AEffect* effect);

    /// The effect's parameters (at most kMaxRows), and those that pass the filter.
    int RowCount() const { return static_cast<int>(names.size()); }
    int ShownCount() const { return static_cast<int>(shown.size()); }

    /// The rows that exist as windows, top to bottom, and the parameter row k shows (-1: none).
    int VisibleRows() const { return static_cast<int>(rows.size()); }
    int ParameterAt(int row) const;
    wxStaticText* NameAt(int row) const { return rows[static_cast<size_t>(row)].name; }
    wxSlider* SliderAt(int row) const { return rows[static_cast<size_t>(row)].slider; }
    wxStaticText* ValueAt(int row) const { return rows[static_cast<size_t>(row)].value; }

    /// Scrolls so that the shown parameter at `index` (of those passing the filter) is as
    /// near the top as the list allows.
    void ScrollTo(int index);
    int FirstShown() const { return top; }

    wxTextCtrl* FilterField() const { return filter; }
    wxPanel* RowArea() const { return rowArea; }
    wxScrollBar* ScrollBar() const { return scrollBar; }

    /// The slider position for a parameter value: the low 8 bits of value x 255, truncated.
    static int SliderPosition(float value);

    /// A value as the row shows it: the plug-in's display text, then a space and its unit.
    /// A plain number with C's default six decimals ("6.000000", an unformatted float) loses
    /// its trailing zeros; every other text stays as the plug-in gave it.
    static wxString ValueText(const wxString& display, const wxString& label);

private:
    struct Row {
        wxStaticText* name = nullptr;
        wxSlider* slider = nullptr;
        wxStaticText* value = nullptr;
    };

    void CreateRows(int count);
    void FitToScreen();
    void ShowRows();
    void ShowValue(int row);
    void ApplyFilter();
    void OnSlider(wxCommandEvent& event);
    void OnScroll(wxScrollEvent& event);
    void OnWheel(wxMouseEvent& event);

    std::vector<wxString> names;  // every parameter's name, asked once
    std::vector<int> shown;       // the parameters passing the filter, in order
    std::vector<Row> rows;        // the row windows
    int top = 0;                  // the index in `shown` of the top row
    wxTextCtrl* filter;
    wxPanel* rowArea;
    wxScrollBar* scrollBar;
};

/// Sets a static text's whole text, with a tooltip holding it when it is wider than the
/// control.
void SetFittedText(wxStaticText* text, const wxString& label);
