#include "app/EffectsPane.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace {

enum Column { kNameColumn, kStateColumn };

wxString Text(const std::string& text) {
    const wxString utf8 = wxString::FromUTF8(text);
    return utf8.empty() && !text.empty() ? wxString(text.data(), wxConvISO8859_1, text.size())
                                         : utf8;
}

// The second column: whether the effect is bypassed, then what the model says about it.
wxString StateText(const EffectRow& row) {
    if (!row.bypassed) {
        return Text(row.status);
    }
    return row.status.empty() ? wxString("bypassed") : "bypassed, " + Text(row.status);
}

// Program names as the choice lists them: numbered, since plug-ins often repeat names or
// leave them empty.
wxArrayString ProgramTexts(const EffectRow& row) {
    wxArrayString texts;
    for (size_t i = 0; i < row.programs.size(); ++i) {
        texts.Add(wxString::Format("%zu: ", i + 1) + Text(row.programs[i]));
    }
    return texts;
}

}  // namespace

EffectsPane::EffectsPane(wxWindow* parent, EffectsPaneModel& chain)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "effects"),
      model(chain) {
    BuildControls();
    BindEvents();
    Rebuild();
}

wxAuiPaneInfo EffectsPane::PaneInfo() {
    const wxSize best = wxWindow::FromDIP(wxSize(340, 380), nullptr);
    return wxAuiPaneInfo()
        .Name("effects")
        .Caption("Effects")
        .Right()
        .BestSize(best)
        .FloatingSize(best)
        .MinSize(wxWindow::FromDIP(wxSize(240, 240), nullptr))
        .CloseButton(true)
        .MaximizeButton(false);
}

