#pragma once

#include <wx/timer.h>

class wxScrolledWindow;

#include "plugins/editor/EditorFrame.h"

/// The editor a plug-in draws itself: a tool window holding the X11 parent of the plug-in's
/// own windows. The window takes the editor's size; an editor larger than the screen's work
/// area is shown in a window that fits the work area and scrolls over the editor.
///
///     auto* window = new PluginEditorWindow(owner, "3 Band EQ", effect);
///     if (window->OpenPluginEditor()) window->Show();
///
/// Linux plug-ins handle their X11 events only when the host calls effEditIdle, so while the
/// editor is open a timer sends it every kIdleMilliseconds, through the idle queue of the
/// effect's host (an effect of no host gets none). Detach (also run by the destructor)
/// stops the timer and sends effEditClose while the parent window still exists.
class PluginEditorWindow : public EditorFrame {
public:
    static constexpr int kIdleMilliseconds = 30;
    /// The size of an editor whose plug-in never tells one.
    static constexpr int kDefaultWidth = 400;
    static constexpr int kDefaultHeight = 300;

    PluginEditorWindow(wxWindow* owner, const wxString& title, vst::AEffect* effect);
    ~PluginEditorWindow() override;

    /// Sizes the window from effEditGetRect when the plug-in answers it, sends effEditOpen
    /// with the X11 id of the plug-in's parent window, then sizes it from effEditGetRect again
    /// (plug-ins that size themselves through audioMasterSizeWindow during effEditOpen have
    /// been sized by then) or to the default size, and starts the idle timer. False, with
    /// nothing sent but effEditGetRect, when there is no X11 window to give the plug-in.
    bool OpenPluginEditor();

    /// Makes the plug-in's area width x height pixels, and the window's client area the same
    /// or, where that is larger than the work area of the window's screen, the work area
    /// (the editor then scrolls). False, changing nothing, for an empty or an absurdly large
    /// size.
    bool SetEditorSize(int width, int height);

    /// The scrolled area that holds the plug-in's window.
    wxScrolledWindow* ScrollArea() const { return scrollArea; }

    /// The window the plug-in's editor lives in.
    wxWindow* PluginParent() const { return pluginParent; }

    /// True between effEditOpen and effEditClose.
    bool IsOpen() const { return open; }

    void Detach() override;

private:
    bool SizeFromEditorRect();
    void OnIdleTimer(wxTimerEvent& event);

    /// The work area (the screen less panels and docks) of the screen the window is on.
    wxRect WorkArea() const;

    wxScrolledWindow* scrollArea;
    wxWindow* pluginParent;
    wxTimer idleTimer;
    bool open = false;
    bool sized = false;
};
