#include "snapshot/FormLook.h"

#include <gtk/gtk.h>

#include <wx/fontenum.h>
#include <wx/window.h>

namespace pagrovix {

wxFont FormFont() {
    // Tahoma where there is one, else a face of about its width: the windows are laid out in
    // fixed pixels around texts of that width.
    static const wxString face = [] {
        for (const char* candidate : {"Tahoma", "Liberation Sans", "Arimo", "Arial", "Nimbus Sans",
                                      "DejaVu Sans Condensed"}) {
            if (wxFontEnumerator::IsValidFacename(candidate)) {
                return wxString(candidate);
            }
        }
        return wxString();
    }();
    wxFontInfo info(8);
    if (face.empty()) {
        info.Family(wxFONTFAMILY_SWISS);
    } else {
        info.FaceName(face);
    }
    return wxFont(info);
}

void StyleControl(wxWindow* control, const char* css) {
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, css, -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(control->GetHandle()),
                                   GTK_STYLE_PROVIDER(style),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(style);
}

namespace {

// Runs after the field's own focus handling, which selected the text: the caret goes to its end.
void UnselectText(GtkWidget* field, gpointer) {
    GtkEditable* editable = GTK_EDITABLE(field);
    gint start = 0;
    gint end = 0;
    if (gtk_editable_get_selection_bounds(editable, &start, &end)) {
        gtk_editable_select_region(editable, end, end);
    }
}

}  // namespace

void KeepTextUnselectedOnEntry(wxWindow* field) {
    g_signal_connect_after(field->GetHandle(), "grab-focus", G_CALLBACK(UnselectText), nullptr);
    UnselectText(field->GetHandle(), nullptr);
}

}  // namespace pagrovix
