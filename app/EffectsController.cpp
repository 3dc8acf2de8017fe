#include "app/EffectsController.h"

#include <wx/aui/framemanager.h>
#include <wx/frame.h>
#include <wx/utils.h>

#include "platform/gui/FileChooser.h"
#include "platform/gui/MessageBox.h"
#include "plugins/EffectState.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginPaths.h"
#include "plugins/PluginScanner.h"
#include "plugins/PresetFile.h"
#include "plugins/editor/PluginEditors.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "session/ChainRecords.h"

namespace {

// How often the effects' editors are asked whether the user changed a setting.
constexpr int kSettingsPollMs = 250;

std::string LatencyText(uint32_t frames) {
    return frames == 0 ? std::string() : "latency " + std::to_string(frames) + " frames";
}

}  // namespace

EffectsController::EffectsController(const Parts& parts) : parts(parts) {
    pane = new EffectsPane(&parts.frame, *this);
    parts.docking.AddPane(pane, EffectsPane::PaneInfo());
    settingsTimer.Bind(wxEVT_TIMER, &EffectsController::OnSettingsTimer, this);
    settingsTimer.Start(kSettingsPollMs);
    parts.frame.Bind(wxEVT_MENU, &EffectsController::OnTogglePane, this, cmd::kToggleEffectsPane);
    parts.frame.Bind(wxEVT_MENU, &EffectsController::OnEditCommand, this, cmd::kEditPlugin);
    parts.frame.Bind(wxEVT_MENU, &EffectsController::OnRemoveCommand, this, cmd::kRemovePlugin);
    for (const int id : {cmd::kEditPlugin, cmd::kRemovePlugin}) {
        parts.frame.Bind(wxEVT_UPDATE_UI, &EffectsController::OnUpdateChainCommands, this, id);
    }
    parts.frame.Bind(wxEVT_UPDATE_UI, &EffectsController::OnUpdateTogglePane, this,
                     cmd::kToggleEffectsPane);
}

EffectsController::~EffectsController() {
    settingsTimer.Stop();
}

bool EffectsController::Valid(size_t row) const {
    return row < parts.host.ChainSize();
}

void EffectsController::ChainChanged() {
    pane->Rebuild();
    if (parts.changed) {
        parts.changed();
    }
}

void EffectsController::ChooseFromCatalogue(int index) {
    PluginHost& host = parts.host;
    const char* path = host.PluginPath(index);
    const char* name = host.PluginName(index);
    // One in the chain already: its editor, with the settings the user made.
    const int inChain = path != nullptr ? host.Chain().IndexOfPath(path) : -1;
    if (inChain >= 0) {
        chosenPath = path;
        chosenIndex = index;
        parts.editors.OpenEditor(static_cast<size_t>(inChain));
        return;
    }
    // Appended under the player's lock, so playback goes on through the longer chain.
    if (path == nullptr || host.AddEffect(path, name) == nullptr) {
        const wxString reason = path == nullptr ? wxString("it is not in the catalogue")
                                                : wxString::FromUTF8(host.LastLoadError());
        ShowError(
            std::string(wxString::Format("Failed to initialize plugin \"%s\" (%s): %s.",
                                         wxString::FromUTF8(name != nullptr ? name : ""),
                                         wxString::FromUTF8(path != nullptr ? path : "?"), reason)
                            .utf8_str()));
        return;
    }
    chosenPath = path;
    chosenIndex = index;
    ChainChanged();
    parts.editors.OpenEditor(host.ChainSize() - 1);
}

