#pragma once

#include <X11/Xlib.h>

/// Reads the attributes of X11 window `window` on `display` with an error handler of our own
/// in place for the question (a missing window is an X error); false when it does not exist.
inline bool X11WindowAttributesOn(Display* display, Window window, XWindowAttributes& attributes) {
    static bool errorTrapped = false;
    XSync(display, False);
    errorTrapped = false;
    const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
        errorTrapped = true;
        return 0;
    });
    const Status status = XGetWindowAttributes(display, window, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    return status != 0 && !errorTrapped;
}

/// Whether X11 window `window` exists, asked on `display`.
inline bool X11WindowExistsOn(Display* display, Window window) {
    XWindowAttributes attributes;
    return X11WindowAttributesOn(display, window, attributes);
}
