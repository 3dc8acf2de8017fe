#pragma once

// GTK's own declaration of the widget type, repeated so callers need not include GTK.
typedef struct _GtkWidget GtkWidget;

namespace platform {

/// Lets the GTK scale inside `slider` (a wxSlider's handle) fit a row of a dialog of the
/// classic layout: the theme's padding around a horizontal scale (12 pixels on each side in
/// the default theme) would otherwise need rows twice as tall and overflow its allocation.
void MakeSliderCompact(GtkWidget* slider);

}  // namespace platform
