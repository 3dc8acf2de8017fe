#pragma once

#include <wx/dialog.h>

class wxListCtrl;

/// Help > "Keyboard": every key of the main window with what it does, in one list read from
/// the key table the menus and accelerators are built from, and OK.
///
///     KeyboardDialog keys(frame);
///     keys.ShowModal();
class KeyboardDialog : public wxDialog {
public:
    explicit KeyboardDialog(wxWindow* parent);

    /// The list: the key in the first column, what it does in the second.
    const wxListCtrl& Keys() const { return *list; }

private:
    wxListCtrl* list = nullptr;
};
