#pragma once

class wxWindow;

namespace platform {

/// The window a modal dialog opened from `parent` belongs to: `parent`'s own top-level
/// window (the main window, or the dialog that opens another), or the application's top
/// window when `parent` is null. When that window has just been shown, as at start-up, this
/// waits (a second at most) until it is on the screen: a window manager that has not yet
/// taken the owner in stacks the dialog below it once it does, and the user sees an empty
/// window that does not answer. Null when there is no shown window to belong to (the dialog
/// then stands alone, centred on the screen).
///
///     wxDialog dialog(DialogOwner(parent), ...);
wxWindow* DialogOwner(wxWindow* parent);

}  // namespace platform
