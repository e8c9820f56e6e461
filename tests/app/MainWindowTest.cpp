// The real main window with the real web engine, on pages shipped with the tests.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/bmpcbox.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "about/AboutForm.h"
#include "app/MainForm.h"
#include "app/MainLayout.h"
#include "snapshot/SnapshotForm.h"
#include "tests/support/GuiTest.h"
#include "tests/support/ScreenRead.h"
#include "tests/support/WindowManager.h"
#include "ui/AddressRules.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

using test::ProcessEvents;
using test::WaitUntil;

std::string PagesFolder() {
    return test::TestDataFolder() + "/pages";
}

std::string PageUrl(const std::string& name) {
    return FileUrl(
        std::filesystem::absolute(PagesFolder() + "/" + name).lexically_normal().string());
}

class MainWindowTest : public testing::Test {
protected:
    void TearDown() override {
        UiHelpers::SetNewInstanceHandler({});
        UiHelpers::SetOpenFileHandler({});
        UiHelpers::SetMessageBoxHandler({});
        if (window_) {
            window_->Destroy();
            ProcessEvents();
        }
    }

    TfrmMain& Open(std::vector<std::string> arguments) {
        MainWindowStart start;
        start.arguments = std::move(arguments);
        start.startFolder = PagesFolder();
        start.homeAddress = PageUrl("two.html");
        window_ = new TfrmMain(start);
        window_->SetPosition(wxPoint(0, 0));
        window_->Show();
        return *window_;
    }

    bool WaitForTitle(const wxString& title) {
        return WaitUntil([&] { return window_->GetTitle() == title; });
    }

    void ClickTool(wxToolBar* bar, int id) {
        wxCommandEvent click(wxEVT_TOOL, id);
        click.SetEventObject(bar);
        bar->ProcessWindowEvent(click);
    }

    // Puts the pointer on the window and the keyboard focus into the address box.
    void FocusAddressBox() {
        wxUIActionSimulator().MouseMove(window_->ClientToScreen(wxPoint(200, 200)));
        window_->Raise();
        window_->cboAddress->SetFocus();
        WaitUntil([&] {
            const wxWindow* focus = wxWindow::FindFocus();
            return focus &&
                   (focus == window_->cboAddress || focus->GetParent() == window_->cboAddress);
        });
    }

    TfrmMain* window_ = nullptr;
};

// How many pixels of a screen rectangle differ from colour (0xRRGGBB); all of them when the screen
// cannot be read.
long PixelsOtherThan(const wxRect& area, std::uint32_t colour) {
    const auto pixels = test::ReadScreen(area.x, area.y, area.width, area.height);
    if (pixels.empty()) {
        return long(area.width) * area.height;
    }
    return std::count_if(pixels.begin(), pixels.end(), [&](auto pixel) { return pixel != colour; });
}

TEST_F(MainWindowTest, UncoveredPartsOfThePageArePaintedAgainAtOnce) {
    test::WindowManager manager;  // the fault shows only with a window manager's frames
    constexpr std::uint32_t kPageColour = 0x2080c0;  // pages/colour.html
    TfrmMain& window = Open({"colour.html"});
    ASSERT_TRUE(WaitForTitle("Colour"));
    // The window manager may still be moving the window into its frame.
    wxRect page;
    ASSERT_TRUE(WaitUntil([&] {
        page = wxRect(window.WebBrowser1->GetScreenPosition(), window.WebBrowser1->GetSize());
        return PixelsOtherThan(page, kPageColour) == 0;
    }));
    const auto expectPageBackAtOnce = [&](const char* what) {
        EXPECT_TRUE(WaitUntil([&] { return PixelsOtherThan(page, kPageColour) == 0; },
                              std::chrono::seconds(1)))
            << PixelsOtherThan(page, kPageColour) << " pixels of the page stay unpainted after "
            << what;
    };

    const wxRect covered(page.x + 60, page.y + 40, 240, 160);
    auto* cover = new wxFrame(nullptr, wxID_ANY, "Cover", covered.GetPosition(), covered.GetSize());
    cover->Show();
    ASSERT_TRUE(WaitUntil([&] { return PixelsOtherThan(covered, kPageColour) > 0; }));
    cover->Destroy();
    expectPageBackAtOnce("another window");

    const wxRect belowBox(window.cboAddress->GetScreenPosition().x, page.y, 100, 40);
    window.cboAddress->Popup();
    ASSERT_TRUE(WaitUntil([&] { return PixelsOtherThan(belowBox, kPageColour) > 0; }));
    window.cboAddress->Dismiss();
    expectPageBackAtOnce("the address box's list");
}

