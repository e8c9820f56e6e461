#pragma once

#include <optional>

#include <wx/string.h>

class wxWindow;

namespace pagrovix {

// A window's save-file dialog: it asks before replacing an existing file and opens with the full
// path chosen in it last time, for as long as the dialog object lives.
class SaveDialog {
public:
    explicit SaveDialog(wxWindow* owner) : owner_(owner) {}

    void SetFilter(const wxString& filter) { filter_ = filter; }
    // The chosen path, or nothing when the user cancelled.
    std::optional<wxString> Execute();
    const wxString& FileName() const { return fileName_; }

private:
    wxWindow* owner_;
    wxString filter_;
    wxString fileName_;
};

}  // namespace pagrovix
