#include "app/KeyboardDialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include "platform/gui/DialogOwner.h"
#include "resources/MenuResource.h"

KeyboardDialog::KeyboardDialog(wxWindow* parent)
    : wxDialog(platform::DialogOwner(parent), wxID_ANY, "Keyboard", wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(520, 420)),
                          wxLC_REPORT | wxLC_SINGLE_SEL);
    list->AppendColumn("Key");
    list->AppendColumn("Does");
    for (const menu::Key& key : menu::Keys()) {
        const long row = list->InsertItem(
            list->GetItemCount(), wxString::FromUTF8(menu::KeyName(key.flags, key.keyCode)));
        list->SetItem(row, 1, wxString::FromUTF8(key.what));
    }
    list->SetColumnWidth(0, wxLIST_AUTOSIZE);
    list->SetColumnWidth(1, wxLIST_AUTOSIZE);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(list, 1, wxEXPAND | wxALL, FromDIP(12));
    all->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(12));
    SetSizerAndFit(all);
    CentreOnParent();
}