TEST_F(MainWindowTest, StartAddressLoadsAndItsTitleBecomesTheCaptionAndEntersTheHistory) {
    TfrmMain& window = Open({"  one.html  ", "two.html"});
    EXPECT_EQ(window.cboAddress->GetValue(), "  one.html  ");  // shown as given
    ASSERT_TRUE(WaitForTitle("Page One"));
    EXPECT_EQ(UiHelpers::ApplicationTitle(), "Page One");
    ASSERT_TRUE(WaitUntil([&] { return window.cboAddress->GetCount() == 1; }))
        << window.cboAddress->GetCount() << " " << window.cboAddress->GetString(0) << " "
        << window.cboAddress->GetString(window.cboAddress->GetCount() - 1);
    EXPECT_EQ(window.cboAddress->GetString(0).utf8_string(), PageUrl("one.html"));
    EXPECT_EQ(window.cboAddress->GetSelection(), 0);
    EXPECT_EQ(window.cboAddress->GetValue().utf8_string(), PageUrl("one.html"));
    EXPECT_EQ(window.History().Items(), std::vector<std::string>{PageUrl("one.html")});
}

TEST_F(MainWindowTest, WithoutArgumentsOpensAboutBlank) {
    TfrmMain& window = Open({});
    EXPECT_EQ(window.cboAddress->GetValue(), "about:blank");
    ASSERT_TRUE(WaitUntil([&] { return window.History().Items().size() == 1; }));
    EXPECT_EQ(window.History().Items().front(), "about:blank");
}

TEST_F(MainWindowTest, UntitledPageShowsItsAddressAsCaption) {
    Open({"untitled.html"});
    ASSERT_TRUE(WaitForTitle(PageUrl("untitled.html")));
    EXPECT_EQ(window_->History().Items().front(), PageUrl("untitled.html"));
}

TEST_F(MainWindowTest, BackAndForwardFollowTheBrowsersHistory) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    EXPECT_FALSE(window.tlbToolbar->GetToolEnabled(TfrmMain::btnBack));
    EXPECT_FALSE(window.tlbToolbar->GetToolEnabled(TfrmMain::btnForward));

    window.cboAddress->SetValue("two.html");
    ClickTool(window.tlbGo, TfrmMain::btnGo);
    ASSERT_TRUE(WaitForTitle("Page Two"));
    ASSERT_TRUE(WaitUntil([&] { return window.tlbToolbar->GetToolEnabled(TfrmMain::btnBack); }));
    EXPECT_FALSE(window.tlbToolbar->GetToolEnabled(TfrmMain::btnForward));

    ClickTool(window.tlbToolbar, TfrmMain::btnBack);
    ASSERT_TRUE(WaitForTitle("Page One"));
    ASSERT_TRUE(WaitUntil([&] { return window.tlbToolbar->GetToolEnabled(TfrmMain::btnForward); }));
    EXPECT_FALSE(window.tlbToolbar->GetToolEnabled(TfrmMain::btnBack));
    // A known address is selected where it stands; the history keeps its order.
    EXPECT_EQ(window.History().Items(),
              (std::vector<std::string>{PageUrl("two.html"), PageUrl("one.html")}));
    EXPECT_EQ(window.cboAddress->GetSelection(), 1);

    ClickTool(window.tlbToolbar, TfrmMain::btnForward);
    ASSERT_TRUE(WaitForTitle("Page Two"));

    // Home opens the home page (two.html in this test) from another page.
    window.cboAddress->SetValue("untitled.html");
    ClickTool(window.tlbGo, TfrmMain::btnGo);
    ASSERT_TRUE(WaitForTitle(PageUrl("untitled.html")));
    ClickTool(window.tlbToolbar, TfrmMain::btnHome);
    ASSERT_TRUE(WaitForTitle("Page Two"));
    EXPECT_EQ(window.WebBrowser1->GetCurrentURL().utf8_string(), window.HomeAddress());
}

