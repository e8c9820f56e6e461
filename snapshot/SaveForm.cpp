#include "snapshot/SaveForm.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include "snapshot/CornerInput.h"
#include "snapshot/CommandErrors.h"
#include "snapshot/FormLook.h"
#include "snapshot/FormPlacement.h"
#include "snapshot/NumberField.h"
#include "ui/UiHelpers.h"

namespace pagrovix {

TfrmSave::TfrmSave(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Save", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    FormCreate();
}

TfrmSave::~TfrmSave() {
    // The controls' handlers use this window's members: the controls go first.
    DestroyChildren();
}

void TfrmSave::FormCreate() {
    SetFont(FormFont());
    SetClientSize(265, 129);
    // Neither button is the default or the cancel button: Enter and Escape press neither.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { CloseForm(this); });
    Bind(wxEVT_PAINT, &TfrmSave::FormPaint, this);

    // Created in tab order: the buttons first, then the format choice.
    Button1 = new wxButton(this, wxID_ANY, "Save", wxPoint(56, 98), wxSize(74, 23));
    Button2 = new wxButton(this, wxID_ANY, "Cancel", wxPoint(136, 98), wxSize(74, 23));
    RadioButton1 =
        new wxRadioButton(this, wxID_ANY, "*.JPG", wxPoint(19, 27), wxSize(49, 17), wxRB_GROUP);
    RadioButton2 = new wxRadioButton(this, wxID_ANY, "*.PNG", wxPoint(19, 55), wxSize(51, 17));
    // The toolkit's radio buttons may need a little more room than the given size.
    for (wxWindow* radio :
         {static_cast<wxWindow*>(RadioButton1), static_cast<wxWindow*>(RadioButton2)}) {
        wxSize size = radio->GetSize();
        size.IncTo(radio->GetBestSize());
        radio->SetSize(size);
    }
    Label1 = new wxStaticText(this, wxID_ANY, "Compression Quality:", wxPoint(80, 29));
    Label2 = new wxStaticText(this, wxID_ANY, "Compression Level:", wxPoint(80, 57));
    SpinEdit1 = new NumberField(this, wxPoint(188, 24), wxSize(52, 22), kJpegQualityRange,
                                kDefaultJpegQuality);
    SpinEdit2 =
        new NumberField(this, wxPoint(188, 52), wxSize(52, 22), kPngLevelRange, kDefaultPngLevel);
    SpinEdit1->DisableFocusFromKeyboard();
    SpinEdit2->DisableFocusFromKeyboard();

    RadioButton1->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { RadioButton1Click(); });
    RadioButton2->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { RadioButton2Click(); });
    Button1->Bind(wxEVT_BUTTON,
                  [this](wxCommandEvent&) { ReportErrors([this] { Button1Click(); }); });
    Button2->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Button2Click(); });

    RadioButton2->SetValue(true);
    RadioButton2Click();
    // The focus starts on the first control in tab order.
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
        event.Skip();
        Button1->SetFocus();
    });
    if (GetParent()) {
        CentreOnParent();
    }
}

void TfrmSave::FormPaint(wxPaintEvent&) {
    // Bevel1: a sunken frame line around the format choice.
    wxPaintDC dc(this);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
    dc.DrawRectangle(8, 12, 248, 76);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT)));
    dc.DrawRectangle(9, 13, 248, 76);
}

void TfrmSave::RadioButton1Click() {
    Label1->Enable(true);
    SpinEdit1->Enable(true);
    Label2->Enable(false);
    SpinEdit2->Enable(false);
}

void TfrmSave::RadioButton2Click() {
    Label1->Enable(false);
    SpinEdit1->Enable(false);
    Label2->Enable(true);
    SpinEdit2->Enable(true);
}

void TfrmSave::Button1Click() {
    ResultFileName.clear();
    const bool jpeg = RadioButton1->GetValue();
    NumberField* field = jpeg ? SpinEdit1 : SpinEdit2;
    // The value read is the one the field shows once it has been left: within the range, or the
    // minimum for a text that is no whole number.
    ResultValue = field->GetValue();
    field->SetValue(ResultValue);
    SaveDialog1.SetFilter(jpeg ? "*.JPG|*.jpg" : "*.PNG|*.png");
    if (const std::optional<wxString> chosen = SaveDialog1.Execute()) {
        // The file dialog asked about the name before the extension was added; a file of the
        // final name is not replaced without a question of its own.
        if (const std::optional<wxString> path =
                UiHelpers::ConfirmedSavePath(*chosen, jpeg ? ".jpg" : ".png")) {
            ResultFileName = *path;
        }
    }
    if (!TrimBlanks(ResultFileName.utf8_string()).empty()) {
        EndModal(wxID_OK);
    }
}

void TfrmSave::Button2Click() {
    EndModal(wxID_CANCEL);
}

}  // namespace pagrovix
