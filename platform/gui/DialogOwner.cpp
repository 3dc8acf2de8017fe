#include "platform/gui/DialogOwner.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/toplevel.h>

#include <chrono>
#include <thread>

namespace platform {
namespace {

constexpr auto kLongestWait = std::chrono::seconds(1);

// GDK clears "withdrawn" when the X server reports the window mapped, which under a window
// manager happens only once the manager has framed and stacked it.
bool IsOnScreen(wxWindow* window) {
    auto* widget = static_cast<GtkWidget*>(window->GetHandle());
    GdkWindow* gdkWindow = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
    return gdkWindow != nullptr &&
           (gdk_window_get_state(gdkWindow) & GDK_WINDOW_STATE_WITHDRAWN) == 0;
}

void WaitUntilOnScreen(wxWindow* window) {
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    while (!IsOnScreen(window) && std::chrono::steady_clock::now() < deadline) {
        // Start-up has no event loop running yet: turn GTK's own, without blocking.
        if (!g_main_context_iteration(nullptr, FALSE)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
}

}  // namespace

wxWindow* DialogOwner(wxWindow* parent) {
    wxWindow* owner = parent != nullptr     ? wxGetTopLevelParent(parent)
                      : wxTheApp != nullptr ? wxTheApp->GetTopWindow()
                                            : nullptr;
    if (owner == nullptr || !owner->IsShown()) {
        return parent;  // nothing on the screen to stay above
    }
    WaitUntilOnScreen(owner);
    return parent != nullptr ? parent : owner;
}

}  // namespace platform