TEST_F(MainWindowTest, AddressBoxKeysWalkTheHistoryAndEnterOpens) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    window.cboAddress->SetValue("two.html");
    ClickTool(window.tlbGo, TfrmMain::btnGo);
    ASSERT_TRUE(WaitForTitle("Page Two"));
    ASSERT_EQ(window.cboAddress->GetCount(), 2u);

    FocusAddressBox();
    wxUIActionSimulator keys;
    keys.Char(WXK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return window.cboAddress->GetSelection() == 1; }));
    EXPECT_EQ(window.cboAddress->GetValue().utf8_string(), PageUrl("one.html"));
    ProcessEvents(std::chrono::milliseconds(300));
    EXPECT_EQ(window.GetTitle(), "Page Two");  // moving through the history opens nothing

    keys.Char(WXK_UP);
    ASSERT_TRUE(WaitUntil([&] { return window.cboAddress->GetSelection() == 0; }));
    keys.Char(WXK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return window.cboAddress->GetSelection() == 1; }));
    keys.Char(WXK_RETURN);
    ASSERT_TRUE(WaitForTitle("Page One"));
}

TEST_F(MainWindowTest, F5ReloadsThePageEvenFromTheAddressBox) {
    TfrmMain& window = Open({"reload.html"});
    ASSERT_TRUE(WaitUntil([&] { return window.GetTitle().StartsWith("Loaded "); }));
    const wxString first = window.GetTitle();
    FocusAddressBox();
    wxUIActionSimulator().Char(WXK_F5);
    ASSERT_TRUE(WaitUntil(
        [&] { return window.GetTitle().StartsWith("Loaded ") && window.GetTitle() != first; }));
}

TEST_F(MainWindowTest, OpenPutsTheChosenFileIntoTheAddressBoxAndOpensIt) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    const wxString chosen = wxString::FromUTF8(PagesFolder() + "/two.html");
    wxString filterAsked;
    UiHelpers::SetOpenFileHandler([&](const wxString& filter, const wxString&) {
        filterAsked = filter;
        return std::optional<wxString>(chosen);
    });
    ClickTool(window.tlbToolbar, TfrmMain::btnOpen);
    EXPECT_EQ(filterAsked, "*.htm;*.html|*.htm;*.html");
    EXPECT_EQ(window.cboAddress->GetValue(), chosen);
    ASSERT_TRUE(WaitForTitle("Page Two"));

    UiHelpers::SetOpenFileHandler([](const wxString&, const wxString&) { return std::nullopt; });
    ClickTool(window.tlbToolbar, TfrmMain::btnOpen);
    ProcessEvents(std::chrono::milliseconds(200));
    EXPECT_EQ(window.GetTitle(), "Page Two");
}

TEST_F(MainWindowTest, BlankAddressOpensNothing) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    window.cboAddress->SetValue(" \t ");
    ClickTool(window.tlbGo, TfrmMain::btnGo);
    ProcessEvents(std::chrono::milliseconds(300));
    EXPECT_EQ(window.WebBrowser1->GetCurrentURL().utf8_string(), PageUrl("one.html"));
}

