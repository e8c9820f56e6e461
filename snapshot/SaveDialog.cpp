#include "snapshot/SaveDialog.h"

#include "ui/UiHelpers.h"

namespace pagrovix {

std::optional<wxString> SaveDialog::Execute() {
    std::optional<wxString> chosen = UiHelpers::ChooseSaveFile(owner_, filter_, fileName_);
    if (chosen) {
        fileName_ = *chosen;
    }
    return chosen;
}

}  // namespace pagrovix
