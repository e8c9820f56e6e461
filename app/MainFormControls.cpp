// Building the main window's controls.
#include <algorithm>
#include <initializer_list>

#include <wx/bmpcbox.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/webview.h>

#include "app/MainForm.h"
#include "app/MainLayout.h"
#include "app/ToolStripStyle.h"
#include "ui/ProgramArt.h"

namespace pagrovix {
namespace {

constexpr int kToolPictureSize = 24;
constexpr int kGoPictureSize = 20;
constexpr int kAddressPictureSize = 16;
const wxSize kToolSize(52, 44);
const wxSize kGoSize(51, 26);

wxBitmapBundle DisabledLook(const wxBitmapBundle& picture) {
    return wxBitmapBundle(
        picture.GetBitmap(wxSize(kToolPictureSize, kToolPictureSize)).ConvertToDisabled());
}

// Etched lines above and below the tools, as a docked tool strip has.
void PaintEdges(wxWindow* strip) {
    wxPaintDC dc(strip);
    const wxSize size = strip->GetClientSize();
    const wxPen shadow(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
    const wxPen light(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT));
    for (const int top : {0, size.y - kCoolBarEdge}) {
        dc.SetPen(shadow);
        dc.DrawLine(0, top, size.x, top);
        dc.SetPen(light);
        dc.DrawLine(0, top + 1, size.x, top + 1);
    }
}

// The panel behind the browser shows "Please wait..." wherever the browser leaves it uncovered.
void PaintPleaseWait(wxWindow* panel) {
    wxAutoBufferedPaintDC dc(panel);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    dc.SetFont(panel->GetFont().Bold());
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    const wxString caption = "Please wait...";
    const wxSize text = dc.GetTextExtent(caption);
    const wxSize size = panel->GetClientSize();
    dc.DrawText(caption, (size.x - text.x) / 2, (size.y - text.y) / 2);
}

// The largest size from the desktop's font size down at which every caption fits room pixels.
double CaptionPointsFitting(std::initializer_list<const char*> captions, int room) {
    const wxFont normal = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    wxMemoryDC dc;
    return FittingCaptionPoints(normal.GetFractionalPointSize(), 7.0, room, [&](double points) {
        wxFont font = normal;
        font.SetFractionalPointSize(points);
        dc.SetFont(font);
        int widest = 0;
        for (const char* caption : captions) {
            widest = std::max(widest, dc.GetTextExtent(caption).x);
        }
        return widest;
    });
}

}  // namespace

void TfrmMain::CreateToolStrip() {
    CoolBar1 = new wxPanel(this, wxID_ANY, wxPoint(0, 0), wxSize(706, kCoolBarHeight),
                           wxBORDER_NONE | wxTAB_TRAVERSAL);
    CoolBar1->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { PaintEdges(CoolBar1); });
    pnlToolbar = new wxPanel(CoolBar1, wxID_ANY, wxPoint(0, kCoolBarEdge),
                             wxSize(706, kCoolBarHeight - 2 * kCoolBarEdge), wxBORDER_NONE);

    tlbToolbar = new wxToolBar(pnlToolbar, wxID_ANY, wxPoint(0, 0), wxSize(372, 44),
                               wxTB_FLAT | wxTB_TEXT | wxTB_NODIVIDER | wxTB_HORIZONTAL);
    tlbToolbar->SetToolBitmapSize(wxSize(kToolPictureSize, kToolPictureSize));
    const auto addTool = [this](int id, const wxString& caption, Picture picture) {
        const wxBitmapBundle image = ThemePicture(picture, kToolPictureSize);
        tlbToolbar->AddTool(id, caption, image, DisabledLook(image), wxITEM_NORMAL, caption);
    };
    addTool(btnBack, "Back", Picture::Back);
    addTool(btnForward, "Forward", Picture::Forward);
    addTool(btnStop, "Stop", Picture::Stop);
    addTool(btnRefresh, "Refresh", Picture::Refresh);
    addTool(btnHome, "Home", Picture::Home);
    tlbToolbar->AddSeparator();
    addTool(btnSnapshot, "Snapshot", Picture::Snapshot);
    addTool(btnOpen, "Open", Picture::Open);
    tlbToolbar->Realize();

    istAddress_ = BuiltInPicture(Picture::Page, kAddressPictureSize);
    cboAddress = new wxBitmapComboBox(pnlToolbar, wxID_ANY, wxEmptyString, wxPoint(381, 8),
                                      wxSize(145, 22), 0, nullptr, wxCB_DROPDOWN);

    tlbGo = new wxToolBar(pnlToolbar, wxID_ANY, wxPoint(530, 4), kGoSize,
                          wxTB_FLAT | wxTB_HORZ_TEXT | wxTB_NODIVIDER | wxTB_HORIZONTAL);
    tlbGo->SetToolBitmapSize(wxSize(kGoPictureSize, kGoPictureSize));
    tlbGo->AddTool(btnGo, "Go", BuiltInPicture(Picture::Go, kGoPictureSize), "Go");
    tlbGo->Realize();
    // Tool captions fit their 52-pixel buttons; Go's shares their size unless it would not fit.
    const double captionPoints = CaptionPointsFitting(
        {"Back", "Forward", "Stop", "Refresh", "Home", "Snapshot", "Open"}, kToolSize.x - 4);
    const int goRoom = kGoSize.x - 2 - 2 * kGoSidePadding - kGoPictureSize - kGoPictureSpacing;
    StyleToolStrip(tlbToolbar, kToolSize, captionPoints, tlbGo, kGoSize,
                   std::min(captionPoints, CaptionPointsFitting({"Go"}, goRoom)));
    ForwardContextMenuClicks(tlbToolbar);
    ForwardContextMenuClicks(tlbGo);
    tlbToolbar->SetSize(tlbToolbar->GetBestSize());
    tlbGo->SetSize(tlbGo->GetBestSize());
}

void TfrmMain::CreateBrowserArea(const std::string& firstUrl) {
    Panel1 =
        new wxPanel(this, wxID_ANY, wxPoint(0, kCoolBarHeight), wxSize(706, 361), wxBORDER_NONE);
    Panel1->SetBackgroundStyle(wxBG_STYLE_PAINT);
    Panel1->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { PaintPleaseWait(Panel1); });
    WebBrowser1 = wxWebView::New(Panel1, wxID_ANY, wxString::FromUTF8(firstUrl), wxPoint(0, 0),
                                 wxSize(706, 361));
}

void TfrmMain::CreateStatusBar() {
    StatusBar1 = wxFrame::CreateStatusBar(3);
    const int styles[] = {wxSB_SUNKEN, wxSB_SUNKEN, wxSB_SUNKEN};
    StatusBar1->SetStatusStyles(3, styles);
    ProgressBar1 = new wxGauge(StatusBar1, wxID_ANY, 100, wxPoint(360, 376), wxSize(150, 16),
                               wxGA_HORIZONTAL | wxGA_SMOOTH);
    ProgressBar1->Hide();
}

}  // namespace pagrovix
