#include "app/PluginChooser.h"

#include <wx/button.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tokenzr.h>

#include "plugins/CatalogNames.h"

namespace {

constexpr int kColumns = 6;
constexpr const char* kInstrumentStatus = "instrument (no audio input)";

wxString Text(const std::string& text) {
    const wxString utf8 = wxString::FromUTF8(text);
    return utf8.empty() && !text.empty() ? wxString(text.data(), wxConvISO8859_1, text.size())
                                         : utf8;
}

}  // namespace

// A virtual list: rows are asked for when drawn, so hundreds of plug-ins cost nothing.
class PluginChooser::List : public wxListCtrl {
public:
    explicit List(PluginChooser* owner)
        : wxListCtrl(owner, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                     wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL),
          owner(owner) {}

    wxString OnGetItemText(long row, long column) const override {
        return owner->CellText(row, column);
    }

    // Instruments are listed so the user knows they were found, but greyed: they cannot be
    // chosen.
    wxItemAttr* OnGetItemAttr(long row) const override {
        if (!owner->IsGreyed(row)) {
            return nullptr;
        }
        greyed.SetTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
        return &greyed;
    }

private:
    PluginChooser* owner;
    mutable wxItemAttr greyed;
};

PluginChooser::PluginChooser(wxWindow* parent, const std::vector<PluginInfo>& entries,
                             Retry retryFunction)
    : wxDialog(parent, wxID_ANY, "Choose Plug-in", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      catalogue(entries),
      retry(std::move(retryFunction)) {
    // Enter in the filter chooses the highlighted match, so typing a few letters and Enter
    // is all it takes.
    filter = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                            wxTE_PROCESS_ENTER);
    filter->SetHint("Type to filter");
    list = new List(this);
    const char* headings[kColumns] = {"Name", "Vendor", "Category", "Channels", "Folder", "Status"};
    const int widths[kColumns] = {260, 160, 90, 70, 200, 200};
    for (int c = 0; c < kColumns; ++c) {
        list->AppendColumn(headings[c], wxLIST_FORMAT_LEFT, FromDIP(widths[c]));
    }
    reason = new wxStaticText(this, wxID_ANY, "");
    retryButton = new wxButton(this, wxID_ANY, "&Retry");
    okButton = new wxButton(this, wxID_OK, "Choose");
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(retryButton);
    buttons->AddStretchSpacer();
    buttons->Add(okButton, 0, wxRIGHT, FromDIP(8));
    buttons->Add(cancel);
    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(filter, 0, wxEXPAND | wxALL, FromDIP(8));
    layout->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT, FromDIP(8));
    layout->Add(reason, 0, wxEXPAND | wxALL, FromDIP(8));
    layout->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(8));
    SetSizer(layout);
    // As large as the columns want, but never past the screen.
    const wxRect area = wxDisplay(wxDisplay::GetFromWindow(parent) == wxNOT_FOUND
                                      ? 0u
                                      : static_cast<unsigned>(wxDisplay::GetFromWindow(parent)))
                            .GetClientArea();
    SetSize(std::min(FromDIP(1000), area.width), std::min(FromDIP(560), area.height));
    CentreOnParent();

    filter->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { Refill(); });
    filter->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { Accept(); });
    list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { UpdateButtons(); });
    list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { UpdateButtons(); });
    list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { Accept(); });
    okButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Accept(); });
    retryButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RetrySelected(); });
    Refill();
    filter->SetFocus();
}

wxString PluginChooser::CellText(long row, long column) const {
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) {
        return {};
    }
    const PluginInfo& info = catalogue[rows[static_cast<size_t>(row)]];
    switch (column) {
        case 0:
            return Text(shownNames[rows[static_cast<size_t>(row)]]);
        case 1:
            return Text(info.vendor);
        case 2:
            return info.ok ? wxString(info.CategoryText()) : wxString();
        case 3:
            return info.ok ? wxString(info.ChannelText()) : wxString();
        case 4:
            return Text(info.Folder());
        default:
            if (!info.ok) {
                return "Failed: " + Text(info.failure);
            }
            return info.IsInstrument() ? wxString(kInstrumentStatus) : wxString("OK");
    }
}

bool PluginChooser::IsGreyed(long row) const {
    return row >= 0 && static_cast<size_t>(row) < rows.size() &&
           catalogue[rows[static_cast<size_t>(row)]].ok &&
           catalogue[rows[static_cast<size_t>(row)]].IsInstrument();
}

void PluginChooser::SetFilter(const wxString& text) {
    filter->ChangeValue(text);
    Refill();
}

void PluginChooser::Refill() {
    const wxArrayString words = wxStringTokenize(filter->GetValue().Lower(), " \t");
    shownNames = catalog_names::ShownNames(catalogue);
    rows.clear();
    for (size_t i = 0; i < catalogue.size(); ++i) {
        const PluginInfo& info = catalogue[i];
        const wxString haystack = (Text(shownNames[i]) + "\n" + Text(info.vendor) + "\n" +
                                   info.CategoryText() + "\n" + Text(info.path))
                                      .Lower();
        bool all = true;
        for (const wxString& word : words) {
            all = all && haystack.Contains(word);
        }
        if (all) {
            rows.push_back(i);
        }
    }
    list->SetItemCount(static_cast<long>(rows.size()));
    list->Refresh();
    if (!rows.empty()) {
        SelectRow(0);
    }
    UpdateButtons();
}

long PluginChooser::SelectedRow() const {
    return list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

void PluginChooser::SelectRow(long row) {
    list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                       wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    UpdateButtons();
}

void PluginChooser::UpdateButtons() {
    const long row = SelectedRow();
    const PluginInfo* info =
        row >= 0 && static_cast<size_t>(row) < rows.size() ? &catalogue[rows[row]] : nullptr;
    okButton->Enable(info != nullptr && info->ok && !info->IsInstrument());
    retryButton->Enable(info != nullptr && !info->ok);
    wxString why;
    if (info != nullptr) {
        why = Text(info->path);
        if (!info->ok) {
            why += ": " + Text(info->failure);
        } else if (info->IsInstrument()) {
            why += wxString(": ") + kInstrumentStatus + ", so it cannot be used on a file";
        }
    }
    reason->SetLabel(why);
}

void PluginChooser::RetrySelected() {
    const long row = SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= rows.size() || !retry) {
        return;
    }
    retry(rows[row]);
    // A library that passed now may bring a name that renames others.
    shownNames = catalog_names::ShownNames(catalogue);
    list->Refresh();
    UpdateButtons();
}

void PluginChooser::Accept() {
    const long row = SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= rows.size() || !catalogue[rows[row]].ok ||
        catalogue[rows[row]].IsInstrument()) {
        return;
    }
    chosen = static_cast<int>(rows[row]);
    EndModal(wxID_OK);
}
