// Real captures on the real engine, checked pixel for pixel.
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "capture/CapturePlan.h"
#include "capture/EngineWait.h"
#include "capture/PageCapture.h"
#include "capture/WebKitBrowserView.h"
#include "app/WindowCaptureCallbacks.h"
#include "imaging/ImageWriters.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/capture/TestPages.h"
#include "tests/support/GuiTest.h"
#include "ui/UiHelpers.h"

namespace pagrovix::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// The real view, watched: records whether the browser was off the screen while it was painted,
// and lets a test step in before any step.
class WatchedView : public BrowserView {
public:
    WatchedView(BrowserView& inner, wxWebView* view) : inner_(inner), view_(view) {}

    std::function<void(const std::string& step)> before;
    int paints = 0;
    int paintsOnScreen = 0;

    void Stop() override {
        Step("stop", [&] { inner_.Stop(); });
    }
    void MakeReady() override {
        Step("ready", [&] { inner_.MakeReady(); });
    }
    void Hide() override {
        Step("hide", [&] { inner_.Hide(); });
    }
    PageGeometry MeasurePage() override {
        Step("measure", [] {});
        return inner_.MeasurePage();
    }
    void ScrollTo(int x, int y) override {
        Step("scroll", [&] { inner_.ScrollTo(x, y); });
    }
    void PaintDocument(Bitmap24& picture, int scale) override {
        Step("paint", [&] { inner_.PaintDocument(picture, scale); });
        Painted();
    }
    void PinStickyElements() override {
        Step("pin", [&] { inner_.PinStickyElements(); });
    }
    void HideFixedElements() override {
        Step("hide fixed", [&] { inner_.HideFixedElements(); });
    }
    void PaintTile(Bitmap24& picture, const Tile& tile, int scale) override {
        Step("paint", [&] { inner_.PaintTile(picture, tile, scale); });
        Painted();
    }
    std::unique_ptr<PendingTile> AskForTile(Bitmap24& picture, const Tile& tile,
                                            int scale) override {
        std::unique_ptr<PendingTile> asked;
        Step("paint", [&] { asked = inner_.AskForTile(picture, tile, scale); });
        Painted();
        return asked;
    }
    void Restore() noexcept override { inner_.Restore(); }

private:
    template <typename Action>
    void Step(const std::string& name, Action action) {
        if (before) {
            before(name);
        }
        action();
    }
    void Painted() {
        ++paints;
        if (gtk_widget_get_child_visible(GTK_WIDGET(view_->GetHandle()))) {
            ++paintsOnScreen;
        }
    }
    BrowserView& inner_;
    wxWebView* view_;
};

struct Outcome {
    bool handedOn = false;
    std::vector<std::string> errors;
    bool hiddenDuringError = false;
    std::optional<Bitmap24> picture;
    int savedHeight = 0;
    int paints = 0;
    int paintsOnScreen = 0;
};

class CaptureOnEngine : public testing::Test {
protected:
    static void SetUpTestSuite() { harness = new CaptureHarness; }
    static void TearDownTestSuite() {
        delete harness;
        harness = nullptr;
    }

    std::string RowPage(int width, int height) {
        const std::string path =
            folder.File("rows-" + std::to_string(width) + "x" + std::to_string(height) + ".html");
        WriteRowPage(path, width, height);
        return path;
    }

    Outcome Capture(Bitmap24& page, WebKitBrowserView::TimeLimits limits = {},
                    std::function<void(const std::string&)> before = {},
                    std::optional<PageCapture::Callbacks> programCallbacks = {},
                    std::function<void(WebKitBrowserView&)> ahead = {}) {
        WebKitBrowserView real(harness->view, harness->panel, limits);
        if (ahead) {
            ahead(real);
        }
        WatchedView watched(real, harness->view);
        watched.before = std::move(before);
        Outcome outcome;
        PageCapture::Callbacks callbacks;
        callbacks.setBusy = [](bool) { ProcessEvents(std::chrono::milliseconds(0)); };
        callbacks.showError = [&](const std::string& text) {
            outcome.errors.push_back(text);
            outcome.hiddenDuringError =
                !gtk_widget_get_child_visible(GTK_WIDGET(harness->view->GetHandle()));
        };
        callbacks.showPicture = [&](const Bitmap24& picture) { outcome.picture = picture.Clone(); };
        callbacks.saveTallPage = [&](const Bitmap24& tall) { outcome.savedHeight = tall.Height(); };
        PageCapture capture(watched, programCallbacks ? *programCallbacks : callbacks);
        outcome.handedOn = capture.Run(page);
        outcome.paints = watched.paints;
        outcome.paintsOnScreen = watched.paintsOnScreen;
        return outcome;
    }

