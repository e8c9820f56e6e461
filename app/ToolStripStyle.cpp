#include "app/ToolStripStyle.h"

#include <gtk/gtk.h>
#include <wx/string.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

namespace pagrovix {
namespace {

constexpr const char* kToolsName = "pagrovix-tools";
constexpr const char* kGoName = "pagrovix-go";

// The tool buttons keep every press to themselves, so the release of the right button is what
// reaches the tool bar.
extern "C" gboolean ContextMenuCallback(GtkWidget*, GdkEvent* gdkEvent, gpointer data) {
    if (gdkEvent->type != GDK_BUTTON_RELEASE || gdkEvent->button.button != GDK_BUTTON_SECONDARY) {
        return FALSE;
    }
    auto* bar = static_cast<wxToolBar*>(data);
    wxContextMenuEvent event(wxEVT_CONTEXT_MENU, bar->GetId(), wxGetMousePosition());
    event.SetEventObject(bar);
    bar->HandleWindowEvent(event);
    return TRUE;
}

}  // namespace

void ForwardContextMenuClicks(wxToolBar* bar) {
    g_signal_connect(bar->GTKGetToolbar(), "event", G_CALLBACK(ContextMenuCallback), bar);
}

void StyleToolStrip(wxToolBar* tools, wxSize toolSize, double captionPoints, wxToolBar* go,
                    wxSize goSize, double goCaptionPoints) {
    gtk_widget_set_name(GTK_WIDGET(tools->GTKGetToolbar()), kToolsName);
    gtk_widget_set_name(GTK_WIDGET(go->GTKGetToolbar()), kGoName);
    // GTK sizes are content sizes: the 1-pixel button border comes on top.
    const wxString css = wxString::Format(
        "#%s, #%s { padding: 0; margin: 0; border: none; background: transparent; }\n"
        "#%s button { min-width: %dpx; min-height: %dpx; padding: 0; margin: 0;"
        " border-width: 1px; }\n"
        "#%s button label { font-size: %.1fpt; margin: 0; padding: 0; }\n"
        "#%s separator { min-width: 1px; margin: 6px 3px 6px 4px; padding: 0; }\n"
        // The theme's label padding and picture-to-caption spacing would push the Go button past
        // its width; with them fixed, picture and caption fit inside the 3-pixel side padding.
        "#%s button { min-width: %dpx; min-height: %dpx; padding: 0 %dpx; margin: 0;"
        " border-width: 1px; }\n"
        "#%s toolbutton { -GtkToolButton-icon-spacing: %d; }\n"
        "#%s button label { font-size: %.1fpt; margin: 0; padding: 0; }\n",
        kToolsName, kGoName, kToolsName, toolSize.x - 2, toolSize.y - 2, kToolsName, captionPoints,
        kToolsName, kGoName, goSize.x - 2 - 2 * kGoSidePadding, goSize.y - 2, kGoSidePadding,
        kGoName, kGoPictureSpacing, kGoName, goCaptionPoints);
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.utf8_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    tools->InvalidateBestSize();
    go->InvalidateBestSize();
}

}  // namespace pagrovix
