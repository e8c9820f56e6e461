#pragma once

#include <wx/dialog.h>

#include "snapshot/SaveDialog.h"

class wxButton;
class wxRadioButton;
class wxStaticText;

namespace pagrovix {

class NumberField;

// The save-options dialog of "Save As...": JPEG with a quality or PNG with a compression level,
// and the file to write. It closes with wxID_OK once a file is chosen, with wxID_CANCEL through
// "Cancel" or the close box; nothing is remembered from one use to the next.
class TfrmSave : public wxDialog {
public:
    explicit TfrmSave(wxWindow* parent);
    ~TfrmSave() override;

    // The chosen path with its extension ensured, empty unless a file was chosen; the quality
    // or level of the chosen format.
    wxString ResultFileName;
    int ResultValue = 0;

    wxRadioButton* RadioButton1 = nullptr;  // chooses JPEG
    wxRadioButton* RadioButton2 = nullptr;  // chooses PNG
    wxStaticText* Label1 = nullptr;         // "Compression Quality:", JPEG's caption
    wxStaticText* Label2 = nullptr;         // "Compression Level:", PNG's caption
    NumberField* SpinEdit1 = nullptr;       // the JPEG quality, 0 to 100
    NumberField* SpinEdit2 = nullptr;       // the PNG level, 0 to 9
    wxButton* Button1 = nullptr;            // "Save": asks for the file name
    wxButton* Button2 = nullptr;            // "Cancel"

private:
    void FormCreate();
    void FormPaint(wxPaintEvent& event);
    void RadioButton1Click();
    void RadioButton2Click();
    void Button1Click();
    void Button2Click();

    SaveDialog SaveDialog1{this};  // the file dialog behind "Save"
};

}  // namespace pagrovix