    // After every capture the browser is back on the screen, fills the panel and shows the top
    // of the page.
    void ExpectRestored() {
        wxWebView* view = harness->view;
        const wxSize panel = harness->panel->GetClientSize();
        EXPECT_TRUE(view->IsShown());
        EXPECT_TRUE(gtk_widget_get_child_visible(GTK_WIDGET(view->GetHandle())));
        EXPECT_EQ(view->GetRect(), wxRect(wxPoint(0, 0), panel));
        GtkWidget* engine = GTK_WIDGET(view->GetNativeBackend());
        EXPECT_TRUE(WaitUntil([&] {
            return gtk_widget_get_allocated_width(engine) == panel.x &&
                   gtk_widget_get_allocated_height(engine) == panel.y;
        }));
        const std::string expected =
            std::to_string(panel.x) + " " + std::to_string(panel.y) + " 0 0";
        EXPECT_TRUE(WaitUntil([&] {
            return harness->Script(
                       "innerWidth + ' ' + innerHeight + ' ' + scrollX + ' ' + "
                       "scrollY") == expected;
        })) << harness->Script("innerWidth + ' ' + innerHeight + ' ' + scrollX + ' ' + scrollY");
    }

    // The page the view shows now, for checks that no navigation happened.
    static std::string CurrentUri() {
        const char* uri = webkit_web_view_get_uri(Engine());
        return uri ? uri : "";
    }
    static WebKitWebView* Engine() { return WEBKIT_WEB_VIEW(harness->view->GetNativeBackend()); }
    // Device pixels per page pixel: 2 in the run with GDK_SCALE=2.
    static int Scale() { return gtk_widget_get_scale_factor(GTK_WIDGET(Engine())); }

    static CaptureHarness* harness;
    TempFolder folder;
};

CaptureHarness* CaptureOnEngine::harness = nullptr;

TEST_F(CaptureOnEngine, PageOf1000RowsIsCapturedWholeAndHandedToTheSnapshotWindow) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 1000)));
    harness->Script("scrollTo(0, 400)");
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    EXPECT_TRUE(outcome.handedOn);
    ASSERT_TRUE(outcome.picture);
    EXPECT_TRUE(IsRowPage(*outcome.picture, 1280, 1000, Scale()));
    EXPECT_EQ(outcome.paints, 1);
    EXPECT_EQ(outcome.paintsOnScreen, 0) << "the browser was off the screen while painted";
    ExpectRestored();
}

TEST_F(CaptureOnEngine, PageHandedOnBeforePaintedShowsThePageAsAskedAndIsCopiedOnAnotherThread) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 3000)));
    WebKitBrowserView real(harness->view, harness->panel);
    std::vector<std::string> errors;
    PageCapture capture(real, ErrorsOnlyCallbacks(errors));
    capture.HandOnBeforePainted(true);
    Bitmap24 page;
    ASSERT_TRUE(capture.Run(page));
    EXPECT_THAT(errors, ElementsAre());
    std::unique_ptr<PendingPainting> pending = capture.TakePendingPainting();
    ASSERT_TRUE(pending);
    // What the page does after it was asked for comes after the painting.
    webkit_web_view_evaluate_javascript(Engine(), "document.body.innerHTML = ''", -1, nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
    std::unique_ptr<PaintingCopy> painting = pending->Take();
    ASSERT_TRUE(painting);
    EXPECT_TRUE(pending->Ready());
    EXPECT_GE(painting->Bytes(), 4u * std::uint64_t(page.ByteCount()) / 3);
    // The writer gets the picture moved to it.
    Bitmap24 written = std::move(page);
    std::thread([&] { painting->CopyInto(written); }).join();
    EXPECT_TRUE(IsRowPage(written, 1280, 3000, Scale()));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, TallestPageForTheSnapshotWindowIsOneBand) {
    ASSERT_TRUE(harness->Load(RowPage(1280, MaxBandHeight)));
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    ASSERT_TRUE(outcome.picture);
    EXPECT_EQ(outcome.paints, 1);
    EXPECT_TRUE(IsRowPage(*outcome.picture, 1280, MaxBandHeight));
    EXPECT_EQ(outcome.savedHeight, 0);
    ExpectRestored();
}

