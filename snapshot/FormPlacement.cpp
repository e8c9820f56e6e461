#include "snapshot/FormPlacement.h"

#include <memory>

#include <gtk/gtk.h>

#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/event.h>

#include "snapshot/WindowFrame.h"
#include "snapshot/WindowGeometry.h"

namespace pagrovix {

namespace {

void CoverWorkAreaWithin(wxWindow* window, const FrameExtents& extents) {
    const wxRect work = wxDisplay(window).GetClientArea();
    const WindowPlacement cover = CoverWorkArea({work.x, work.y, work.width, work.height}, extents);
    // The toolkit centres dialogs on their parent unless told not to.
    gtk_window_set_position(GTK_WINDOW(window->GetHandle()), GTK_WIN_POS_NONE);
    if (extents.top == 0 && extents.bottom == 0 && extents.left == 0 && extents.right == 0) {
        // No frame: the window is the work area, whatever frame the toolkit may have expected.
        window->SetSize(cover.frame.left, cover.frame.top, cover.frame.width, cover.frame.height);
    } else {
        // The toolkit's own idea of the frame may be off, so the client area is what is set.
        window->SetClientSize(cover.client.width, cover.client.height);
        // The new size goes to the window manager before the move: openbox puts a shown window
        // that is resized back on the screen, so a move followed by a resize would leave it at 0,0.
        gtk_container_check_resize(GTK_CONTAINER(window->GetHandle()));
        window->Move(cover.frame.left, cover.frame.top);
    }
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

}  // namespace pagrovix