int EffectsController::ChosenEntry() const {
    const std::vector<PluginInfo>& catalogue = parts.host.Catalog();
    if (chosenPath.empty() || parts.host.Chain().IndexOfPath(chosenPath) < 0) {
        return -1;
    }
    // The same entry while the catalogue has not changed under it; else found by its library.
    if (chosenIndex >= 0 && static_cast<size_t>(chosenIndex) < catalogue.size() &&
        catalogue[static_cast<size_t>(chosenIndex)].path == chosenPath) {
        return chosenIndex;
    }
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (catalogue[i].path == chosenPath) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int EffectsController::SelectedSlot() const {
    const long row = pane->SelectedRow();
    if (row >= 0 && Valid(static_cast<size_t>(row))) {
        return static_cast<int>(row);
    }
    const int chosen = chosenPath.empty() ? -1 : parts.host.Chain().IndexOfPath(chosenPath);
    return chosen >= 0 ? chosen : static_cast<int>(parts.host.ChainSize()) - 1;
}

void EffectsController::OnEditCommand(wxCommandEvent&) {
    if (const int slot = SelectedSlot(); slot >= 0) {
        OpenEditor(static_cast<size_t>(slot));
    }
}

void EffectsController::OnRemoveCommand(wxCommandEvent&) {
    if (const int slot = SelectedSlot(); slot >= 0) {
        RemoveEffect(static_cast<size_t>(slot));
    }
}

void EffectsController::OnUpdateChainCommands(wxUpdateUIEvent& event) {
    event.Enable(!parts.host.IsChainEmpty());
}

std::vector<EffectRecord> EffectsController::Capture() const {
    return chain_records::Capture(parts.host.Chain());
}

void EffectsController::Restore(const std::vector<EffectRecord>& records) {
    parts.host.Chain().Clear();
    std::vector<std::string> problems;
    chain_records::Rebuild(parts.host, records, parts.host.Catalog(), problems);
    pane->Rebuild();
    if (!problems.empty()) {
        std::string text = "Some effects of the session could not be restored:";
        for (const std::string& problem : problems) {
            text += "\n" + problem;
        }
        ShowError(text);
    }
}

std::vector<EffectRow> EffectsController::Rows() const {
    std::vector<EffectRow> rows;
    const EffectChain& chain = parts.host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        const EffectSlot& slot = chain.At(i);
        EffectRow row;
        row.name = slot.Name();
        row.bypassed = slot.Bypassed();
        row.hasEditor = (slot.Effect()->flags & vst::effFlagsHasEditor) != 0;
        row.status = LatencyText(slot.LatencyFrames());
        row.faulted = slot.Fault() != EffectFault::None;
        if (row.faulted) {
            row.status = EffectSlot::FaultText(slot.Fault());
        }
        row.runInside = parts.host.AllInProcess();
        for (const PluginInfo& info : parts.host.Catalog()) {
            if (info.path == slot.Path()) {
                row.runInside = row.runInside || info.runInProcess;
                row.canChooseInside = !parts.host.AllInProcess();
            }
        }
        if (!row.faulted && slot.Effect()->numPrograms > 0) {
            // Between blocks: an effect that names only its current program is switched
            // through all of them to list them.
            ChainGuardHold hold(chain.Guard());
            const EffectPrograms programs(slot.Effect());
            row.programs = programs.Names();
            row.program = programs.Current();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void EffectsController::AddEffect() {
    if (parts.chooseEffect) {
        parts.chooseEffect();
    }
}

void EffectsController::RemoveEffect(size_t row) {
    if (Valid(row)) {
        parts.host.RemoveEffect(row);
        ChainChanged();
    }
}

void EffectsController::MoveEffect(size_t from, size_t to) {
    if (Valid(from) && Valid(to)) {
        parts.host.Chain().Move(from, to);
        ChainChanged();
    }
}

void EffectsController::SetBypassed(size_t row, bool bypassed) {
    if (Valid(row)) {
        parts.host.Chain().SetBypassed(row, bypassed);
        ChainChanged();
    }
}

void EffectsController::OpenEditor(size_t row) {
    if (!Valid(row)) {
        return;
    }
    // A faulted effect has nothing to show: its process is gone.
    const EffectSlot& slot = parts.host.Chain().At(row);
    if (const EffectFault fault = slot.Fault(); fault != EffectFault::None) {
        ShowError("\"" + slot.Name() + "\" " + EffectSlot::FaultText(fault) +
                  "; Reload it to open its editor.");
        return;
    }
    parts.editors.OpenEditor(row);
}

void EffectsController::ChooseProgram(size_t row, int program) {
    if (!Valid(row)) {
        return;
    }
    {
        // Between blocks: the effect switches its whole state.
        ChainGuardHold hold(parts.host.Chain().Guard());
        EffectPrograms(parts.host.Chain().At(row).Effect()).Choose(program);
    }
    ChainChanged();
}

void EffectsController::ImportPreset(size_t row) {
    wxString path;
    if (!Valid(row) || !parts.fileDialogs.ChoosePresetToOpen(&parts.frame, path)) {
        return;
    }
    EffectSlot& slot = parts.host.Chain().At(row);
    std::string error;
    bool loaded = false;
    {
        ChainGuardHold hold(parts.host.Chain().Guard());
        loaded = PresetFile::Load(std::string(path.fn_str()), slot.Effect(), slot.Name(), error);
    }
    if (!loaded) {
        ShowError(error);
        return;
    }
    ChainChanged();
}

void EffectsController::ExportPreset(size_t row, bool wholeBank) {
    if (!Valid(row)) {
        return;
    }
    EffectSlot& slot = parts.host.Chain().At(row);
    wxString path;
    if (!parts.fileDialogs.ChoosePresetToSave(&parts.frame, wxString::FromUTF8(slot.Name()),
                                              wholeBank, path)) {
        return;
    }
    std::string error;
    const auto scope = wholeBank ? PresetFile::Scope::kBank : PresetFile::Scope::kProgram;
    bool saved = false;
    {
        // Between blocks: a bank of parameters is read by switching through its programs.
        ChainGuardHold hold(parts.host.Chain().Guard());
        saved = PresetFile::Save(std::string(path.fn_str()), slot.Effect(), scope, error);
    }
    if (!saved) {
        ShowError(error);
    }
}

void EffectsController::ReloadEffect(size_t row) {
    if (!Valid(row)) {
        return;
    }
    EffectSlot& slot = parts.host.Chain().At(row);
    std::string error;
    bool reloaded = false;
    {
        wxBusyCursor busy;
        reloaded = slot.Reload(error);
    }
    if (!reloaded) {
        ShowError("\"" + slot.Name() + "\" could not be reloaded: " + error + ".");
    }
    NoticeFaults();
    ChainChanged();
}

void EffectsController::SetRunInside(size_t row, bool inside) {
    if (!Valid(row)) {
        return;
    }
    const std::string path = parts.host.Chain().At(row).Path();
    std::vector<PluginInfo> catalogue = parts.host.Catalog();
    for (PluginInfo& info : catalogue) {
        if (info.path == path) {
            info.runInProcess = inside;
        }
    }
    const std::string cacheFile = plugin_paths::CacheFile();
    const bool kept = PluginScanner::WriteCache(cacheFile, catalogue);
    parts.host.SetCatalog(std::move(catalogue));
    // Every effect of that library is loaded again the new way, with its settings.
    const bool wanted = inside || parts.host.AllInProcess();
    std::string problems;
    EffectChain& chain = parts.host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        EffectSlot& slot = chain.At(i);
        if (slot.Path() != path || slot.OutOfProcess() != wanted) {
            continue;
        }
        KeepSettings(slot);
        std::string error;
        wxBusyCursor busy;
        if (!slot.ReloadAs(wanted, error)) {
            problems += "\n\"" + slot.Name() + "\" could not be loaded again: " + error + ".";
        }
    }
    if (!kept) {
        problems +=
            "\nThe choice could not be saved in " + cacheFile + "; it lasts until Orvane ends.";
    }
    if (!problems.empty()) {
        ShowError(problems.substr(1));
    }
    NoticeFaults();
    ChainChanged();
}

void EffectsController::KeepSettings(EffectSlot& slot) {
    if (slot.Fault() != EffectFault::None) {
        return;  // what was kept before the fault is all there is
    }
    std::string why;
    if (const std::optional<EffectState> state = EffectState::Read(slot.Effect(), why)) {
        const std::string bytes = state->Encode();
        slot.KeepState({bytes.begin(), bytes.end()});
    }
}

bool EffectsController::NoticeFaults() {
    std::set<const EffectSlot*> faulted;
    EffectChain& chain = parts.host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        EffectSlot& slot = chain.At(i);
        const EffectFault fault = slot.Fault();
        if (fault == EffectFault::None) {
            continue;
        }
        faulted.insert(&slot);
        if (faultsTold.contains(&slot)) {
            continue;
        }
        // Its editor shows an effect that is gone.
        slot.CloseEditor();
        if (parts.tell) {
            const char* what = fault == EffectFault::Crashed ? "crashed" : "stopped responding";
            parts.tell(wxString::FromUTF8("\"" + slot.Name() + "\" " + what +
                                          "; it is passed by. Reload brings it back."));
        }
    }
    const bool changed = faulted != faultsTold;
    if (changed && faulted.empty() && !faultsTold.empty() && parts.tell) {
        parts.tell({});  // the last faulted effect was reloaded or removed: the line goes
    }
    faultsTold = std::move(faulted);
    return changed;
}

void EffectsController::OnSettingsTimer(wxTimerEvent&) {
    if (NoticeFaults()) {
        pane->Rebuild();
    }
    bool touched = false;
    EffectChain& chain = parts.host.Chain();
    for (size_t i = 0; i < chain.Size(); ++i) {
        EffectSlot& slot = chain.At(i);
        if (!slot.TakeSettingsTouched()) {
            continue;
        }
        touched = true;
        // Kept while the effect can still be asked: a crash later would lose them.
        KeepSettings(slot);
    }
    if (touched) {
        ChainChanged();  // a program's name or the latency may have changed too
    }
}

void EffectsController::OnTogglePane(wxCommandEvent&) {
    wxAuiPaneInfo& info = parts.docking.GetPane(pane);
    info.Show(!info.IsShown());
    parts.docking.Update();
}

void EffectsController::OnUpdateTogglePane(wxUpdateUIEvent& event) {
    event.Check(parts.docking.GetPane(pane).IsShown());
}

void EffectsController::ShowError(const std::string& text) const {
    platform::ShowMessageBox(&parts.frame,
                             {wxString::FromUTF8(text), str::Text(str::kAppTitle),
                              platform::MessageButtons::kOk, platform::MessageIcon::kError});
}
