// The real About window, shown modally and handled with real mouse and keys.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/utils.h>
// After wx/stattext.h, which it would otherwise keep from declaring wxStaticText.
#include <wx/generic/stattextg.h>

#include "about/AboutForm.h"
#include "about/AboutLayout.h"
#include "tests/support/GuiTest.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

using test::ProcessEvents;
using test::WaitUntil;

// Shows the window modally, runs check inside it, and returns what ShowModal returned.
int ShowAndCheck(TfrmAbout& about, const std::function<void(TfrmAbout&)>& check) {
    test::WhenModalShown([&](wxWindow*) {
        check(about);
        if (about.IsModal()) {
            about.EndModal(wxID_CANCEL);
        }
    });
    return about.ShowModal();
}

void ExpectCentred(const wxWindow* label) {
    EXPECT_EQ(label->GetPosition().x, CentredLeft(kAboutClientWidth, label->GetSize().x))
        << label->GetLabel();
}

TEST(AboutWindow, ShowsTheGivenTextsCentred) {
    TfrmAbout about(nullptr);
    about.AppName = "Pagrovix";
    about.AppVersion = "6.30";
    about.AppYear = "2009";
    ShowAndCheck(about, [](TfrmAbout& shown) {
        EXPECT_EQ(shown.GetClientSize(), wxSize(295, 194));
        EXPECT_EQ(shown.GetTitle(), "About");
        EXPECT_EQ(shown.lblTitle->GetLabel(), "Pagrovix");
        EXPECT_EQ(shown.lblVersion->GetLabel(), "Version 6.30");
        EXPECT_TRUE(shown.lblCopyright->GetLabel().Contains("2009"));
        ExpectCentred(shown.lblTitle);
        ExpectCentred(shown.lblVersion);
        ExpectCentred(shown.lblCopyright);
        EXPECT_EQ(shown.imgIcon->GetPosition().x,
                  shown.lblTitle->GetPosition().x - (shown.imgIcon->GetSize().x + 10));
        EXPECT_EQ(shown.lblTitle->GetPosition().y, 27);
        EXPECT_EQ(shown.lblVersion->GetPosition().y, 56);
        EXPECT_EQ(shown.lblCopyright->GetPosition().y, 73);
        // The links never run into their captions.
        EXPECT_GT(shown.lblEmailAddr->GetPosition().x, shown.lblEmail->GetRect().GetRight());
        EXPECT_GT(shown.lblWebsiteAddr->GetPosition().x, shown.lblWebsite->GetRect().GetRight());
        // The links read as the addresses they open, inside the white background.
        EXPECT_EQ(shown.lblEmailAddr->GetLabel(), kMakerEmail);
        EXPECT_EQ(shown.lblWebsiteAddr->GetLabel(), kMakerWebsite);
        EXPECT_LE(shown.lblWebsiteAddr->GetRect().GetRight(), 7 + 282 - 1);
    });
}

TEST(AboutWindow, LinkThatCannotBeOpenedShowsNothing) {
    // No program found to open the link with.
    const wxString path = wxGetenv("PATH");
    wxSetEnv("PATH", "");
    TfrmAbout about(nullptr);
    ShowAndCheck(about, [](TfrmAbout& shown) {
        wxUIActionSimulator mouse;
        for (wxWindow* link : {static_cast<wxWindow*>(shown.lblEmailAddr),
                               static_cast<wxWindow*>(shown.lblWebsiteAddr)}) {
            mouse.MouseMove(link->ClientToScreen(wxPoint(5, 5)));
            ProcessEvents();
            mouse.MouseClick();
            ProcessEvents(std::chrono::milliseconds(500));
            EXPECT_EQ(wxTopLevelWindows.GetCount(), 1u) << link->GetLabel();
        }
    });
    wxSetEnv("PATH", path);
}

TEST(AboutWindow, ShowsItsDefaultsWithoutTheOpenersValues) {
    TfrmAbout about(nullptr);
    ShowAndCheck(about, [](TfrmAbout& shown) {
        EXPECT_EQ(shown.lblTitle->GetLabel(), "Qorvan");
        EXPECT_EQ(shown.lblVersion->GetLabel(), "Version 1.00");
        EXPECT_TRUE(shown.lblCopyright->GetLabel().Contains("2008"));
        ExpectCentred(shown.lblTitle);
    });
}

TEST(AboutWindow, LinkIsRedWhileTheLeftButtonIsHeldAndBlueAfterwards) {
    TfrmAbout about(nullptr);
    ShowAndCheck(about, [](TfrmAbout& shown) {
        const wxColour blue(0, 0, 255);
        const wxColour red(255, 0, 0);
        wxGenericStaticText* link = shown.lblWebsiteAddr;
        EXPECT_EQ(link->GetForegroundColour(), blue);
        wxUIActionSimulator mouse;
        mouse.MouseMove(link->ClientToScreen(wxPoint(5, 5)));
        ProcessEvents();
        mouse.MouseDown(wxMOUSE_BTN_RIGHT);
        mouse.MouseUp(wxMOUSE_BTN_RIGHT);
        ProcessEvents(std::chrono::milliseconds(200));
        EXPECT_EQ(link->GetForegroundColour(), blue);

        mouse.MouseDown();
        ASSERT_TRUE(WaitUntil([&] { return link->GetForegroundColour() == red; }));
        EXPECT_EQ(shown.lblEmailAddr->GetForegroundColour(), blue);
        // Released away from the link: blue again, and no link is opened.
        mouse.MouseMove(shown.ClientToScreen(wxPoint(20, 180)));
        ProcessEvents();
        mouse.MouseUp();
        ASSERT_TRUE(WaitUntil([&] { return link->GetForegroundColour() == blue; }));
    });
}

TEST(AboutWindow, EnterPressesOkAndEscapeDoesNotClose) {
    TfrmAbout about(nullptr);
    const int result = ShowAndCheck(about, [](TfrmAbout& shown) {
        wxUIActionSimulator keys;
        keys.MouseMove(shown.ClientToScreen(wxPoint(20, 180)));
        shown.Raise();
        shown.btnOK->SetFocus();
        ProcessEvents(std::chrono::milliseconds(100));
        keys.Char(WXK_ESCAPE);
        ProcessEvents(std::chrono::milliseconds(300));
        EXPECT_TRUE(shown.IsModal());
        keys.Char(WXK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return !shown.IsModal(); }));
    });
    EXPECT_EQ(result, wxID_OK);
}

}  // namespace
}  // namespace pagrovix
