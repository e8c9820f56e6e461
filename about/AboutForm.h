#pragma once

#include <wx/dialog.h>

class wxButton;
class wxCommandEvent;
class wxGenericStaticText;
class wxInitDialogEvent;
class wxMouseEvent;
class wxPaintEvent;
class wxStaticBitmap;
class wxStaticText;
class wxWindow;

namespace pagrovix {

// The About window: product name, version and year, and the maker's two contact links.
class TfrmAbout : public wxDialog {
public:
    explicit TfrmAbout(wxWindow* owner);

    // Set by the opener before the window is shown.
    wxString AppName;
    wxString AppVersion;
    wxString AppYear;

    wxStaticBitmap* imgIcon = nullptr;
    wxStaticText* lblTitle = nullptr;
    wxStaticText* lblVersion = nullptr;
    wxStaticText* lblCopyright = nullptr;
    wxStaticText* lblEmail = nullptr;
    wxGenericStaticText* lblEmailAddr = nullptr;
    wxStaticText* lblWebsite = nullptr;
    wxGenericStaticText* lblWebsiteAddr = nullptr;
    wxButton* btnOK = nullptr;

private:
    void FormCreate();
    void FormShow(wxInitDialogEvent& event);
    void FormPaint(wxPaintEvent& event);
    void btnOKClick(wxCommandEvent& event);
    void LabelMouseDown(wxMouseEvent& event);
    void LabelMouseUp(wxMouseEvent& event);
    void lblEmailAddrClick();
    void lblWebsiteAddrClick();

    wxWindow* pressedLink_ = nullptr;
};

}  // namespace pagrovix
