#pragma once

#include <wx/event.h>
#include <wx/timer.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/EffectsPane.h"
#include "session/EffectRecord.h"

class EffectSlot;
class PluginEditors;
class PluginHost;
class wxAuiManager;
class wxFrame;

namespace platform {
class FileChooser;
}

/// The effect chain as the user works with it: the docked "Effects" pane over the host's
/// chain (add, remove, reorder, bypass, editors, the plug-in's programs, preset files), the
/// "VST Plugins" commands that add, edit and remove effects, the chain as sessions keep it,
/// and the session told whenever the chain or a setting changes.
///
///     EffectsController effects({frame, host, editors, fileDialogs, docking, add, changed});
///     session.Save(path, effects.Capture(), error);
///     effects.Restore(session.Effects());  // after a session is opened
///
/// Everything runs on the user-interface thread; the parts outlive it.
class EffectsController : public wxEvtHandler, public EffectsPaneModel {
public:
    struct Parts {
        wxFrame& frame;  // parents the pane and the messages; carries the View command
        PluginHost& host;
        PluginEditors& editors;
        platform::FileChooser& fileDialogs;
        wxAuiManager& docking;
        std::function<void()> chooseEffect;  // asks for an effect to add (the chooser)
        std::function<void()> changed;       // the chain or a setting changed
        /// Says a line in the status bar (an effect that crashed or hung); an empty text
        /// withdraws it, once no effect is faulted any more.
        std::function<void(const wxString&)> tell;
    };

    explicit EffectsController(const Parts& parts);
    ~EffectsController() override;
    EffectsController(const EffectsController&) = delete;
    EffectsController& operator=(const EffectsController&) = delete;

    EffectsPane& Pane() const { return *pane; }

    /// The chain changed: the pane follows, the session is told.
    void ChainChanged();

    /// Catalogue entry `index` chosen (its menu item, the chooser): appended to the chain and
    /// its editor shown, or, when its library is in the chain already, that effect's editor
    /// shown with the settings the user made. A failure is told.
    void ChooseFromCatalogue(int index);

    /// The catalogue entry chosen last while its effect is in the chain, or -1.
    int ChosenEntry() const;

    /// The chain position Edit and Remove act on: the pane's selection, else the effect
    /// chosen last, else the last one (-1 for an empty chain).
    int SelectedSlot() const;

    /// The chain as a session keeps it, each effect with its current settings.
    std::vector<EffectRecord> Capture() const;

    /// Replaces the chain by the recorded one (an opened or recovered session); effects that
    /// cannot come back are named in one message, the others are restored.
    void Restore(const std::vector<EffectRecord>& records);

    // The pane's requests.
    std::vector<EffectRow> Rows() const override;
    void AddEffect() override;
    void RemoveEffect(size_t row) override;
    void MoveEffect(size_t from, size_t to) override;
    void SetBypassed(size_t row, bool bypassed) override;
    void OpenEditor(size_t row) override;
    void ChooseProgram(size_t row, int program) override;
    void ImportPreset(size_t row) override;
    void ExportPreset(size_t row, bool wholeBank) override;
    void ReloadEffect(size_t row) override;
    void SetRunInside(size_t row, bool inside) override;

private:
    void OnEditCommand(wxCommandEvent& event);
    void OnRemoveCommand(wxCommandEvent& event);
    void OnUpdateChainCommands(wxUpdateUIEvent& event);
    void OnSettingsTimer(wxTimerEvent& event);
    /// Tells the faults that came since the last look, closes those effects' editors; true
    /// when the set of faulted effects changed.
    bool NoticeFaults();
    /// Keeps `slot`'s settings (see EffectSlot::KeepState), while it can still be asked for them.
    void KeepSettings(EffectSlot& slot);
    void OnTogglePane(wxCommandEvent& event);
    void OnUpdateTogglePane(wxUpdateUIEvent& event);
    void ShowError(const std::string& text) const;
    bool Valid(size_t row) const;

    Parts parts;
    std::string chosenPath;                  // the library of the catalogue entry chosen last
    int chosenIndex = -1;                    // that entry, while the catalogue is the same
    EffectsPane* pane = nullptr;             // owned by the frame's window tree
    wxTimer settingsTimer;                   // looks for settings changed and for faulted effects
    std::set<const EffectSlot*> faultsTold;  // the faulted effects the user was told about
};
