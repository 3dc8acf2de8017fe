#pragma once

#include <wx/aui/framemanager.h>
#include <wx/menu.h>
#include <wx/panel.h>

#include <optional>
#include <string>
#include <vector>

class wxButton;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxStaticText;

/// One effect of the chain as the Effects pane shows it.
struct EffectRow {
    std::string name;                   ///< the name shown
    bool bypassed = false;              ///< true: the effect passes the sound through untouched
    bool hasEditor = true;              ///< false: "Editor..." opens the generated dialog
    std::string status;                 ///< "" or a short state, e.g. "latency 220 frames"
    bool faulted = false;               ///< its process crashed or hung: it does not run
    bool runInside = false;             ///< its library is set to run inside Orvane
    bool canChooseInside = false;       ///< false: runInside cannot be changed for it
    std::vector<std::string> programs;  ///< the plug-in's own programs (may be empty)
    int program = -1;                   ///< the current program, -1 if none
};

/// What the Effects pane shows and drives. The pane only reads rows and passes the user's
/// requests on; the model carries them out (asking for files and plug-ins itself) and calls
/// EffectsPane::Rebuild() after every change.
class EffectsPaneModel {
public:
    virtual ~EffectsPaneModel() = default;
    /// The chain in processing order.
    virtual std::vector<EffectRow> Rows() const = 0;
    /// Asks for a plug-in and puts it into the chain.
    virtual void AddEffect() = 0;
    /// Takes effect `row` out of the chain.
    virtual void RemoveEffect(size_t row) = 0;
    /// Moves effect `from` so that it becomes row `to`.
    virtual void MoveEffect(size_t from, size_t to) = 0;
    /// Bypasses effect `row`, or runs it again.
    virtual void SetBypassed(size_t row, bool bypassed) = 0;
    /// Opens effect `row`'s editor, or the generated dialog when it has none.
    virtual void OpenEditor(size_t row) = 0;
    /// Makes `program` effect `row`'s current program.
    virtual void ChooseProgram(size_t row, int program) = 0;
    /// Asks for a program or bank file and loads it into effect `row`.
    virtual void ImportPreset(size_t row) = 0;
    /// Asks for a file name and saves effect `row`'s current program, or its whole bank.
    virtual void ExportPreset(size_t row, bool wholeBank) = 0;
    /// Loads effect `row` afresh with its last settings, after its process crashed or hung.
    virtual void ReloadEffect(size_t row) = 0;
    /// Makes effect `row`'s library run inside Orvane, or in a process of its own.
    virtual void SetRunInside(size_t row, bool inside) = 0;
};

/// The docked "Effects" pane: the chain in processing order, a tick per effect that runs it
/// (untick to bypass), the selected effect's program, and buttons to add, remove, reorder and
/// edit effects and to import and export presets. Double-click or Enter opens the editor,
/// Delete removes the effect. An effect whose process crashed or hung shows it in its state,
/// its tick cleared; Reload (a button and the row's context menu) brings it back. The context
/// menu also chooses whether the effect's library runs inside Orvane.
///
///     auto* pane = new EffectsPane(frame, chainModel);
///     docking.AddPane(pane, EffectsPane::PaneInfo());
///     chainModel.OnChange([pane] { pane->Rebuild(); });
///
/// Runs on the user-interface thread; the model must outlive the pane.
class EffectsPane : public wxPanel {
public:
    EffectsPane(wxWindow* parent, EffectsPaneModel& model);

    /// How the frame docks the pane: named "effects", captioned "Effects", on the right.
    static wxAuiPaneInfo PaneInfo();

    /// Reads the rows again. The selection stays on the same row, follows an effect the pane
    /// just moved, moves to an effect that was just inserted, and stays inside the list when
    /// rows went.
    void Rebuild();

    /// The selected row, or -1.
    long SelectedRow() const;
    /// Selects `row` (-1: none), as a click does.
    void SelectRow(long row);

    /// The controls, for tests and for the frame's focus handling.
    wxListCtrl* List() const { return list; }
    wxStaticText* EmptyHint() const { return emptyHint; }
    wxChoice* ProgramChoice() const { return programChoice; }
    wxButton* AddButton() const { return addButton; }
    wxButton* RemoveButton() const { return removeButton; }
    wxButton* UpButton() const { return upButton; }
    wxButton* DownButton() const { return downButton; }
    wxButton* EditorButton() const { return editorButton; }
    wxButton* PresetsButton() const { return presetsButton; }
    wxButton* ReloadButton() const { return reloadButton; }
    /// The menu a right-click on a row shows; its items act on the selected row.
    wxMenu& RowMenu() { return rowMenu; }
    int ReloadItemId() const { return reloadId; }
    int RunInsideItemId() const { return runInsideId; }
    /// The menu "Presets" drops down; its items act on the selected row.
    wxMenu& PresetsMenu() { return presetsMenu; }

private:
    void BuildControls();
    void BindEvents();
    void FillList();
    void FillPrograms();
    void FitColumns();
    /// Sets the tooltip of the list's child window `child` for the pointer at `position` in it.
    void ShowRowTip(wxWindow* child, wxPoint position);
    void UpdateControls();
    /// The row to select after rows changed from `before`.
    long RowToSelect(const std::vector<EffectRow>& before, long selected) const;
    void Move(int step);
    void OnChecked(wxListEvent& event, bool checked);
    void OnPresetsCommand(wxCommandEvent& event);
    /// Enables and ticks the row menu's items for the selected row, then shows it.
    void ShowRowMenu();
    /// Calls `action` with the selected row, when there is one.
    template <typename Action>
    void WithSelected(Action action);

    EffectsPaneModel& model;
    std::vector<EffectRow> rows;
    /// Where the selected effect will be after a move the pane asked for, and its name.
    std::optional<std::pair<size_t, std::string>> following;
    bool filling = false;  // the list is being filled: its events are not the user's

    wxListCtrl* list = nullptr;
    wxStaticText* emptyHint = nullptr;
    wxStaticText* programLabel = nullptr;
    wxChoice* programChoice = nullptr;
    wxButton* addButton = nullptr;
    wxButton* removeButton = nullptr;
    wxButton* upButton = nullptr;
    wxButton* downButton = nullptr;
    wxButton* editorButton = nullptr;
    wxButton* presetsButton = nullptr;
    wxButton* reloadButton = nullptr;
    wxMenu presetsMenu;
    wxMenu rowMenu;
    int reloadId = wxID_ANY;
    int runInsideId = wxID_ANY;
    int importId = wxID_ANY;
    int exportProgramId = wxID_ANY;
    int exportBankId = wxID_ANY;
};
