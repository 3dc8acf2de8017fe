#pragma once

#include <wx/dialog.h>
#include <wx/listctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "plugins/PluginInfo.h"

class wxButton;
class wxStaticText;
class wxTextCtrl;

/// "Choose Plug-in...": every catalogued plug-in in one list (shown name, vendor, category,
/// channels, folder, status), narrowed as the user types into the filter; plug-ins that failed
/// their examination are listed with the reason, and "Retry" examines the selected one again.
/// Instruments are listed greyed, with the status "instrument (no audio input)", and cannot be
/// chosen.
///
///     PluginChooser chooser(frame, host.Catalog(), [&](size_t i) { return Retry(i); });
///     if (chooser.ShowModal() == wxID_OK) Choose(chooser.Chosen());
class PluginChooser : public wxDialog {
public:
    /// Examines catalogue entry i again (the catalogue is updated in place); true when it
    /// passed this time.
    using Retry = std::function<bool(size_t index)>;

    PluginChooser(wxWindow* parent, const std::vector<PluginInfo>& catalogue, Retry retry);

    /// Shows the entries whose name, vendor, category or path contain every word of `text`,
    /// without regard to case, as typing into the filter does.
    void SetFilter(const wxString& text);

    /// The catalogue indexes of the rows shown, in order.
    const std::vector<size_t>& Rows() const { return rows; }
    /// The text of row `row`, column `column` (0 name, 1 vendor, 2 category, 3 channels,
    /// 4 folder, 5 status).
    wxString CellText(long row, long column) const;

    /// True for a row that is listed but cannot be chosen: an instrument.
    bool IsGreyed(long row) const;

    /// Selects row `row`, as a click does.
    void SelectRow(long row);
    /// Presses "Retry" for the selected row.
    void RetrySelected();

    /// The catalogue index chosen with OK or a double click, or -1.
    int Chosen() const { return chosen; }

    wxTextCtrl* FilterField() const { return filter; }
    wxButton* RetryButton() const { return retryButton; }
    wxButton* OkButton() const { return okButton; }

private:
    class List;

    void Refill();
    long SelectedRow() const;
    void UpdateButtons();
    void Accept();

    const std::vector<PluginInfo>& catalogue;
    Retry retry;
    std::vector<size_t> rows;
    std::vector<std::string> shownNames;  // for every catalogue entry
    List* list = nullptr;
    wxTextCtrl* filter = nullptr;
    wxButton* retryButton = nullptr;
    wxButton* okButton = nullptr;
    wxStaticText* reason = nullptr;
    int chosen = -1;
};