TEST_F(MainWindowTest, LinkClicksForANewWindowAskForANewInstanceAndOtherScriptsGetNone) {
    std::vector<wxString> requests;
    UiHelpers::SetNewInstanceHandler([&](const wxString& address) {
        requests.push_back(address);
        return true;
    });
    TfrmMain& window = Open({"new-window.html"});
    ASSERT_TRUE(WaitForTitle("Links"));
    ProcessEvents(std::chrono::milliseconds(300));
    EXPECT_TRUE(requests.empty()) << "a pop-up of the page's own script";

    wxUIActionSimulator mouse;
    // The button's script opens a window on a click, but not from a link.
    mouse.MouseMove(window.WebBrowser1->ClientToScreen(wxPoint(40, 90)));
    ProcessEvents(std::chrono::milliseconds(100));
    mouse.MouseClick();
    // The link.
    mouse.MouseMove(window.WebBrowser1->ClientToScreen(wxPoint(40, 25)));
    ASSERT_TRUE(WaitUntil([&] {
        return window.StatusBar1->GetStatusText(0).utf8_string() == PageUrl("two.html");
    })) << "the status bar shows the link under the pointer";
    mouse.MouseClick();
    ASSERT_TRUE(WaitUntil([&] { return !requests.empty(); }));
    ProcessEvents(std::chrono::milliseconds(300));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.front().utf8_string(), PageUrl("two.html"));

    // A link whose own script opens the window.
    mouse.MouseMove(window.WebBrowser1->ClientToScreen(wxPoint(40, 145)));
    ASSERT_TRUE(WaitUntil([&] {
        return window.StatusBar1->GetStatusText(0).utf8_string() == PageUrl("tall.html");
    }));
    mouse.MouseClick();
    ASSERT_TRUE(WaitUntil([&] { return requests.size() > 1; }));
    ProcessEvents(std::chrono::milliseconds(300));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests.back().utf8_string(), PageUrl("tall.html"));
    EXPECT_EQ(window.GetTitle(), "Links");  // this window stays on its page
    EXPECT_EQ(wxTopLevelWindows.GetCount(), 1u);
}

TEST_F(MainWindowTest, PageDialogsAreAnsweredWithoutShowingAnything) {
    Open({"dialogs.html"});
    ASSERT_TRUE(WaitForTitle("alert:undefined confirm:false prompt:null"));
    EXPECT_EQ(wxTopLevelWindows.GetCount(), 1u);
}

// An XHTML doctype with what only HTML allows: parsed as XML, the page stops at the unclosed <br>
// and its script never names the type it was parsed as.
constexpr const char* kXhtmlDoctypePage =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Not parsed</title></head>\n"
    "<body><p>One<br>two&nbsp;<a href=\"links.html\">links</a></p>\n"
    "<script>document.title = document.contentType + ' ' + performance.timeOrigin + "
    "Math.random();</script></body></html>\n";

