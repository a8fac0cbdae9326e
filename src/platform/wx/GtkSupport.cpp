#include "platform/wx/GtkSupport.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/window.h>

#include <cstring>

namespace nuvix::wx {

namespace {

constexpr const char* kClientClass = "nuvix";
constexpr const char* kBareClass = "bare";

// Sizes are in pixels: the layout is in pixels too. Application priority outranks the
// theme, however its selectors are written.
constexpr const char* kStyle = R"css(
.nuvix button, .nuvix entry, .nuvix label, .nuvix checkbutton, .nuvix radiobutton,
.nuvix combobox, .nuvix frame {
    font-family: sans-serif;
    font-size: 12px;
}
.nuvix button {
    padding: 0;
    margin: 0;
    min-width: 0;
    min-height: 0;
}
.nuvix entry {
    padding: 0 2px;
    margin: 0;
    min-width: 0;
    min-height: 0;
}
.nuvix checkbutton, .nuvix radiobutton {
    padding: 0;
    margin: 0;
    min-width: 0;
    min-height: 0;
}
.nuvix check, .nuvix radio {
    padding: 0;
    margin: 0 3px 0 0;
    min-width: 11px;
    min-height: 11px;
}
.nuvix checkbutton.bare check {
    margin: 0;
}
.nuvix combobox button {
    padding: 0 2px;
}
.nuvix combobox arrow {
    min-width: 12px;
    min-height: 12px;
}
)css";

}  // namespace

void InstallApplicationStyle()
{
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen) return;
    GtkCssProvider* provider = gtk_css_provider_new();
    GError* error = nullptr;
    if (gtk_css_provider_load_from_data(provider, kStyle, -1, &error)) {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    } else if (error) {
        g_printerr("nuvix: style rule rejected: %s\n", error->message);
        g_error_free(error);
    }
    g_object_unref(provider);  // the screen keeps its own reference
}

void MarkClientArea(wxWindow& window)
{
    if (GtkWidget* widget = window.GetHandle()) {
        gtk_style_context_add_class(gtk_widget_get_style_context(widget), kClientClass);
    }
}

void MarkBareCheckBox(wxWindow& checkBox)
{
    if (GtkWidget* widget = checkBox.GetHandle()) {
        gtk_style_context_add_class(gtk_widget_get_style_context(widget), kBareClass);
    }
}

void KeepRequestedPosition(wxWindow& topLevel, int x, int y)
{
    if (GtkWidget* widget = topLevel.GetHandle(); widget && GTK_IS_WINDOW(widget)) {
        gtk_window_set_position(GTK_WINDOW(widget), GTK_WIN_POS_NONE);
        gtk_window_move(GTK_WINDOW(widget), x, y);
    }
}

namespace {

using FocusCallback = std::function<void(bool)>;

gboolean InnerFocusIn(GtkWidget*, GdkEvent*, gpointer data)
{
    (*static_cast<FocusCallback*>(data))(true);
    return FALSE;
}

gboolean InnerFocusOut(GtkWidget*, GdkEvent*, gpointer data)
{
    (*static_cast<FocusCallback*>(data))(false);
    return FALSE;
}

// Every widget below, internal children included: the list's button sits in a box.
void ConnectInnerFocus(GtkWidget* widget, gpointer callback)
{
    g_signal_connect(widget, "focus-in-event", G_CALLBACK(InnerFocusIn), callback);
    g_signal_connect(widget, "focus-out-event", G_CALLBACK(InnerFocusOut), callback);
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), ConnectInnerFocus, callback);
}

}  // namespace

void ReportInnerFocus(wxWindow& window, std::function<void(bool gained)> changed)
{
    GtkWidget* widget = window.GetHandle();
    if (!widget || !GTK_IS_CONTAINER(widget)) return;
    // The callback lives as long as the widget.
    auto* callback = new FocusCallback(std::move(changed));
    g_object_set_data_full(G_OBJECT(widget), "nuvix-inner-focus", callback,
                           [](gpointer data) { delete static_cast<FocusCallback*>(data); });
    gtk_container_forall(GTK_CONTAINER(widget), ConnectInnerFocus, callback);
}

void KeepMessageBoxesOnTop()
{
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen || !GDK_IS_X11_SCREEN(screen)) return;
    // GDK names a missing window manager "unknown".
    if (std::strcmp(gdk_x11_screen_get_window_manager_name(screen), "unknown") != 0) return;
    GList* windows = gtk_window_list_toplevels();
    for (GList* node = windows; node; node = node->next) {
        auto* widget = static_cast<GtkWidget*>(node->data);
        if (GTK_IS_MESSAGE_DIALOG(widget) && gtk_widget_get_mapped(widget)) {
            gdk_window_raise(gtk_widget_get_window(widget));
        }
    }
    g_list_free(windows);
}

void CloseNativeMessageBoxes()
{
    GList* windows = gtk_window_list_toplevels();
    for (GList* node = windows; node; node = node->next) {
        auto* widget = static_cast<GtkWidget*>(node->data);
        if (GTK_IS_MESSAGE_DIALOG(widget) && gtk_widget_get_visible(widget)) {
            gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_DELETE_EVENT);
        }
    }
    g_list_free(windows);
}

}  // namespace nuvix::wx
