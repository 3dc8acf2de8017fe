#pragma once

#include <wx/dialog.h>

/// "About Orvane v.1.0": the program's picture, its name and version, and OK.
class AboutDialog : public wxDialog {
public:
    explicit AboutDialog(wxWindow* parent);
};
