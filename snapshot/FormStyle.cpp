#include "snapshot/FormStyle.h"

#include <exception>
#include <memory>
#include <new>

#include <gtk/gtk.h>

#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/event.h>
#include <wx/fontenum.h>
#include <wx/settings.h>
#include <wx/window.h>

#include "snapshot/WindowFrame.h"
#include "snapshot/WindowGeometry.h"
#include "ui/UiHelpers.h"

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

namespace {

void CoverWorkAreaWithin(wxWindow* window, const FrameExtents& extents) {
    const wxRect work = wxDisplay(window).GetClientArea();
    const WindowPlacement cover = CoverWorkArea({work.x, work.y, work.width, work.height}, extents);
    if (extents.top == 0 && extents.bottom == 0 && extents.left == 0 && extents.right == 0) {
        // No frame: the window is the work area, whatever frame the toolkit may have expected.
        window->SetSize(cover.frame.left, cover.frame.top, cover.frame.width, cover.frame.height);
        return;
    }
    // The toolkit centres dialogs on their parent unless told not to; and its own idea of the
    // frame may be off, so the client area is what is set.
    gtk_window_set_position(GTK_WINDOW(window->GetHandle()), GTK_WIN_POS_NONE);
    window->SetClientSize(cover.client.width, cover.client.height);
    window->Move(cover.frame.left, cover.frame.top);
    gtk_window_move(GTK_WINDOW(window->GetHandle()), cover.frame.left, cover.frame.top);
}

}  // namespace

void ApplyCoverWorkArea(wxWindow* window) {
    CoverWorkAreaWithin(window, AskFrameExtents(window));
    // A window manager may announce a frame before the window is shown that differs from the one
    // it then draws (openbox's title bar grows by 4 px), and may keep a new window on the screen:
    // once the window is up, it is placed again by the frame it really has.
    auto placed = std::make_shared<bool>(false);
    window->Bind(wxEVT_ACTIVATE, [window, placed](wxActivateEvent& event) {
        event.Skip();
        if (event.GetActive() && !*placed) {
            *placed = true;
            window->CallAfter([window] { CoverWorkAreaWithin(window, AskFrameExtents(window)); });
        }
    });
}

void CloseForm(wxDialog* form) {
    if (form->IsModal()) {
        form->EndModal(wxID_CANCEL);
    } else {
        form->Hide();
    }
}

bool IsCopyKey(const wxKeyEvent& event) {
    return event.GetModifiers() == wxMOD_CONTROL && event.GetKeyCode() == 'C';
}

void ReportErrors(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        // Steps with a sentence of their own (the crop, the copy) have given it already.
        UiHelpers::ShowError("There is not enough memory to finish this command.");
    } catch (const std::exception& error) {
        UiHelpers::ShowError(wxString::FromUTF8(error.what()));
    }
}

void IgnoreErrors(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

namespace {

// A 16 x 16 image drawn on a transparent background.
wxBitmap DrawImage(const std::function<void(wxDC&)>& draw) {
    wxImage image(16, 16);
    image.InitAlpha();
    unsigned char* alpha = image.GetAlpha();
    std::fill(alpha, alpha + 16 * 16, 0);
    wxBitmap canvas(16, 16, 24);
    {
        wxMemoryDC dc(canvas);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        draw(dc);
    }
    // Everything not left white is the image.
    const wxImage drawn = canvas.ConvertToImage();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool white = drawn.GetRed(x, y) == 255 && drawn.GetGreen(x, y) == 255 &&
                               drawn.GetBlue(x, y) == 255;
            image.SetRGB(x, y, drawn.GetRed(x, y), drawn.GetGreen(x, y), drawn.GetBlue(x, y));
            image.SetAlpha(x, y, white ? 0 : 255);
        }
    }
    return wxBitmap(image);
}

}  // namespace

wxBitmap PreviewImage() {
    return DrawImage([](wxDC& dc) {
        dc.SetPen(wxPen(wxColour(40, 40, 40), 2));
        dc.SetBrush(wxBrush(wxColour(200, 225, 250)));
        dc.DrawCircle(6, 6, 5);
        dc.SetPen(wxPen(wxColour(90, 60, 20), 3));
        dc.DrawLine(10, 10, 15, 15);
    });
}

wxBitmap SaveImage() {
    return DrawImage([](wxDC& dc) {
        dc.SetPen(wxPen(wxColour(20, 40, 90)));
        dc.SetBrush(wxBrush(wxColour(50, 90, 170)));
        dc.DrawRectangle(1, 1, 14, 14);
        dc.SetBrush(wxBrush(wxColour(250, 250, 250)));
        dc.SetPen(wxPen(wxColour(250, 250, 250)));
        dc.DrawRectangle(4, 2, 8, 5);
        dc.SetBrush(wxBrush(wxColour(20, 40, 90)));
        dc.DrawRectangle(5, 10, 6, 4);
    });
}

}  // namespace pagrovix
