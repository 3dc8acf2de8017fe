#pragma once

#include <wx/frame.h>

#include <chrono>
#include <functional>

namespace testing_support {

/// A top-level window that hosts one window under test at a fixed client size. Unlike a
/// plain frame it never lays its child out by itself, so a test decides every size.
///
///     auto* frame = new GuiTestFrame();
///     auto* view = new WaveformView();
///     view->Create(frame);
///     frame->ShowWithClientSize(view, 400, 200);
class GuiTestFrame : public wxFrame {
public:
    GuiTestFrame();

    /// Places `child` at the frame's top-left corner with that client size, shows the frame
    /// and waits until the child is on screen. False when it does not appear in time.
    bool ShowWithClientSize(wxWindow* child, int width, int height);

    /// Gives `child` a new client size, keeping its borders.
    static void SetChildClientSize(wxWindow* child, int width, int height);
};

/// Runs the event loop until `done` is true or the time is up; returns `done()`.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

/// Runs the pending events and repaints (without invalidating anything first), so that what
/// earlier calls asked for has happened when this returns.
void ProcessPendingUi(wxWindow* window);

/// Destroys a top-level window now rather than at the next idle time.
void DestroyNow(wxWindow* topLevel);

}  // namespace testing_support