void EffectsPane::BuildControls() {
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                          wxLC_REPORT | wxLC_SINGLE_SEL);
    list->EnableCheckBoxes();
    list->AppendColumn("Effect");
    list->AppendColumn("State");
    list->SetToolTip(
        "The effects run from top to bottom. Untick an effect to bypass it; double-click it "
        "or press Enter to open its editor, Delete to remove it.");

    emptyHint = new wxStaticText(this, wxID_ANY, "No effects.\nAdd... to put one in the chain.",
                                 wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL);
    emptyHint->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));

    programLabel = new wxStaticText(this, wxID_ANY, "&Program:");
    programChoice = new wxChoice(this, wxID_ANY);
    programChoice->SetToolTip("The selected effect's current program");

    addButton = new wxButton(this, wxID_ANY, "&Add...");
    addButton->SetToolTip("Choose a plug-in and put it into the chain");
    removeButton = new wxButton(this, wxID_ANY, "&Remove");
    removeButton->SetToolTip("Take the selected effect out of the chain");
    upButton = new wxButton(this, wxID_ANY, "Move &Up");
    upButton->SetToolTip("Run the selected effect one place earlier");
    downButton = new wxButton(this, wxID_ANY, "Move &Down");
    downButton->SetToolTip("Run the selected effect one place later");
    editorButton = new wxButton(this, wxID_ANY, "&Editor...");
    presetsButton = new wxButton(this, wxID_ANY, wxString::FromUTF8("Pre&sets \u25BE"));
    presetsButton->SetToolTip("Load or save the selected effect's programs");
    reloadButton = new wxButton(this, wxID_ANY, "Re&load");
    reloadButton->SetToolTip(
        "Load the selected effect afresh with its last settings, after it crashed or stopped "
        "responding");

    importId = NewControlId();
    exportProgramId = NewControlId();
    exportBankId = NewControlId();
    presetsMenu.Append(importId, "&Import .fxp/.fxb...",
                       "Load a program or a bank file into the selected effect");
    presetsMenu.Append(exportProgramId, "Export &Program (.fxp)...",
                       "Save the selected effect's current program");
    presetsMenu.Append(exportBankId, "Export &Bank (.fxb)...",
                       "Save all of the selected effect's programs");
    reloadId = NewControlId();
    runInsideId = NewControlId();
    rowMenu.Append(reloadId, "Re&load", "Load the effect afresh with its last settings");
    rowMenu.AppendCheckItem(runInsideId, "Run &inside Orvane",
                            "Run this plug-in inside Orvane instead of in a process of its own "
                            "(for a plug-in that cannot work there; its crash is Orvane's)");

    const int gap = FromDIP(6);
    // What acts on the chain sits under the list; what acts on the selected effect below a
    // rule. Buttons share their row evenly, so the pane looks tidy at any width.
    auto* chainButtons = new wxGridSizer(2, gap, gap);
    for (wxButton* button : {addButton, removeButton, upButton, downButton}) {
        chainButtons->Add(button, 0, wxEXPAND);
    }
    auto* programRow = new wxBoxSizer(wxHORIZONTAL);
    programRow->Add(programLabel, 0, wxALIGN_CENTRE_VERTICAL | wxRIGHT, gap);
    programRow->Add(programChoice, 1, wxALIGN_CENTRE_VERTICAL);
    auto* effectButtons = new wxGridSizer(2, gap, gap);
    for (wxButton* button : {editorButton, presetsButton, reloadButton}) {
        effectButtons->Add(button, 0, wxEXPAND);
    }
    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    layout->Add(emptyHint, 1, wxEXPAND | wxALL, 2 * gap);
    layout->Add(chainButtons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    layout->Add(new wxStaticLine(this), 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    layout->Add(programRow, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    layout->Add(effectButtons, 0, wxEXPAND | wxALL, gap);
    SetSizer(layout);
}

void EffectsPane::BindEvents() {
    // The name takes what the state column leaves.
    list->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        FitColumns();
    });
    // The list draws its rows in a window of its own, under the column headings: its tooltip
    // names the row under the pointer in full, since a narrow pane cuts the texts short.
    for (wxWindow* child : list->GetChildren()) {
        child->Bind(wxEVT_MOTION, [this, child](wxMouseEvent& event) {
            event.Skip();
            ShowRowTip(child, event.GetPosition());
        });
    }
    list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) {
        if (!filling) {
            following.reset();
            UpdateControls();
        }
    });
    list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) {
        if (!filling) {
            following.reset();
            UpdateControls();
        }
    });
    list->Bind(wxEVT_LIST_ITEM_CHECKED, [this](wxListEvent& event) { OnChecked(event, true); });
    list->Bind(wxEVT_LIST_ITEM_UNCHECKED, [this](wxListEvent& event) { OnChecked(event, false); });
    list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
        if (event.GetIndex() >= 0 && static_cast<size_t>(event.GetIndex()) < rows.size()) {
            model.OpenEditor(static_cast<size_t>(event.GetIndex()));
        }
    });
    list->Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& event) {
        if (event.GetKeyCode() == WXK_DELETE || event.GetKeyCode() == WXK_NUMPAD_DELETE) {
            WithSelected([this](size_t row) { model.RemoveEffect(row); });
        } else if (event.GetKeyCode() == WXK_MENU || event.GetKeyCode() == WXK_WINDOWS_MENU) {
            ShowRowMenu();
        } else {
            event.Skip();
        }
    });
    programChoice->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int program = programChoice->GetSelection();
        WithSelected([this, program](size_t row) {
            if (program >= 0 && program != rows[row].program) {
                model.ChooseProgram(row, program);
            }
        });
    });
    addButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { model.AddEffect(); });
    removeButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        WithSelected([this](size_t row) { model.RemoveEffect(row); });
    });
    upButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Move(-1); });
    downButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Move(+1); });
    editorButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        WithSelected([this](size_t row) { model.OpenEditor(row); });
    });
    presetsButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        const wxRect button = presetsButton->GetRect();
        PopupMenu(&presetsMenu, button.GetLeft(), button.GetBottom());
    });
    Bind(wxEVT_MENU, &EffectsPane::OnPresetsCommand, this, importId);
    Bind(wxEVT_MENU, &EffectsPane::OnPresetsCommand, this, exportProgramId);
    Bind(wxEVT_MENU, &EffectsPane::OnPresetsCommand, this, exportBankId);
    list->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, [this](wxListEvent& event) {
        SelectRow(event.GetIndex());
        ShowRowMenu();
    });
    reloadButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        WithSelected([this](size_t row) { model.ReloadEffect(row); });
    });
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) { WithSelected([this](size_t row) { model.ReloadEffect(row); }); },
        reloadId);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            WithSelected([this](size_t row) {
                if (rows[row].canChooseInside) {
                    model.SetRunInside(row, !rows[row].runInside);
                }
            });
        },
        runInsideId);
}

