#include "snapshot/PictureClipboard.h"

#include <gtk/gtk.h>

#include <wx/event.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

void ServeImage(GtkClipboard*, GtkSelectionData* request, guint, gpointer image) {
    gtk_selection_data_set_pixbuf(request, GDK_PIXBUF(image));
}

void ReleaseImage(GtkClipboard*, gpointer image) {
    g_object_unref(image);
}

}  // namespace

void CopyPictureToClipboard(const Bitmap24& picture) {
    if (picture.Empty()) {
        throw Error("There is no picture to copy.");
    }
    // The clipboard's own copy, in the red-green-blue order the toolkit's images have: the one copy
    // the clipboard needs, as it outlives the window and its picture.
    GdkPixbuf* image =
        gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, picture.Width(), picture.Height());
    if (!image) {
        throw Error("There is not enough memory to copy the picture.");
    }
    guchar* pixels = gdk_pixbuf_get_pixels(image);
    const std::size_t stride = std::size_t(gdk_pixbuf_get_rowstride(image));
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* from = picture.Row(y).data();
        guchar* to = pixels + stride * std::size_t(y);
        for (int x = 0; x < picture.Width(); ++x, from += 3, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }

    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    GtkTargetList* list = gtk_target_list_new(nullptr, 0);
    gtk_target_list_add_image_targets(list, 0, TRUE);
    gint count = 0;
    GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
    gtk_target_list_unref(list);
    // The clipboard owns the image from here and releases it when another copy replaces it.
    const bool taken = gtk_clipboard_set_with_data(clipboard, targets, guint(count), ServeImage,
                                                   ReleaseImage, image);
    gtk_target_table_free(targets, count);
    if (!taken) {
        g_object_unref(image);
        throw Error("The picture could not be put on the clipboard.");
    }
    // A clipboard manager may keep the picture once the program has ended, as PNG only: each
    // further type would cost one more conversion of a picture that may be a whole page.
    static const GtkTargetEntry png[] = {{const_cast<gchar*>("image/png"), 0, 0}};
    gtk_clipboard_set_can_store(clipboard, png, 1);
}

bool IsCopyKey(const wxKeyEvent& event) {
    return event.GetModifiers() == wxMOD_CONTROL && event.GetKeyCode() == 'C';
}

}  // namespace pagrovix
