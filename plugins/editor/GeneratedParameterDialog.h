#pragma once

#include <wx/scrolwin.h>

#include "plugins/editor/EditorFrame.h"

class wxCommandEvent;
class wxStaticText;

/// The editor the host builds for an effect without one of its own: one row per parameter
/// with its name (right-aligned), a slider 0..255 and its value text (display followed
/// directly by label). With n parameters, row i holds the windows 400 + i, 400 + n + i and
/// 400 + 2n + i, placed in dialog units at x 0, 51 and 152, widths 50, 100 and 50, height 9,
/// rows 10 apart, in an area 210 wide. The rows scroll when the window, which is never taller
/// than the screen's work area, cannot show them all.
///
///     auto* dialog = new GeneratedParameterDialog(owner, "Gain", effect);
///     dialog->Show();
///
/// Moving a slider to position p sets the parameter to p * (1/255 as a float) and rewrites
/// the row's value text. Texts that do not fit their row are shortened with an ellipsis and
/// shown whole in a tooltip.
class GeneratedParameterDialog : public EditorFrame {
public:
    static constexpr int kFirstId = 400;
    static constexpr int kSliderMax = 255;
    static constexpr int kPageSize = 4;
    /// Rows beyond this are not shown: an effect announcing more is broken, and building its
    /// rows would stall the user interface.
    static constexpr int kMaxRows = 4096;

    GeneratedParameterDialog(wxWindow* owner, const wxString& title, vst::AEffect* effect);

    /// The number of rows, n.
    int RowCount() const { return rows; }

    /// The scrolled area that holds the rows.
    wxScrolledWindow* RowArea() const { return rowArea; }

    /// The slider position for a parameter value: the low 8 bits of value x 255, truncated.
    static int SliderPosition(float value);

private:
    void AddRow(int index);
    void ShowValue(int index);
    void OnSlider(wxCommandEvent& event);
    void FitToScreen();

    int rows;
    wxScrolledWindow* rowArea;
};

/// Sets a static text's whole text, with a tooltip holding it when it is wider than the
/// control.
void SetFittedText(wxStaticText* text, const wxString& label);
