#pragma once

#include <wx/dialog.h>

#include "imaging/Bitmap24.h"

namespace pagrovix {

class PictureView;

// The Preview window: the cropped selection at 1:1 in a scroll area that covers the desktop's
// work area. It has no buttons; the close box closes it, and Ctrl+C copies the picture.
class TfrmPreview : public wxDialog {
public:
    explicit TfrmPreview(wxWindow* parent);

    // The picture is shown, not copied: it must stay unchanged while the window is open.
    void SetPicture(const Bitmap24* picture);

    PictureView* ScrollBox1 = nullptr;  // the chosen part at 1:1

private:
    void FormCreate();
    void FormActivate();
    void CopyPicture();

    bool copying_ = false;
};

}  // namespace pagrovix