TEST_F(CaptureOnEngine, TwoFullBandsJoinWithoutASeam) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 2 * MaxBandHeight)));
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    EXPECT_FALSE(outcome.picture);
    EXPECT_EQ(outcome.savedHeight, 2 * MaxBandHeight);
    EXPECT_TRUE(IsRowPage(page, 1280, 2 * MaxBandHeight));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, LastPartialBandComesFromTheBottomOfThePage) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 70000)));
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    EXPECT_EQ(outcome.savedHeight, 70000 * Scale());
    EXPECT_TRUE(IsRowPage(page, 1280, 70000, Scale()));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, PageWiderThanTheScreenIsCapturedToItsLastColumn) {
    ASSERT_TRUE(harness->Load(RowPage(2500, 1200)));
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    ASSERT_TRUE(outcome.picture);
    EXPECT_TRUE(IsRowPage(*outcome.picture, 2500, 1200));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, BodyMarginsAndWhatLiesOutsideTheBodyAreInThePicture) {
    const std::string path = folder.File("margins.html");
    WriteText(path,
              "<!DOCTYPE html><html style=\"background: rgb(18,52,86)\">"
              "<body style=\"margin: 8px 4px; background: rgb(200,100,50)\">"
              "<div style=\"width: 1500px; height: 3000px; background: rgb(171,205,239)\">"
              "</div></body></html>");
    ASSERT_TRUE(harness->Load(path));
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    ASSERT_TRUE(outcome.picture);
    const Bitmap24& picture = *outcome.picture;
    // The body alone measures 1500 x 3000. Its right margin is not laid out: the content
    // overflows the body, and the browser never shows anything right of column 1504 either.
    ASSERT_EQ(picture.Width(), 1504);
    ASSERT_EQ(picture.Height(), 3016);
    const Rgb outside{18, 52, 86};
    EXPECT_TRUE(IsFilled(picture, 0, 0, 1504, 8, outside));
    EXPECT_TRUE(IsFilled(picture, 0, 3008, 1504, 8, outside));
    EXPECT_TRUE(IsFilled(picture, 0, 8, 4, 3000, outside));
    EXPECT_TRUE(IsFilled(picture, 4, 8, 1500, 3000, Rgb{171, 205, 239}));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, ImagesThatLoadWhenTheyComeIntoViewAreInThePicture) {
    Bitmap24 box(200, 100);
    box.Fill(30, 200, 10);
    WriteBmpFile(box, folder.File("box.bmp"));
    const std::string path = folder.File("lazy.html");
    WriteText(path,
              "<!DOCTYPE html><body style=\"margin: 0\"><div style=\"height: 5000px\"></div>"
              "<img loading=\"lazy\" src=\"box.bmp\" width=\"200\" height=\"100\" "
              "style=\"display: block\"></body>");
    ASSERT_TRUE(harness->Load(path));
    ASSERT_EQ(harness->Script("String(document.images[0].complete)"), "false");
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre());
    ASSERT_TRUE(outcome.picture);
    ASSERT_EQ(outcome.picture->Height(), 5100);
    EXPECT_TRUE(IsFilled(*outcome.picture, 0, 5000, 200, 100, Rgb{10, 200, 30}));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, PageMadeReadyAheadIsBroughtToRestAgainWhenItChangedMeanwhile) {
    const std::string path = folder.File("meanwhile.html");
    WriteText(path,
              "<!DOCTYPE html><body style=\"margin: 0\"><div id=\"box\" style=\"height: 300px; "
              "background: rgb(200,0,0); transition: background-color 60s linear\"></div>"
              "<div style=\"height: 900px\"></div></body>");
    ASSERT_TRUE(harness->Load(path));
    Bitmap24 page;
    const Outcome outcome = Capture(page, {}, {}, {}, [](WebKitBrowserView& view) {
        view.BeginReady();
        ASSERT_TRUE(WaitUntil([&] { return view.ReadyAnswered(); }));
        // While it waits for its turn, the page starts a slow change.
        harness->Script("box.style.backgroundColor = 'rgb(0,0,200)'");
    });
    EXPECT_THAT(outcome.errors, ElementsAre());
    ASSERT_TRUE(outcome.picture);
    EXPECT_TRUE(IsFilled(*outcome.picture, 0, 0, outcome.picture->Width(), 300 * Scale(),
                         Rgb{0, 0, 200}));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, PageWithoutADocumentGetsTheErrorBoxAndNoPicture) {
    const std::string path = folder.File("rootless.html");
    WriteText(path, "<body onload=\"document.documentElement.remove()\">gone</body>");
    ASSERT_TRUE(harness->Load(path));
    ASSERT_EQ(harness->Script("String(document.documentElement)"), "null");
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    EXPECT_THAT(outcome.errors, ElementsAre("There is no document to capture."));
    EXPECT_TRUE(outcome.hiddenDuringError) << "the box shows while the browser is still hidden";
    EXPECT_FALSE(outcome.handedOn);
    EXPECT_FALSE(outcome.picture);
    EXPECT_EQ(outcome.savedHeight, 0);
    ExpectRestored();
}

