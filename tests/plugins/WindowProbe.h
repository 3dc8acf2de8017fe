#pragma once

#include <X11/Xlib.h>

/// Whether X11 window `window` exists, asked on `display` with an error handler of our own in
/// place for the question (a missing window is an X error).
inline bool X11WindowExistsOn(Display* display, Window window) {
    static bool errorTrapped = false;
    XSync(display, False);
    errorTrapped = false;
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
        errorTrapped = true;
        return 0;
    });
    XWindowAttributes attributes;
    const Status status = XGetWindowAttributes(display, window, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    return status != 0 && !errorTrapped;
}
