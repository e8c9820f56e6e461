#include "snapshot/PreviewForm.h"

#include <wx/scopeguard.h>

#include "snapshot/CommandErrors.h"
#include "snapshot/FormLook.h"
#include "snapshot/FormPlacement.h"
#include "snapshot/PictureClipboard.h"
#include "snapshot/PictureView.h"
#include "ui/UiHelpers.h"

namespace pagrovix {

TfrmPreview::TfrmPreview(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Preview", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    FormCreate();
}

void TfrmPreview::FormCreate() {
    SetFont(FormFont());
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { CloseForm(this); });

    ApplyCoverWorkArea(this);

    ScrollBox1 = new PictureView(this, wxPoint(0, 0), GetClientSize());
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        ScrollBox1->SetSize(GetClientSize());
        event.Skip();
    });
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (!IsCopyKey(event)) {
            event.Skip();
        } else if (!copying_) {
            ReportErrors([this] { CopyPicture(); });
        }
    });
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        if (event.GetActive()) {
            FormActivate();
        }
        event.Skip();
    });
}

void TfrmPreview::SetPicture(const Bitmap24* picture) {
    ScrollBox1->SetPicture(picture);
}

void TfrmPreview::CopyPicture() {
    const Bitmap24* picture = ScrollBox1->Picture();
    if (!picture) {
        return;
    }
    // The busy state lets pending input through: a second Ctrl+C waits for this copy.
    copying_ = true;
    wxON_BLOCK_EXIT_SET(copying_, false);
    BusyScope busy;
    CopyPictureToClipboard(*picture);
}

void TfrmPreview::FormActivate() {
    IgnoreErrors([this] { ScrollBox1->Refresh(); });
}

}  // namespace pagrovix
