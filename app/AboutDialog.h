#pragma once

#include <wx/dialog.h>

/// "About Orvane": the program's picture, name and version, what it is, the libraries it runs
/// on with the versions they report and their licences, Orvane's own licence, and OK.
class AboutDialog : public wxDialog {
public:
    explicit AboutDialog(wxWindow* parent);

    /// Everything the box says, line by line.
    wxString Text() const { return text; }

private:
    wxString text;
};