TEST_F(MainWindowTest, LocalHtmlFilesAreHtmlByEveryWayInAndKeepTheirAddressAndHistory) {
    test::TempFolder folder;
    for (const char* name : {"manual.html", "MANUAL.HTM", "manual.xhtml"}) {
        std::ofstream(folder.File(name)) << kXhtmlDoctypePage;
    }
    std::ofstream(folder.File("links.html"))
        << "<!DOCTYPE html><title>Links</title><a id=\"upper\" href=\"MANUAL.HTM\">x</a>";
    const auto url = [&](const char* name) { return FileUrl(folder.File(name)); };
    TfrmMain& window = Open({url("manual.html")});
    wxWebView& view = *window.WebBrowser1;
    auto* history =
        webkit_web_view_get_back_forward_list(WEBKIT_WEB_VIEW(view.GetNativeBackend()));

    struct Way {
        const char* name;
        std::function<void()> go;
        std::string address;  // where the view must be afterwards
        unsigned historyLength;
    };
    const auto type = [&](const char* name) {
        return [&, name] {
            window.cboAddress->SetValue(url(name));
            ClickTool(window.tlbGo, TfrmMain::btnGo);
        };
    };
    const Way ways[] = {
        {"command line", [] {}, url("manual.html"), 1},
        {"address box", type("links.html"), url("links.html"), 2},
        {"link", [&] { view.RunScript("document.getElementById('upper').click()"); },
         url("MANUAL.HTM"), 3},
        {"Back", [&] { ClickTool(window.tlbToolbar, TfrmMain::btnBack); }, url("links.html"), 3},
        {"Forward", [&] { ClickTool(window.tlbToolbar, TfrmMain::btnForward); }, url("MANUAL.HTM"),
         3},
        {"Refresh", [&] { ClickTool(window.tlbToolbar, TfrmMain::btnRefresh); },
         url("MANUAL.HTM"), 3},
        {"Open",
         [&] {
             UiHelpers::SetOpenFileHandler([&](const wxString&, const wxString&) {
                 return std::optional<wxString>(wxString::FromUTF8(folder.File("manual.html")));
             });
             ClickTool(window.tlbToolbar, TfrmMain::btnOpen);
         },
         url("manual.html"), 4},
        {"Back to a mended page", [&] { ClickTool(window.tlbToolbar, TfrmMain::btnBack); },
         url("MANUAL.HTM"), 4},
    };
    wxString before;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.go();
        const bool manual = way.address.find("manual") != std::string::npos ||
                            way.address.find("MANUAL") != std::string::npos;
        ASSERT_TRUE(WaitUntil([&] {
            const wxString title = window.GetTitle();
            return manual ? title.StartsWith("text/html ") && title != before : title == "Links";
        })) << window.GetTitle();
        before = window.GetTitle();
        EXPECT_EQ(view.GetCurrentURL().utf8_string(), way.address);
        EXPECT_EQ(window.cboAddress->GetValue().utf8_string(), way.address);
        EXPECT_EQ(webkit_back_forward_list_get_length(history), way.historyLength);
        wxString link;
        ASSERT_TRUE(view.RunScript("document.links[0].href", &link));
        EXPECT_EQ(link.utf8_string(), manual ? url("links.html") : url("MANUAL.HTM"));
    }
    EXPECT_TRUE(window.tlbToolbar->GetToolEnabled(TfrmMain::btnForward));

    // .xhtml stays XML: the page stops where XML does.
    type("manual.xhtml")();
    wxString contentType;
    ASSERT_TRUE(WaitUntil([&] {
        return view.GetCurrentURL().utf8_string() == url("manual.xhtml") && !view.IsBusy() &&
               view.RunScript("document.contentType", &contentType) &&
               contentType == "application/xhtml+xml";
    })) << contentType;
    ProcessEvents(std::chrono::milliseconds(200));
    EXPECT_EQ(window.GetTitle(), "Not parsed");
    EXPECT_EQ(webkit_back_forward_list_get_length(history), 4u);
}

TEST_F(MainWindowTest, WindowCannotBeMadeSmallerThan480By360) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    window.SetSize(300, 200);
    ProcessEvents(std::chrono::milliseconds(200));
    EXPECT_GE(window.GetSize().x, kMinWindowWidth);
    EXPECT_GE(window.GetSize().y, kMinWindowHeight);

    // A resize from outside the program, as a window manager does it.
    gdk_window_resize(gtk_widget_get_window(window.GetHandle()), 320, 240);
    ProcessEvents(std::chrono::milliseconds(300));
    ASSERT_TRUE(WaitUntil([&] {
        return window.GetSize().x >= kMinWindowWidth && window.GetSize().y >= kMinWindowHeight;
    })) << window.GetSize().x
        << " x " << window.GetSize().y;
}

// The Go button as GTK lays it out: exactly its size, the picture left of the caption, neither cut
// by the button's border nor given less than it asks for.
void ExpectGoButtonWhole(wxToolBar* go) {
    GtkWidget* button =
        gtk_bin_get_child(GTK_BIN(gtk_toolbar_get_nth_item(go->GTKGetToolbar(), 0)));
    GtkAllocation frame;
    gtk_widget_get_allocation(button, &frame);
    EXPECT_EQ(frame.width, 51);
    EXPECT_EQ(frame.height, 26);
    GList* parts = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(button))));
    ASSERT_EQ(g_list_length(parts), 2u);
    GtkAllocation picture{}, caption{};
    for (GList* part = parts; part; part = part->next) {
        GtkWidget* widget = GTK_WIDGET(part->data);
        GtkAllocation& area = GTK_IS_LABEL(widget) ? caption : picture;
        gtk_widget_get_allocation(widget, &area);
        int minimum = 0, natural = 0;
        gtk_widget_get_preferred_width(widget, &minimum, &natural);
        EXPECT_GE(area.width, natural) << G_OBJECT_TYPE_NAME(widget);
        EXPECT_GT(area.x, frame.x);  // inside the 1-pixel border
        EXPECT_LT(area.x + area.width, frame.x + frame.width);
    }
    g_list_free(parts);
    EXPECT_LE(picture.x + picture.width, caption.x);
}