TEST_F(CaptureOnEngine, NavigationsAreRefusedWhileTheCaptureRuns) {
    const std::string first = RowPage(1280, 1000);
    const std::string second = RowPage(640, 480);
    ASSERT_TRUE(harness->Load(first));
    const std::string uri = CurrentUri();
    Bitmap24 page;
    const Outcome outcome = Capture(page, {}, [&](const std::string& step) {
        if (step == "scroll") {
            harness->view->LoadURL("file://" + second);
            ProcessEvents(std::chrono::milliseconds(200));
        }
    });
    EXPECT_THAT(outcome.errors, ElementsAre());
    ASSERT_TRUE(outcome.picture);
    EXPECT_TRUE(IsRowPage(*outcome.picture, 1280, 1000));
    ProcessEvents(std::chrono::milliseconds(300));
    EXPECT_EQ(CurrentUri(), uri);
    ExpectRestored();
    EXPECT_TRUE(harness->Load(second)) << "navigating works again afterwards";

    // A page that goes elsewhere on its own (a redirect on a timer) while it is made ready stays
    // the one captured.
    const std::string leaving = folder.File("leaving.html");
    WriteText(leaving, "<!DOCTYPE html><body style='margin: 0'><div style='height: 900px; "
                       "background: rgb(0,200,0)'></div></body>");
    ASSERT_TRUE(harness->Load(leaving));
    const std::string leavingUri = CurrentUri();
    const Outcome stayed = Capture(page, {}, {}, {}, [&](WebKitBrowserView& view) {
        view.BeginReady();
        harness->Script("location.href = 'file://" + second + "'");
    });
    EXPECT_THAT(stayed.errors, ElementsAre());
    ASSERT_TRUE(stayed.picture);
    EXPECT_TRUE(IsFilled(*stayed.picture, 0, 0, 1, 900 * Scale(), Rgb{0, 200, 0}));
    EXPECT_EQ(CurrentUri(), leavingUri);
}

TEST_F(CaptureOnEngine, PageThatStopsAnsweringEndsTheCaptureWithinTheTimeLimit) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 1000)));
    WebKitBrowserView::TimeLimits limits;
    limits.script = std::chrono::milliseconds(1000);
    Bitmap24 page;
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = Capture(page, limits, [&](const std::string& step) {
        if (step == "scroll") {
            // Keeps the page busy for 4 s; the capture's next question has to wait for that.
            webkit_web_view_evaluate_javascript(
                Engine(), "{ const end = Date.now() + 4000; while (Date.now() < end); }", -1,
                nullptr, nullptr, nullptr, nullptr, nullptr);
        }
    });
    EXPECT_THAT(outcome.errors, ElementsAre("The page did not answer within 1 second."));
    EXPECT_TRUE(outcome.hiddenDuringError);
    EXPECT_FALSE(outcome.picture);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, EndOfThePageProcessEndsTheCaptureWithTheBrowserRestored) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 1000)));
    Bitmap24 page;
    const Outcome outcome = Capture(page, {}, [&](const std::string& step) {
        if (step == "paint") {
            webkit_web_view_terminate_web_process(Engine());
        }
    });
    EXPECT_THAT(outcome.errors,
                ElementsAre("The browser's page process ended during the capture."));
    EXPECT_TRUE(outcome.hiddenDuringError);
    EXPECT_FALSE(outcome.picture);
    wxWebView* view = harness->view;
    EXPECT_TRUE(gtk_widget_get_child_visible(GTK_WIDGET(view->GetHandle())));
    EXPECT_EQ(view->GetRect(), wxRect(wxPoint(0, 0), harness->panel->GetClientSize()));

    // The next page brings a new process, and the capture works again.
    ASSERT_TRUE(harness->Load(RowPage(1280, 700)));
    const Outcome again = Capture(page);
    EXPECT_THAT(again.errors, ElementsAre());
    ASSERT_TRUE(again.picture);
    EXPECT_TRUE(IsRowPage(*again.picture, 1280, 700));
    ExpectRestored();
}

