#include "app/AboutDialog.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "resources/AppIcon.h"

// Positions and sizes in dialog units, converted with the dialog's own font.
AboutDialog::AboutDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Orvane v.1.0") {
    const auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    const auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    new wxStaticBitmap(this, wxID_ANY, AppIconBitmap(32), at(5, 10));
    new wxStaticText(this, wxID_ANY, "Orvane v.1.0", at(50, 5));
    auto* ok = new wxButton(this, wxID_OK, "OK", at(145, 55), size(50, 14));
    ok->SetDefault();
    SetClientSize(size(202, 76));
}
