#include "capture/WindowCaptureCallbacks.h"

#include <wx/string.h>

#include "app/UiHelpers.h"
#include "capture/SavePageAsPng.h"

namespace pagrovix {

PageCapture::Callbacks WindowCaptureCallbacks(wxWindow* owner,
                                              std::function<void(Bitmap24 picture)> showPicture) {
    PageCapture::Callbacks callbacks;
    callbacks.setBusy = [](bool busy) { UiHelpers::SetBusy(busy); };
    callbacks.showError = [](const std::string& text) {
        UiHelpers::MessageBoxCaptioned(wxString::FromUTF8(text), wxString(),
                                       MessageFlags::IconError);
    };
    callbacks.showPicture = std::move(showPicture);
    callbacks.saveTallPage = [owner](const Bitmap24& page) { SavePageAsPng(owner, page); };
    return callbacks;
}

}  // namespace pagrovix
