#include "platform/X11Window.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <atomic>

namespace platform {

namespace {

XErrorHandler previousHandler = nullptr;
Display* toolkitDisplay = nullptr;
std::atomic<uint64_t> ignoredErrors{0};

int OnXError(Display* display, XErrorEvent* error) {
    if (display == toolkitDisplay && previousHandler != nullptr) {
        // GDK's handler keeps its error traps working on its own connection.
        return previousHandler(display, error);
    }
    ignoredErrors.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

}  // namespace

uintptr_t X11WindowId(GtkWidget* widget) {
    if (widget == nullptr) {
        return 0;
    }
    gtk_widget_realize(widget);
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr || !GDK_IS_X11_WINDOW(window)) {
        return 0;
    }
    return gdk_x11_window_get_xid(window);
}

void InstallX11ErrorHandler() {
    GdkDisplay* display = gdk_display_get_default();
    if (display != nullptr && GDK_IS_X11_DISPLAY(display)) {
        toolkitDisplay = gdk_x11_display_get_xdisplay(display);
    }
    const XErrorHandler previous = XSetErrorHandler(&OnXError);
    if (previous != &OnXError) {
        previousHandler = previous;
    }
}

uint64_t IgnoredX11Errors() {
    return ignoredErrors.load(std::memory_order_relaxed);
}

}  // namespace platform
