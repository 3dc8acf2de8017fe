#pragma once

// wx/weakref.h uses std::is_base_of without including <type_traits> itself.
#include <type_traits>

#include <wx/weakref.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "plugins/editor/EditorFrame.h"

class EffectSlot;
class PluginHost;

/// Opens the editor windows of the chain's effects: the plug-in's own editor when it has one,
/// otherwise a generated parameter dialog. Each window is handed to its effect's slot, which
/// owns it: the window closes (with effEditClose) when the slot is closed, before the effect
/// is suspended and closed.
///
///     PluginEditors editors(host, mainFrame);
///     editors.OpenEditor(0);  // the first effect's editor
///
/// An effect's editor is opened once: its close box only hides it, and OpenEditor for the same
/// effect shows it again, so plug-ins that leak on every open leak once. Several effects'
/// editors may be open at a time. While it exists, idle that plug-ins ask for on other
/// threads is run on the user-interface thread as soon as its event loop turns.
class PluginEditors {
public:
    /// `owner` owns the editor windows (they float on it); installs the X error handler and
    /// the host's idle waker.
    PluginEditors(PluginHost& host, wxWindow* owner);
    ~PluginEditors();
    PluginEditors(const PluginEditors&) = delete;
    PluginEditors& operator=(const PluginEditors&) = delete;

    /// Shows the editor of the chain's effect at `position` (the last one when past the end):
    /// the one already open for it, or a new one titled with the slot's name. With an empty
    /// chain it says that no plug-in is loaded instead.
    void OpenEditor(size_t position);

    /// Closes every effect's editor.
    void CloseOpenEditor();

    /// The editor window opened or shown last, while it exists; or nullptr.
    EditorFrame* Window() const;

    /// Makes OpenEditor build the generated dialog even for effects with an editor of their
    /// own.
    void SetAlwaysGenerated(bool generated) { alwaysGenerated = generated; }

private:
    EditorFrame* CreateWindow(EffectSlot& slot);

    PluginHost& host;
    wxWindow* owner;
    wxWeakRef<EditorFrame> window;
    bool alwaysGenerated = false;
    // Expires with these editors, so that no queued wake runs after them.
    std::shared_ptr<const bool> liveness = std::make_shared<const bool>(true);
};