TEST_F(MainWindowTest, LayoutFollowsTheWindowSize) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    for (const wxSize size : {wxSize(800, 500), wxSize(1100, 700)}) {
        window.SetClientSize(size);
        ASSERT_TRUE(WaitUntil([&] { return window.pnlToolbar->GetSize().x == size.x; }));
        ProcessEvents(std::chrono::milliseconds(100));
        const wxRect go = window.tlbGo->GetRect();
        const wxRect address = window.cboAddress->GetRect();
        const wxRect tools = window.tlbToolbar->GetRect();
        EXPECT_EQ(go.GetRight() + 1, size.x - 4);
        EXPECT_EQ(address.x, tools.GetRight() + 1 + 8);
        EXPECT_EQ(address.GetRight() + 1, go.x - 4);
        EXPECT_EQ(go.width, 51);
        EXPECT_EQ(go.height, 26);
        EXPECT_EQ(address.width, size.x - 4 - 51 - 4 - address.x);
        EXPECT_EQ(window.WebBrowser1->GetSize(), window.Panel1->GetClientSize());
        EXPECT_EQ(window.Panel1->GetPosition().y, kCoolBarHeight);
        EXPECT_EQ(window.StatusBar1->GetStatusWidth(0), size.x - 280);
        EXPECT_EQ(window.StatusBar1->GetStatusWidth(1), 200);
        EXPECT_EQ(window.StatusBar1->GetStatusWidth(2), 80);
        wxRect panel;
        ASSERT_TRUE(window.StatusBar1->GetFieldRect(1, panel));
        ASSERT_TRUE(WaitUntil([&] { return window.ProgressBar1->GetRect() == panel; }));
    }
    EXPECT_EQ(window.tlbToolbar->GetSize(), wxSize(7 * 52 + 8, 44));
    ExpectGoButtonWhole(window.tlbGo);
    EXPECT_FALSE(window.ProgressBar1->IsShown());  // hidden once the page has loaded
}

// The page the capture sees: the whole document, not the part in view.
void ExpectWholePageCaptured(const Bitmap24& picture) {
    ASSERT_EQ(picture.Width(), 900);
    ASSERT_EQ(picture.Height(), 2500);
    const auto first = picture.Row(0);
    const auto last = picture.Row(2499);
    EXPECT_EQ(first[0], 0x00);  // top: red, as B, G, R
    EXPECT_EQ(first[2], 0xFF);
    EXPECT_EQ(last[0], 0xFF);  // bottom: blue
    EXPECT_EQ(last[2], 0x00);
}

TEST_F(MainWindowTest, SnapshotOpensTheSnapshotWindowOnTheWholePage) {
    TfrmMain& window = Open({"tall.html"});
    ASSERT_TRUE(WaitForTitle("Tall Page"));
    bool opened = false;
    test::WhenModalShown([&](wxWindow* dialog) {
        auto* snapshot = dynamic_cast<TfrmSnapshot*>(dialog);
        ASSERT_NE(snapshot, nullptr);
        opened = true;
        ExpectWholePageCaptured(snapshot->Picture());
        snapshot->Close();
    });
    ClickTool(window.tlbToolbar, TfrmMain::btnSnapshot);
    ASSERT_TRUE(opened);
    ExpectWholePageCaptured(window.PageBitmap);
    // The browser is back: shown and filling its panel.
    EXPECT_TRUE(window.WebBrowser1->IsShown());
    EXPECT_EQ(window.WebBrowser1->GetSize(), window.Panel1->GetClientSize());
    EXPECT_FALSE(window.Capturing());
}

