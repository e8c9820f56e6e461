#include "app/SavePageAsPng.h"

#include <wx/string.h>

#include "imaging/ImageWriters.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

constexpr int kPngLevel = 9;

wxString& LastChosenName() {
    static wxString name;
    return name;
}

}  // namespace

void SavePageAsPng(wxWindow* parent, const Bitmap24& page) {
    const auto chosen = UiHelpers::ChooseSaveFile(parent, "*.PNG|*.png", LastChosenName());
    if (!chosen) {
        return;
    }
    LastChosenName() = *chosen;
    const auto path = UiHelpers::ConfirmedSavePath(*chosen, ".png");
    if (!path) {
        return;
    }
    {
        BusyScope busy;
        WritePngFile(page, path->utf8_string(), kPngLevel);
    }
    UiHelpers::MessageBoxByIcon("SUCCESS!\r\n" + *path, MessageFlags::IconInformation);
}

}  // namespace pagrovix
