#include "app/MainForm.h"

#include <wx/bmpcbox.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/webview.h>

#include "about/AboutForm.h"
#include "app/BrowserEvents.h"
#include "app/MainLayout.h"
#include "app/Startup.h"
#include "capture/PageCapture.h"
#include "capture/WebKitBrowserView.h"
#include "app/WindowCaptureCallbacks.h"
#include "snapshot/SnapshotForm.h"
#include "ui/ProgramArt.h"
#include "ui/UiHelpers.h"

namespace pagrovix {

TfrmMain::TfrmMain(const MainWindowStart& start)
    : wxFrame(nullptr, wxID_ANY, "#"),
      startFolder_(start.startFolder),
      homeAddress_(start.homeAddress) {
    FReady = false;
    UiHelpers::SetApplicationTitle("Pagrovix");
    SetTitle("Pagrovix");
    SetIcons(ProductIcons());
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));

    CreateToolStrip();
    CreateStatusBar();
    cboAddress->SetValue(wxString::FromUTF8(StartAddress(start.arguments)));
    // The engine opens a page as it is created; let that be the start page, so no other page
    // (and no stray history entry) comes first.
    const std::string startUrl = AddressUrl();
    CreateBrowserArea(startUrl.empty() ? "about:blank" : startUrl);
    SetClientSize(706, 428);
    SetMinSize(wxSize(kMinWindowWidth, kMinWindowHeight));

    // The page may open no dialog or window of its own; its notifications drive this window.
    browserEvents_ = std::make_unique<BrowserEvents>(
        WebBrowser1,
        BrowserEvents::Handlers{
            [this](const std::string& text) { WebBrowser1StatusTextChange(text); },
            [this](int progress, int progressMax) {
                WebBrowser1ProgressChange(progress, progressMax);
            },
            [this](int command, bool enable) { WebBrowser1CommandStateChange(command, enable); },
            [this](const std::string& title) { WebBrowser1TitleChange(title); },
            [this](const std::string& address, bool linkClick) {
                WebBrowser1NewWindow2(address, linkClick);
            }});
    captureView_ = std::make_unique<WebKitBrowserView>(WebBrowser1, Panel1);
    capture_ = std::make_unique<PageCapture>(*captureView_,
                                             WindowCaptureCallbacks(this, [this](Bitmap24 picture) {
                                                 ShowSnapshotWindow(this, std::move(picture));
                                             }));
    BindHandlers();

    NavigateToAddress();
    FReady = true;
}

TfrmMain::~TfrmMain() {
    // The engine's signals stop before the window's controls go.
    capture_.reset();
    captureView_.reset();
    browserEvents_.reset();
    PageBitmap = Bitmap24();
}

void TfrmMain::BindHandlers() {
    Bind(wxEVT_SIZE, &TfrmMain::FormResize, this);
    Bind(wxEVT_CHAR_HOOK, &TfrmMain::FormKeyDown, this);
    Bind(wxEVT_CLOSE_WINDOW, &TfrmMain::FormClose, this);
    Bind(wxEVT_MENU, &TfrmMain::FormSysCommand, this, kAboutCommand);
    for (wxWindow* strip : {static_cast<wxWindow*>(CoolBar1), static_cast<wxWindow*>(pnlToolbar),
                            static_cast<wxWindow*>(tlbToolbar), static_cast<wxWindow*>(tlbGo)}) {
        strip->Bind(wxEVT_CONTEXT_MENU, &TfrmMain::ToolStripContextMenu, this);
    }
    StatusBar1->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        PlaceProgressBar();
    });

    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnBackClick, this, btnBack);
    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnForwardClick, this, btnForward);
    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnStopClick, this, btnStop);
    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnRefreshClick, this, btnRefresh);
    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnHomeClick, this, btnHome);
    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnSnapshotClick, this, btnSnapshot);
    tlbToolbar->Bind(wxEVT_TOOL, &TfrmMain::btnOpenClick, this, btnOpen);
    tlbGo->Bind(wxEVT_TOOL, &TfrmMain::btnGoClick, this, btnGo);
    cboAddress->Bind(wxEVT_COMBOBOX, &TfrmMain::cboAddressClick, this);
    cboAddress->Bind(wxEVT_TEXT, &TfrmMain::cboAddressChange, this);
}

