// The main window's browser commands, its address box and the browser's notifications.
#include <wx/bmpcbox.h>
#include <wx/gauge.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/webview.h>

#include "app/BrowserEvents.h"
#include "app/BrowserProgress.h"
#include "app/MainForm.h"
#include "ui/AddressRules.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

AddressKey AddressKeyOf(int keyCode) {
    switch (keyCode) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return AddressKey::Up;
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            return AddressKey::Left;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return AddressKey::Down;
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            return AddressKey::Right;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            return AddressKey::Enter;
        default:
            return AddressKey::Other;
    }
}

}  // namespace

std::string TfrmMain::AddressUrl() const {
    return MakeUrl(TrimAddress(cboAddress->GetValue().utf8_string()), startFolder_);
}

void TfrmMain::NavigateToAddress() {
    // Input that arrives while a capture lets events through must not change the page.
    if (Capturing()) {
        return;
    }
    const std::string url = AddressUrl();
    if (url.empty()) {
        return;
    }
    WebBrowser1->LoadURL(wxString::FromUTF8(url));
}

void TfrmMain::btnGoClick(wxCommandEvent&) {
    NavigateToAddress();
}

void TfrmMain::btnBackClick(wxCommandEvent&) {
    if (Capturing()) {
        return;
    }
    WebBrowser1->GoBack();
}

void TfrmMain::btnForwardClick(wxCommandEvent&) {
    if (Capturing()) {
        return;
    }
    WebBrowser1->GoForward();
}

void TfrmMain::btnStopClick(wxCommandEvent&) {
    if (Capturing()) {
        return;
    }
    WebBrowser1->Stop();
}

void TfrmMain::btnRefreshClick(wxCommandEvent&) {
    if (Capturing()) {
        return;
    }
    WebBrowser1->Reload();
}

void TfrmMain::btnHomeClick(wxCommandEvent&) {
    if (Capturing()) {
        return;
    }
    WebBrowser1->Stop();
    WebBrowser1->LoadURL(wxString::FromUTF8(homeAddress_));
}

void TfrmMain::btnOpenClick(wxCommandEvent&) {
    if (Capturing()) {
        return;
    }
    try {
        const auto path = UiHelpers::ChooseOpenFile(this, "*.htm;*.html|*.htm;*.html",
                                                    wxString::FromUTF8(startFolder_));
        if (path) {
            cboAddress->SetValue(*path);
            NavigateToAddress();
        }
    } catch (...) {
        // An Open that fails (no dialog, an address the view refuses) leaves the page as it was;
        // the person sees that nothing was opened and can try again.
    }
}

void TfrmMain::cboAddressClick(wxCommandEvent&) {
    NavigateToAddress();
}

void TfrmMain::cboAddressKeyDown(wxKeyEvent& event) {
    const AddressKeyOutcome outcome = HandleAddressKey(
        AddressKeyOf(event.GetKeyCode()), cboAddress->GetSelection(), cboAddress->GetCount());
    if (!outcome.consumed) {
        event.Skip();
        return;
    }
    if (outcome.index != cboAddress->GetSelection()) {
        cboAddress->SetSelection(outcome.index);
        cboAddress->SelectAll();
    }
    if (outcome.navigate) {
        NavigateToAddress();
    }
}

void TfrmMain::cboAddressChange(wxCommandEvent& event) {
    event.Skip();
    try {
        const int index =
            IndexAfterTextChange(cboAddress->GetValue().utf8_string(), cboAddress->GetSelection());
        if (index != cboAddress->GetSelection()) {
            cboAddress->SetSelection(index);
        }
    } catch (...) {
        // The history's selection is a convenience: a failure here must not interrupt typing.
    }
}

void TfrmMain::WebBrowser1StatusTextChange(const std::string& text) {
    StatusBar1->SetStatusText(wxString::FromUTF8(text), 0);
}

void TfrmMain::WebBrowser1ProgressChange(int progress, int progressMax) {
    const ProgressBarLook look = LookForProgress(progress, progressMax);
    const int styles[] = {wxSB_SUNKEN, look.loweredPanel ? wxSB_SUNKEN : wxSB_FLAT, wxSB_SUNKEN};
    StatusBar1->SetStatusStyles(3, styles);
    ProgressBar1->Show(look.visible);
    ProgressBar1->SetRange(look.range);
    ProgressBar1->SetValue(look.value);
}

void TfrmMain::WebBrowser1CommandStateChange(int command, bool enable) {
    if (command == kCommandNavigateForward) {
        tlbToolbar->EnableTool(btnForward, enable);
    } else if (command == kCommandNavigateBack) {
        tlbToolbar->EnableTool(btnBack, enable);
    }
}

void TfrmMain::WebBrowser1TitleChange(const std::string& title) {
    const wxString caption = wxString::FromUTF8(title);
    UiHelpers::SetApplicationTitle(caption);
    SetTitle(caption);
    const auto visit = history_.Visit(WebBrowser1->GetCurrentURL().utf8_string());
    if (!visit) {
        return;
    }
    if (visit->inserted) {
        cboAddress->Insert(wxString::FromUTF8(history_.Items().front()), istAddress_, 0);
    }
    if (visit->droppedLast) {
        cboAddress->Delete(cboAddress->GetCount() - 1);
    }
    cboAddress->SetSelection(visit->selected);
}

void TfrmMain::WebBrowser1NewWindow2(const std::string& address, bool linkClick) {
    // Only a person's click on a link opens another window; scripted pop-ups open nothing.
    try {
        if (linkClick) {
            UiHelpers::StartNewInstance(wxString::FromUTF8(address));
        }
    } catch (...) {
        // The link then opens nowhere, as a blocked pop-up would: the page shown stays usable.
    }
}

}  // namespace pagrovix
