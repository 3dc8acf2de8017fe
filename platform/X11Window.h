#pragma once

#include <cstdint>

// GTK's own declaration of the widget type, repeated so callers need not include GTK.
typedef struct _GtkWidget GtkWidget;

/// The X11 side of embedding plug-in editors in GTK windows. Part of the GUI library only.
namespace platform {

/// The X11 window id of `widget`'s GDK window, realizing the widget (and its ancestors) first
/// and making its GDK window a native X11 window, so another X client (a plug-in's editor)
/// can create its own windows inside it. 0 when GDK does not run on X11.
uintptr_t X11WindowId(GtkWidget* widget);

/// Installs an X error handler that ignores errors on every X connection except the
/// toolkit's own (plug-ins open their own connections, and Xlib's default handler ends the
/// process on the first error, such as one caused by a window that went away late). Errors on
/// the toolkit's connection go on to the handler that was there before. Call once the toolkit
/// has opened its display; calling it again is harmless.
void InstallX11ErrorHandler();

/// How many X errors the handler has ignored.
uint64_t IgnoredX11Errors();

}  // namespace platform
