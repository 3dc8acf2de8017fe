#include "platform/GtkSlider.h"

#include <gtk/gtk.h>

namespace platform {

namespace {

constexpr char kCompactScaleCss[] =
    "scale { padding-top: 0; padding-bottom: 0; margin-top: 0; margin-bottom: 0; }";

GtkCssProvider* CompactScaleProvider() {
    static GtkCssProvider* provider = [] {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, kCompactScaleCss, -1, nullptr);
        return css;
    }();
    return provider;
}

void StyleScale(GtkWidget* widget, gpointer) {
    if (GTK_IS_SCALE(widget)) {
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                       GTK_STYLE_PROVIDER(CompactScaleProvider()),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    } else if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), &StyleScale, nullptr);
    }
}

}  // namespace

void MakeSliderCompact(GtkWidget* slider) {
    if (slider != nullptr) {
        StyleScale(slider, nullptr);
    }
}

}  // namespace platform