TEST_F(MainWindowTest, CommandsWaitWhileACaptureRunsAndClosingWaitsForItsEnd) {
    TfrmMain& window = Open({"tall.html"});
    ASSERT_TRUE(WaitForTitle("Tall Page"));
    bool destroyed = false;
    window.Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == &window) {
            destroyed = true;
        }
        event.Skip();
    });
    bool stillOpen = false;
    test::WhenModalShown([&](wxWindow* dialog) {
        // The capture is still running while its Snapshot window is up.
        EXPECT_TRUE(window.Capturing());
        window.cboAddress->SetValue(PageUrl("two.html"));
        window.NavigateToAddress();
        ClickTool(window.tlbToolbar, TfrmMain::btnHome);
        window.Close();
        ProcessEvents(std::chrono::milliseconds(300));
        stillOpen = !destroyed && window.IsShown();
        EXPECT_EQ(window.WebBrowser1->GetCurrentTitle(), "Tall Page");
        dialog->Close();
    });
    ClickTool(window.tlbToolbar, TfrmMain::btnSnapshot);
    EXPECT_TRUE(stillOpen);
    ASSERT_TRUE(WaitUntil([&] { return destroyed; }));
    window_ = nullptr;
}

TEST_F(MainWindowTest, F1OpensTheAboutWindowWithTheProgramsTexts) {
    Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    wxString title, version, copyright;
    test::WhenModalShown([&](wxWindow* dialog) {
        if (auto* about = dynamic_cast<TfrmAbout*>(dialog)) {
            title = about->lblTitle->GetLabel();
            version = about->lblVersion->GetLabel();
            copyright = about->lblCopyright->GetLabel();
        }
        static_cast<wxDialog*>(dialog)->EndModal(wxID_OK);
    });
    FocusAddressBox();
    wxUIActionSimulator().Char(WXK_F1);
    ASSERT_TRUE(WaitUntil([&] { return !title.empty(); }));
    EXPECT_EQ(title, "Pagrovix");
    EXPECT_EQ(version, "Version 6.30");
    EXPECT_TRUE(copyright.Contains("2009")) << copyright;
    ProcessEvents(std::chrono::milliseconds(100));
    EXPECT_EQ(wxTopLevelWindows.GetCount(), 1u);  // the About window is gone
}

TEST_F(MainWindowTest, RightClickOnTheToolStripOffersAbout) {
    TfrmMain& window = Open({"one.html"});
    ASSERT_TRUE(WaitForTitle("Page One"));
    wxString offered;
    window.Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& event) {
        if (const wxMenuItem* item =
                event.GetMenu() ? event.GetMenu()->FindItem(kAboutCommand) : nullptr) {
            offered = item->GetItemLabel();
        }
        window.CallAfter([] { wxUIActionSimulator().Char(WXK_ESCAPE); });
    });
    wxUIActionSimulator mouse;
    // The address box keeps its own menu.
    mouse.MouseMove(window.cboAddress->ClientToScreen(wxPoint(20, 10)));
    ProcessEvents();
    mouse.MouseClick(wxMOUSE_BTN_RIGHT);
    ProcessEvents(std::chrono::milliseconds(300));
    EXPECT_TRUE(offered.empty());
    mouse.Char(WXK_ESCAPE);
    ProcessEvents(std::chrono::milliseconds(200));

    mouse.MouseMove(window.tlbToolbar->ClientToScreen(wxPoint(52 * 4 + 26, 20)));  // on Home
    ProcessEvents();
    mouse.MouseClick(wxMOUSE_BTN_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return !offered.empty(); }));
    EXPECT_EQ(offered, "&About...");
}

TEST_F(MainWindowTest, AboutCommandIsTheToolStripMenusItem) {
    TfrmMain& window = Open({"one.html"});
    bool shown = false;
    test::WhenModalShown([&](wxWindow* dialog) {
        shown = dynamic_cast<TfrmAbout*>(dialog) != nullptr;
        static_cast<wxDialog*>(dialog)->EndModal(wxID_OK);
    });
    wxCommandEvent about(wxEVT_MENU, kAboutCommand);
    window.ProcessWindowEvent(about);
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace pagrovix
