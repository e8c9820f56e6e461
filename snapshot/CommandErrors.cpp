#include "snapshot/CommandErrors.h"

#include <exception>
#include <new>

#include "ui/UiHelpers.h"

namespace pagrovix {

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

}  // namespace pagrovix
