#pragma once

#include <memory>
#include <string>
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/frame.h>

#include "app/AddressHistory.h"
#include "imaging/Bitmap24.h"

class wxBitmapComboBox;
class wxGauge;
class wxPanel;
class wxStatusBar;
class wxToolBar;
class wxWebView;

namespace pagrovix {

class BrowserEvents;
class PageCapture;
class WebKitBrowserView;

// What the main window is started with.
struct MainWindowStart {
    std::vector<std::string> arguments;  // the command line after the program's name
    std::string startFolder;             // relative file paths typed by the user start here
    std::string homeAddress;             // the Home button's page
};

// The identifier of the About command.
inline constexpr int kAboutCommand = 9999;

// The main window: a small web browser with the Snapshot command.
class TfrmMain : public wxFrame {
public:
    explicit TfrmMain(const MainWindowStart& start);
    ~TfrmMain() override;

    // Takes the address box's text, trimmed, to the browser; does nothing for an empty text.
    void NavigateToAddress();
    // The full-page capture behind the Snapshot button.
    void CapturePage();

    // Tool strip.
    wxPanel* CoolBar1 = nullptr;  // the band across the top that holds the tool strip
    wxPanel* pnlToolbar = nullptr;
    wxToolBar* tlbToolbar = nullptr;
    wxBitmapComboBox* cboAddress = nullptr;
    wxToolBar* tlbGo = nullptr;
    // Browser area and status bar.
    wxPanel* Panel1 = nullptr;          // the browser's area; shows "Please wait..." while it hides
    wxWebView* WebBrowser1 = nullptr;   // the browser itself
    wxStatusBar* StatusBar1 = nullptr;  // status text, download progress and the end panel
    wxGauge* ProgressBar1 = nullptr;    // the download progress in the status bar's second panel

    // Tool identifiers of the buttons.
    enum ToolId {
        btnBack = 100,
        btnForward,
        btnStop,
        btnRefresh,
        btnHome,
        btnSnapshot,
        btnOpen,
        btnGo,
    };

    // The capture's picture of the whole page.
    Bitmap24 PageBitmap;
    // True from the end of the window's creation on; the About command waits for it.
    bool FReady = false;

    // True while a capture runs; the window then takes no command that would disturb it.
    bool Capturing() const;

    const AddressHistory& History() const { return history_; }
    const std::string& HomeAddress() const { return homeAddress_; }

private:
    void CreateToolStrip();
    void CreateBrowserArea(const std::string& firstUrl);
    std::string AddressUrl() const;
    void CreateStatusBar();
    void BindHandlers();
    void PlaceProgressBar();
    void ShowAboutWindow();

    // Window handlers.
    void FormResize(wxSizeEvent& event);
    void FormKeyDown(wxKeyEvent& event);
    void FormClose(wxCloseEvent& event);
    void FormSysCommand(wxCommandEvent& event);
    void ToolStripContextMenu(wxContextMenuEvent& event);
    void btnSnapshotClick(wxCommandEvent& event);

    // Browser commands and the address box.
    void btnGoClick(wxCommandEvent& event);
    void btnBackClick(wxCommandEvent& event);
    void btnForwardClick(wxCommandEvent& event);
    void btnStopClick(wxCommandEvent& event);
    void btnRefreshClick(wxCommandEvent& event);
    void btnHomeClick(wxCommandEvent& event);
    void btnOpenClick(wxCommandEvent& event);
    void cboAddressClick(wxCommandEvent& event);
    void cboAddressKeyDown(wxKeyEvent& event);
    void cboAddressChange(wxCommandEvent& event);

    // Browser notifications.
    void WebBrowser1StatusTextChange(const std::string& text);
    void WebBrowser1ProgressChange(int progress, int progressMax);
    void WebBrowser1CommandStateChange(int command, bool enable);
    void WebBrowser1TitleChange(const std::string& title);
    void WebBrowser1NewWindow2(const std::string& address, bool linkClick);

    std::string startFolder_;
    std::string homeAddress_;
    AddressHistory history_;
    wxBitmapBundle istAddress_;
    std::unique_ptr<BrowserEvents> browserEvents_;
    std::unique_ptr<WebKitBrowserView> captureView_;
    std::unique_ptr<PageCapture> capture_;
};

}  // namespace pagrovix
