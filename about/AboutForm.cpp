#include "about/AboutForm.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
// After wx/stattext.h, which it would otherwise keep from declaring wxStaticText.
#include <wx/generic/stattextg.h>

#include "about/AboutLayout.h"
#include "ui/ProgramArt.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

const wxRect kBackground(7, 7, 282, 147);
const wxColour kLinkColour(0, 0, 255);
const wxColour kPressedLinkColour(255, 0, 0);

wxGenericStaticText* NewLinkLabel(wxWindow* parent, const wxString& text, wxPoint position) {
    auto* label = new wxGenericStaticText(parent, wxID_ANY, text, position);
    label->SetFont(parent->GetFont().Underlined());
    label->SetForegroundColour(kLinkColour);
    label->SetBackgroundColour(*wxWHITE);
    label->SetCursor(wxCursor(wxCURSOR_HAND));
    label->SetSize(label->GetBestSize());
    return label;
}

}  // namespace

TfrmAbout::TfrmAbout(wxWindow* owner)
    : wxDialog(owner, wxID_ANY, "About", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetClientSize(kAboutClientWidth, kAboutClientHeight);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));

    imgIcon = new wxStaticBitmap(this, wxID_ANY, ProductIcon().GetBitmap(wxSize(32, 32)),
                                 wxPoint(14, 19), wxSize(32, 32));
    lblTitle = new wxStaticText(this, wxID_ANY, "#", wxPoint(57, 27));
    wxFont titleFont = GetFont().Bold();
    titleFont.SetPointSize(titleFont.GetPointSize() + 2);
    lblTitle->SetFont(titleFont);
    lblVersion = new wxStaticText(this, wxID_ANY, "#", wxPoint(57, 56));
    lblCopyright = new wxStaticText(this, wxID_ANY, "#", wxPoint(46, 73));

    lblEmail = new wxStaticText(this, wxID_ANY, "Our Mail:", wxPoint(66, 105));
    lblWebsite = new wxStaticText(this, wxID_ANY, "Our Site:", wxPoint(66, 122));
    const int linkLeft = LinkLeft(
        115, std::max(lblEmail->GetRect().GetRight() + 1, lblWebsite->GetRect().GetRight() + 1));
    lblEmailAddr = NewLinkLabel(this, kMakerEmail, wxPoint(linkLeft, 105));
    lblWebsiteAddr = NewLinkLabel(this, kMakerWebsite, wxPoint(linkLeft, 122));

    btnOK = new wxButton(this, wxID_OK, "OK", wxPoint(110, 163), wxSize(74, 23));
    btnOK->SetDefault();
    SetEscapeId(wxID_NONE);  // there is no cancel button, so Escape closes nothing

    btnOK->Bind(wxEVT_BUTTON, &TfrmAbout::btnOKClick, this);
    Bind(wxEVT_PAINT, &TfrmAbout::FormPaint, this);
    Bind(wxEVT_INIT_DIALOG, &TfrmAbout::FormShow, this);
    for (wxWindow* link :
         {static_cast<wxWindow*>(lblEmailAddr), static_cast<wxWindow*>(lblWebsiteAddr)}) {
        link->Bind(wxEVT_LEFT_DOWN, &TfrmAbout::LabelMouseDown, this);
        link->Bind(wxEVT_LEFT_UP, &TfrmAbout::LabelMouseUp, this);
    }
    FormCreate();
    CentreOnScreen();
}

void TfrmAbout::FormCreate() {
    AppName = "Qorvan";
    AppVersion = "1.00";
    AppYear = "2008";
}

void TfrmAbout::FormShow(wxInitDialogEvent& event) {
    event.Skip();
    const int width = GetClientSize().x;
    lblTitle->SetLabel(AppName);
    lblTitle->Move(CentredLeft(width, lblTitle->GetSize().x), lblTitle->GetPosition().y);
    imgIcon->Move(IconLeftOfTitle(lblTitle->GetPosition().x, imgIcon->GetSize().x),
                  imgIcon->GetPosition().y);
    lblVersion->SetLabel(wxString::FromUTF8(VersionLine(AppVersion.utf8_string())));
    lblVersion->Move(CentredLeft(width, lblVersion->GetSize().x), lblVersion->GetPosition().y);
    lblCopyright->SetLabel(wxString::FromUTF8(CopyrightLine(AppYear.utf8_string())));
    lblCopyright->Move(CentredLeft(width, lblCopyright->GetSize().x),
                       lblCopyright->GetPosition().y);
}

void TfrmAbout::FormPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetPen(*wxWHITE_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(kBackground);
    // A lowered frame: shadow above and left, light below and right.
    const wxRect frame = wxRect(kBackground).Inflate(1);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.DrawLine(frame.GetLeft(), frame.GetBottom(), frame.GetLeft(), frame.GetTop());
    dc.DrawLine(frame.GetLeft(), frame.GetTop(), frame.GetRight(), frame.GetTop());
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT)));
    dc.DrawLine(frame.GetRight(), frame.GetTop(), frame.GetRight(), frame.GetBottom());
    dc.DrawLine(frame.GetRight(), frame.GetBottom(), frame.GetLeft() - 1, frame.GetBottom());
}

void TfrmAbout::btnOKClick(wxCommandEvent&) {
    EndModal(wxID_OK);
}

void TfrmAbout::LabelMouseDown(wxMouseEvent& event) {
    auto* label = static_cast<wxWindow*>(event.GetEventObject());
    pressedLink_ = label;
    label->SetForegroundColour(kPressedLinkColour);
    label->Refresh();
}

void TfrmAbout::LabelMouseUp(wxMouseEvent& event) {
    auto* label = static_cast<wxWindow*>(event.GetEventObject());
    label->SetForegroundColour(kLinkColour);
    label->Refresh();
    const bool clicked =
        pressedLink_ == label && label->GetClientRect().Contains(event.GetPosition());
    pressedLink_ = nullptr;
    if (clicked && label == lblEmailAddr) {
        lblEmailAddrClick();
    } else if (clicked && label == lblWebsiteAddr) {
        lblWebsiteAddrClick();
    }
}

void TfrmAbout::lblEmailAddrClick() {
    UiHelpers::OpenMailLink();
}

void TfrmAbout::lblWebsiteAddrClick() {
    UiHelpers::OpenWebsiteLink();
}

}  // namespace pagrovix