TEST_F(CaptureOnEngine, PageWiderThanTheEngineCanPaintGetsAClearErrorBox) {
    const std::string path = folder.File("wide.html");
    WriteText(path,
              "<!DOCTYPE html><body style=\"margin: 0\">"
              "<div style=\"width: 40000px; height: 300px; background: rgb(1,2,3)\"></div>");
    ASSERT_TRUE(harness->Load(path));
    Bitmap24 page;
    const Outcome outcome = Capture(page);
    ASSERT_EQ(outcome.errors.size(), 1u);
    EXPECT_THAT(outcome.errors[0], HasSubstr("The page is 40000 pixels wide"));
    EXPECT_EQ(outcome.paints, 0);
    EXPECT_FALSE(outcome.picture);
    ExpectRestored();
}

TEST_F(CaptureOnEngine, ClicksDuringTheCaptureWaitUntilItHasEnded) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 1000)));
    auto* button = new wxButton(harness->frame, wxID_ANY, "Snapshot", wxPoint(0, 0));
    button->Raise();
    int clicks = 0;
    button->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++clicks; });
    ProcessEvents(std::chrono::milliseconds(200));
    int clicksDuringCapture = -1;
    wxUIActionSimulator simulator;
    Bitmap24 page;
    const Outcome outcome = Capture(page, {}, [&](const std::string& step) {
        if (step == "scroll") {
            simulator.MouseMove(button->GetScreenRect().GetPosition() + wxPoint(10, 10));
            simulator.MouseClick();
            // Long enough for the click to arrive; the capture's waits hold it back.
            WaitForEngine([] { return false; }, std::chrono::milliseconds(300));
            clicksDuringCapture = clicks;
        }
    });
    EXPECT_THAT(outcome.errors, ElementsAre());
    EXPECT_EQ(clicksDuringCapture, 0);
    EXPECT_TRUE(WaitUntil([&] { return clicks == 1; }, std::chrono::seconds(5)))
        << "the click is handled after the capture";
    button->Destroy();
    ProcessEvents();
}

// The program's own callbacks: the error box, the Snapshot hand-off and the PNG file.
class ProgramCapture : public CaptureOnEngine {
protected:
    void SetUp() override {
        UiHelpers::SetMessageBoxHandler(
            [this](const wxString& text, const wxString& caption, long flags) {
                boxes.push_back({text.utf8_string(), caption.utf8_string(), flags});
                return 1;
            });
    }
    void TearDown() override {
        UiHelpers::SetMessageBoxHandler({});
        UiHelpers::SetSaveFileHandler({});
    }
    PageCapture::Callbacks Callbacks() {
        return WindowCaptureCallbacks(harness->frame,
                                      [this](Bitmap24 picture) { shown = std::move(picture); });
    }
    struct Box {
        std::string text, caption;
        long flags;
    };
    std::vector<Box> boxes;
    std::optional<Bitmap24> shown;
};

TEST_F(ProgramCapture, PagesUpToTheBandHeightGoToTheSnapshotWindow) {
    ASSERT_TRUE(harness->Load(RowPage(1280, 1000)));
    Bitmap24 page;
    Capture(page, {}, {}, Callbacks());
    ASSERT_TRUE(shown);
    EXPECT_TRUE(IsRowPage(*shown, 1280, 1000));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(ProgramCapture, OneRowTooTallForTheSnapshotWindowIsWrittenAsAPngFile) {
    ASSERT_TRUE(harness->Load(RowPage(1280, MaxBandHeight + 1)));
    const std::string chosen = folder.File("page");
    UiHelpers::SetSaveFileHandler([&](const wxString& filter, const wxString&) {
        EXPECT_EQ(filter, "*.PNG|*.png");
        return std::optional<wxString>(wxString::FromUTF8(chosen));
    });
    Bitmap24 page;
    Capture(page, {}, {}, Callbacks());
    EXPECT_FALSE(shown);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "SUCCESS!\r\n" + chosen + ".png");
    EXPECT_EQ(boxes[0].caption, "Information");
    EXPECT_EQ(boxes[0].flags, 64);
    EXPECT_TRUE(IsRowPage(ReadPngFile(chosen + ".png"), 1280, MaxBandHeight + 1));
    EXPECT_FALSE(wxIsBusy());
    ExpectRestored();
}

TEST_F(ProgramCapture, FailureShowsTheErrorBoxWithAnEmptyTitleBar) {
    const std::string path = folder.File("rootless.html");
    WriteText(path, "<body onload=\"document.documentElement.remove()\"></body>");
    ASSERT_TRUE(harness->Load(path));
    Bitmap24 page;
    Capture(page, {}, {}, Callbacks());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "There is no document to capture.");
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].flags, 16);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(wxIsBusy());
    ExpectRestored();
}

}  // namespace
}  // namespace pagrovix::test
