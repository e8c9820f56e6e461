#include "tests/capture/CaptureHarness.h"

#include <webkit2/webkit2.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/webview.h>

#include "tests/support/GuiTest.h"

namespace pagrovix::test {

CaptureHarness::CaptureHarness() {
    frame = new wxFrame(nullptr, wxID_ANY, "Capture test", wxPoint(0, 0), wxSize(900, 700));
    panel = new wxPanel(frame, wxID_ANY);
    panel->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxPaintDC dc(panel);
        wxFont font = dc.GetFont();
        font.MakeBold();
        dc.SetFont(font);
        const wxString text = "Please wait...";
        const wxSize size = dc.GetTextExtent(text);
        const wxSize client = panel->GetClientSize();
        dc.DrawText(text, (client.x - size.x) / 2, (client.y - size.y) / 2);
    });
    view = wxWebView::New(panel, wxID_ANY, "about:blank", wxPoint(0, 0), panel->GetClientSize());
    panel->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        view->SetSize(0, 0, event.GetSize().x, event.GetSize().y);
    });
    frame->Show();
    WaitUntil([this] {
        return gtk_widget_get_allocated_width(GTK_WIDGET(view->GetNativeBackend())) ==
                   panel->GetClientSize().x &&
               !webkit_web_view_is_loading(WEBKIT_WEB_VIEW(view->GetNativeBackend()));
    });
}

CaptureHarness::~CaptureHarness() {
    frame->Destroy();
    ProcessEvents();
}

bool CaptureHarness::Load(const std::string& path) {
    const wxString url = path.find("://") != std::string::npos ? path : "file://" + path;
    view->LoadURL(url);
    auto* engine = WEBKIT_WEB_VIEW(view->GetNativeBackend());
    return WaitUntil(
        [&] {
            const char* uri = webkit_web_view_get_uri(engine);
            return uri && url == uri && !webkit_web_view_is_loading(engine);
        },
        std::chrono::seconds(30));
}

std::string CaptureHarness::Script(const std::string& script) {
    wxString output;
    if (!view->RunScript(script, &output)) {
        return "";
    }
    return output.utf8_string();
}

PageCapture::Callbacks ErrorsOnlyCallbacks(std::vector<std::string>& errors) {
    PageCapture::Callbacks callbacks;
    callbacks.setBusy = [](bool) {};
    callbacks.showError = [&errors](const std::string& text) { errors.push_back(text); };
    callbacks.showPicture = [](const Bitmap24&) {};
    callbacks.saveTallPage = [](const Bitmap24&) {};
    return callbacks;
}

}  // namespace pagrovix::test