template <typename Action>
void EffectsPane::WithSelected(Action action) {
    const long row = SelectedRow();
    if (row >= 0 && static_cast<size_t>(row) < rows.size()) {
        action(static_cast<size_t>(row));
    }
}

void EffectsPane::Rebuild() {
    const std::vector<EffectRow> before = std::move(rows);
    const long selected = SelectedRow();
    rows = model.Rows();
    FillList();
    SelectRow(RowToSelect(before, selected));
    following.reset();
}

long EffectsPane::RowToSelect(const std::vector<EffectRow>& before, long selected) const {
    if (rows.empty()) {
        return -1;
    }
    if (following && following->first < rows.size() &&
        rows[following->first].name == following->second) {
        return static_cast<long>(following->first);
    }
    if (rows.size() == before.size() + 1) {
        // One effect came in: select it, wherever it went.
        size_t inserted = 0;
        while (inserted < before.size() && rows[inserted].name == before[inserted].name) {
            ++inserted;
        }
        return static_cast<long>(inserted);
    }
    if (selected < 0) {
        return -1;
    }
    return std::min(selected, static_cast<long>(rows.size()) - 1);
}

void EffectsPane::FillList() {
    filling = true;
    while (static_cast<size_t>(list->GetItemCount()) > rows.size()) {
        list->DeleteItem(list->GetItemCount() - 1);
    }
    while (static_cast<size_t>(list->GetItemCount()) < rows.size()) {
        list->InsertItem(list->GetItemCount(), wxString());
    }
    const wxColour active = list->GetTextColour();
    const wxColour bypassed = wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    for (size_t i = 0; i < rows.size(); ++i) {
        const long item = static_cast<long>(i);
        list->SetItem(item, kNameColumn, Text(rows[i].name));
        list->SetItem(item, kStateColumn, StateText(rows[i]));
        const bool runs = !rows[i].bypassed && !rows[i].faulted;
        list->SetItemTextColour(item, runs ? active : bypassed);
        if (list->IsItemChecked(item) != runs) {
            list->CheckItem(item, runs);
        }
    }
    filling = false;
    FitColumns();

    const bool empty = rows.empty();
    if (list->IsShown() == empty || emptyHint->IsShown() != empty) {
        list->Show(!empty);
        emptyHint->Show(empty);
        Layout();
    }
}

void EffectsPane::FitColumns() {
    // The names as wide as the longest, up to three fifths of the list (room for the tick
    // included); the state takes the rest.
    const int width = list->GetClientSize().x;
    int name = list->GetTextExtent("Effect").x;
    for (const EffectRow& row : rows) {
        name = std::max(name, list->GetTextExtent(Text(row.name)).x);
    }
    name = std::min(name + FromDIP(48), width * 3 / 5);
    list->SetColumnWidth(kNameColumn, name);
    list->SetColumnWidth(kStateColumn, std::max(width - name, FromDIP(60)));
}