void TfrmMain::FormResize(wxSizeEvent& event) {
    event.Skip();
    if (IsIconized()) {
        return;
    }
    // A failing layout pass is dropped; the next resize lays the window out again.
    try {
        const wxSize outer = GetSize();
        const WindowSize allowed = ClampWindowSize({outer.x, outer.y});
        if (allowed.width != outer.x || allowed.height != outer.y) {
            SetSize(allowed.width, allowed.height);
        }
        const wxSize client = GetClientSize();
        CoolBar1->SetSize(0, 0, client.x, kCoolBarHeight);
        pnlToolbar->SetSize(0, kCoolBarEdge, client.x, kCoolBarHeight - 2 * kCoolBarEdge);

        ToolStripMeasures measures;
        measures.panelClientWidth = pnlToolbar->GetClientSize().x;
        measures.panelClientHeight = pnlToolbar->GetClientSize().y;
        measures.toolbarLeft = tlbToolbar->GetPosition().x;
        measures.toolbarWidth = tlbToolbar->GetSize().x;
        measures.goWidth = tlbGo->GetSize().x;
        measures.goHeight = tlbGo->GetSize().y;
        measures.addressHeight = cboAddress->GetSize().y;
        const ToolStripPlacement place = PlaceToolStrip(measures);
        tlbGo->Move(place.goLeft, place.goTop);
        cboAddress->SetSize(place.addressLeft, place.addressTop, std::max(place.addressWidth, 1),
                            measures.addressHeight);

        Panel1->SetSize(0, kCoolBarHeight, client.x, std::max(client.y - kCoolBarHeight, 0));
        // A running capture sizes the browser itself, and gives it back the panel's size after.
        if (!Capturing()) {
            WebBrowser1->SetSize(0, 0, Panel1->GetClientSize().x, Panel1->GetClientSize().y);
        }

        const StatusPanelWidths panels = PlaceStatusPanels(client.x);
        const int widths[] = {panels.text, panels.progress, panels.end};
        StatusBar1->SetStatusWidths(3, widths);
        PlaceProgressBar();
    } catch (...) {
        // A layout pass that fails keeps the last layout: it runs at every resize, and an error
        // box for each would make the window unusable.
    }
}

void TfrmMain::PlaceProgressBar() {
    wxRect panel;
    if (StatusBar1->GetFieldRect(1, panel)) {
        ProgressBar1->SetSize(panel);
    }
}

void TfrmMain::FormKeyDown(wxKeyEvent& event) {
    if (Capturing()) {
        return;
    }
    // Seen before the focused control, the page included; F5 reloads and still reaches it.
    switch (event.GetKeyCode()) {
        case WXK_F5:
            WebBrowser1->Reload();
            break;
        case WXK_F1: {
            wxCommandEvent about(wxEVT_MENU, kAboutCommand);
            FormSysCommand(about);
            return;
        }
        default:
            break;
    }
    const wxWindow* focus = FindFocus();
    if (focus && (focus == cboAddress || focus->GetParent() == cboAddress)) {
        cboAddressKeyDown(event);
        return;
    }
    event.Skip();
}

void TfrmMain::FormClose(wxCloseEvent& event) {
    // The browser must be back in its place before the window goes: close once the capture ends.
    if (Capturing() && event.CanVeto()) {
        event.Veto();
        capture_->WhenFinished([this] { Close(); });
        return;
    }
    event.Skip();
}

bool TfrmMain::Capturing() const {
    return capture_ && capture_->IsRunning();
}

void TfrmMain::FormSysCommand(wxCommandEvent&) {
    if (FReady && !Capturing()) {
        ShowAboutWindow();
    }
}

void TfrmMain::ShowAboutWindow() {
    TfrmAbout about(this);
    about.AppName = "Pagrovix";
    about.AppVersion = PAGROVIX_VERSION;
    about.AppYear = "2009";
    about.ShowModal();
}

void TfrmMain::ToolStripContextMenu(wxContextMenuEvent& event) {
    // The address box keeps its own menu (cut, copy, paste).
    if (event.GetEventObject() == cboAddress) {
        event.Skip();
        return;
    }
    wxMenu menu;
    menu.Append(kAboutCommand, "&About...");
    PopupMenu(&menu);
}

void TfrmMain::btnSnapshotClick(wxCommandEvent&) {
    CapturePage();
}

void TfrmMain::CapturePage() {
    capture_->Run(PageBitmap);
}

}  // namespace pagrovix
