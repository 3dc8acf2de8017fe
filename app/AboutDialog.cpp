#include "app/AboutDialog.h"

#include <wx/button.h>
#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/LibraryVersions.h"
#include "resources/AppIcon.h"

namespace {

// No licence has been granted for Orvane yet; the box says so rather than suggest one.
constexpr const char* kOwnLicence =
    "Orvane has not been released under a licence yet: all rights are reserved by its authors.";

}  // namespace

AboutDialog::AboutDialog(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Orvane") {
    const wxString title = "Orvane " ORVANE_VERSION;
    wxString body = "An editor for stereo 16-bit WAV files with a VST 2 effect host.\n\nRuns on:";
    for (const LibraryVersion& library : LibraryVersions()) {
        body += "\n    " + library.name + " " + library.version + " (" + library.licence + ")";
    }
    body += wxString("\n\n") + kOwnLicence;
    text = title + "\n" + body;

    auto* heading = new wxStaticText(this, wxID_ANY, title);
    heading->SetFont(heading->GetFont().Bold().Larger());
    auto* details = new wxStaticText(this, wxID_ANY, body);
    details->Wrap(FromDIP(420));
    auto* words = new wxBoxSizer(wxVERTICAL);
    words->Add(heading, 0, wxBOTTOM, FromDIP(8));
    words->Add(details);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(new wxStaticBitmap(this, wxID_ANY, AppIconBitmap(48)), 0, wxRIGHT, FromDIP(12));
    top->Add(words, 1);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(top, 1, wxALL, FromDIP(12));
    all->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(12));
    SetSizerAndFit(all);
    CentreOnParent();
}
