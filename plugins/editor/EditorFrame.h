#pragma once

#include <wx/frame.h>

#include <string>

#include "platform/VstAbi.h"

/// The tool window an editor lives in: owned by (and floating on) the main window, with a
/// title and a close box, not resizable by the user. Holds the effect it edits until Detach.
class EditorFrame : public wxFrame {
public:
    EditorFrame(wxWindow* owner, const wxString& title, vst::AEffect* effect);

    /// The effect this window edits; nullptr once detached.
    vst::AEffect* Effect() const { return effect; }

    /// Ends the window's conversation with its effect, before the window is destroyed: after
    /// this no call reaches the effect, so it may be closed and its library freed.
    virtual void Detach() { effect = nullptr; }

    /// Moves the window to (50, 50) dialog units from the owner's client area, kept on the
    /// owner's display.
    void PlaceNearOwner();

protected:
    vst::AEffect* effect;
};

/// A plug-in's text as the window shows it: UTF-8, or Latin-1 when it is not valid UTF-8.
wxString PluginText(const std::string& text);
