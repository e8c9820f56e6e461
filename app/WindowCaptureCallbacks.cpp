#include "app/WindowCaptureCallbacks.h"

#include <wx/string.h>

#include "app/SavePageAsPng.h"
#include "capture/MemoryMapping.h"
#include "ui/UiHelpers.h"

namespace pagrovix {

PageCapture::Callbacks WindowCaptureCallbacks(wxWindow* owner,
                                              std::function<void(Bitmap24 picture)> showPicture) {
    PageCapture::Callbacks callbacks;
    callbacks.setBusy = [](bool busy) { UiHelpers::SetBusy(busy); };
    callbacks.showError = [](const std::string& text) {
        UiHelpers::MessageBoxCaptioned(wxString::FromUTF8(text), wxString(),
                                       MessageFlags::IconError);
    };
    // The Snapshot window keeps a copy of its own; the page stays the caller's.
    callbacks.showPicture = [show = std::move(showPicture)](const Bitmap24& page) {
        show(CopyOfPicture(page));
    };
    callbacks.saveTallPage = [owner](const Bitmap24& page) { SavePageAsPng(owner, page); };
    return callbacks;
}

}  // namespace pagrovix
