#pragma once

// wx/weakref.h uses std::is_base_of without including <type_traits> itself.
#include <type_traits>

#include <wx/weakref.h>

#include <cstdint>

#include "plugins/HostSeams.h"
#include "plugins/editor/EditorFrame.h"

class PluginHost;
class wxCloseEvent;

/// Opens and closes the one editor window of the host's effects: the plug-in's own editor
/// when it has one, otherwise a generated parameter dialog. Registers itself with the host,
/// which then closes the editor through it before it suspends and closes an unloaded effect,
/// and passes it the plug-ins' audioMasterSizeWindow requests.
///
///     PluginEditors editors(host, mainFrame);
///     editors.OpenEditor(0, catalogIndex);
///
/// An effect's editor is opened once: its close box only hides it, and OpenEditor for the same
/// effect shows it again, so plug-ins that leak on every open leak once. It closes when its
/// effect is unloaded, when another effect's editor opens, or when this object goes; each of
/// these sends a plug-in editor effEditClose before its window goes.
class PluginEditors : public EditorWindows {
public:
    /// `owner` owns the editor windows (they float on it); installs the X error handler.
    PluginEditors(PluginHost& host, wxWindow* owner);
    ~PluginEditors() override;
    PluginEditors(const PluginEditors&) = delete;
    PluginEditors& operator=(const PluginEditors&) = delete;

    /// Shows the editor of the chain entry at `position` (the last one when past the end):
    /// the one already open for that effect, or else (closing any other) a new one titled with
    /// catalogue entry catalogIndex's display name. With an empty chain it shows "No plugins
    /// loaded." instead.
    void OpenEditor(uint8_t position, int catalogIndex);

    /// Closes the open editor, if any.
    void CloseOpenEditor();

    /// The open editor window, or nullptr.
    EditorFrame* Window() const { return window.get(); }

    /// Makes OpenEditor build the generated dialog even for effects with an editor of their
    /// own.
    void SetAlwaysGenerated(bool generated) { alwaysGenerated = generated; }

    /// The handle the host records for `frame`.
    static uintptr_t HandleOf(const EditorFrame* frame);

    void CloseEditor(uintptr_t window, vst::AEffect* effect) override;
    bool ResizeEditor(vst::AEffect* effect, int32_t width, int32_t height) override;

private:
    EditorFrame* CreateWindow(vst::AEffect* effect, const wxString& title);
    void OnWindowClose(wxCloseEvent& event);

    PluginHost& host;
    wxWindow* owner;
    wxWeakRef<EditorFrame> window;
    bool alwaysGenerated = false;
};