void EffectsPane::ShowRowTip(wxWindow* child, wxPoint position) {
    // The rows window is the tallest child; the headings keep the list's own tooltip.
    for (const wxWindow* other : list->GetChildren()) {
        if (other->GetSize().y > child->GetSize().y) {
            return;
        }
    }
    int flags = 0;
    const long row = list->HitTest(position, flags);  // in the rows window's coordinates
    wxString tip = list->GetToolTipText();
    if (row >= 0 && static_cast<size_t>(row) < rows.size()) {
        const wxString state = StateText(rows[row]);
        tip = Text(rows[row].name) + (state.empty() ? wxString() : ": " + state);
    }
    if (child->GetToolTipText() != tip) {
        child->SetToolTip(tip);
    }
}

long EffectsPane::SelectedRow() const {
    return list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

void EffectsPane::SelectRow(long row) {
    filling = true;
    const long current = SelectedRow();
    if (current >= 0 && current != row) {
        list->SetItemState(current, 0, wxLIST_STATE_SELECTED);
    }
    if (row >= 0 && row < list->GetItemCount()) {
        list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                           wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        list->EnsureVisible(row);
    }
    filling = false;
    UpdateControls();
}

void EffectsPane::UpdateControls() {
    const long row = SelectedRow();
    const bool any = row >= 0 && static_cast<size_t>(row) < rows.size();
    removeButton->Enable(any);
    upButton->Enable(any && row > 0);
    downButton->Enable(any && static_cast<size_t>(row) + 1 < rows.size());
    editorButton->Enable(any);
    presetsButton->Enable(any);
    reloadButton->Enable(any && rows[row].faulted);
    editorButton->SetToolTip(!any || rows[row].hasEditor
                                 ? "Open the selected effect's editor"
                                 : "Open a dialog with the selected effect's parameters "
                                   "(it has no editor of its own)");
    FillPrograms();
}

void EffectsPane::FillPrograms() {
    const long row = SelectedRow();
    const EffectRow* effect =
        row >= 0 && static_cast<size_t>(row) < rows.size() ? &rows[row] : nullptr;
    const wxArrayString texts = effect != nullptr ? ProgramTexts(*effect) : wxArrayString();
    if (programChoice->GetStrings() != texts) {
        programChoice->Set(texts);
    }
    const bool valid = effect != nullptr && effect->program >= 0 &&
                       static_cast<size_t>(effect->program) < texts.size();
    programChoice->SetSelection(valid ? effect->program : wxNOT_FOUND);
    programChoice->Enable(!texts.empty());
    programLabel->Enable(!texts.empty());
}

void EffectsPane::Move(int step) {
    const long row = SelectedRow();
    const long to = row + step;
    if (row < 0 || to < 0 || static_cast<size_t>(row) >= rows.size() ||
        static_cast<size_t>(to) >= rows.size()) {
        return;
    }
    following.emplace(static_cast<size_t>(to), rows[row].name);
    model.MoveEffect(static_cast<size_t>(row), static_cast<size_t>(to));
}

void EffectsPane::OnChecked(wxListEvent& event, bool checked) {
    const long row = event.GetIndex();
    if (filling || row < 0 || static_cast<size_t>(row) >= rows.size()) {
        return;
    }
    if (rows[row].faulted) {
        // A faulted effect does not run whatever its tick says: the tick goes back.
        CallAfter([this] { FillList(); });
        return;
    }
    if (rows[row].bypassed == !checked) {
        return;
    }
    model.SetBypassed(static_cast<size_t>(row), !checked);
}

void EffectsPane::ShowRowMenu() {
    const long row = SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= rows.size()) {
        return;
    }
    rowMenu.Enable(reloadId, rows[row].faulted);
    rowMenu.Enable(runInsideId, rows[row].canChooseInside);
    rowMenu.Check(runInsideId, rows[row].runInside);
    PopupMenu(&rowMenu);
}

void EffectsPane::OnPresetsCommand(wxCommandEvent& event) {
    const int id = event.GetId();
    WithSelected([this, id](size_t row) {
        if (id == importId) {
            model.ImportPreset(row);
        } else {
            model.ExportPreset(row, id == exportBankId);
        }
    });
}
