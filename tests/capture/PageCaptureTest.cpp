#include "capture/PageCapture.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "capture/BandPlan.h"
#include "capture/CaptureLimits.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// The row colour of document row y, so a misplaced band shows.
std::uint8_t RowMark(int y, int channel) {
    return std::uint8_t(y >> (8 * channel));
}

// An engine double: a document of the given size, a view that shows its rows from the scroll
// position down, and a log of every step.
class FakeView : public BrowserView {
public:
    FakeView(int width, int height) : document{width, height} {}

    ViewSize document;
    int scrollBar = 0;
    int hiddenScrollBar = 0;  // a bar the first measure does not see
    int scale = 1;            // device pixels per CSS pixel
    ViewSize view;
    int scrollY = 0;
    bool hidden = false;
    std::vector<std::string> log;
    std::function<void(const std::string& step)> onStep;
    std::optional<std::string> failAt;

    void Step(const std::string& step) {
        log.push_back(step);
        if (onStep) {
            onStep(step);
        }
        if (failAt && step.rfind(*failAt, 0) == 0) {
            throw Error("failed at " + step);
        }
    }
    void Stop() override { Step("stop"); }
    void Hide() override {
        hidden = true;
        Step("hide");
    }
    ViewSize MeasureDocument() override {
        Step("measure");
        return document;
    }
    int ScrollBarWidth() override {
        Step("scrollbar");
        return scrollBar;
    }
    int DeviceScale() override { return scale; }
    ViewSize Resize(int width, int height) override {
        Step("resize " + std::to_string(width) + "x" + std::to_string(height));
        view = {width, height};
        return {width - scrollBar - hiddenScrollBar, height};
    }
    void ScrollTo(int y) override {
        Step("scroll " + std::to_string(y));
        if (y > document.height - view.height) {
            throw Error("clamped");
        }
        scrollY = y;
    }
    void WaitForContent() override { Step("content"); }
    void PaintBand(Bitmap24& target, int width, int rows) override {
        Step("paint " + std::to_string(width) + "x" + std::to_string(rows));
        EXPECT_TRUE(hidden);
        EXPECT_LE(rows, view.height * scale);
        target.SetSize(width, rows);
        for (int r = 0; r < rows; ++r) {
            const int y = scrollY + r / scale;
            for (int x = 0; x < width; ++x) {
                std::uint8_t* pixel = target.Row(r).data() + 3 * x;
                pixel[0] = RowMark(y, 0);
                pixel[1] = RowMark(y, 1);
                pixel[2] = RowMark(y, 2);
            }
        }
    }
    // An engine that writes the page's rows itself, without the band.
    bool direct = false;
    void PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24& band) override {
        if (!direct) {
            BrowserView::PaintBandInto(page, y, rows, band);
            return;
        }
        Bitmap24 painted;
        PaintBand(painted, page.Width(), rows);
        std::copy(painted.Data(), painted.Data() + painted.ByteCount(), page.Row(y).data());
    }
    void Restore() noexcept override {
        log.push_back("restore");
        hidden = false;
        scrollY = 0;
    }
};

// The callbacks, recording what reached the user.
struct Outcome {
    std::vector<std::string> events;
    std::vector<std::string> errors;
    std::optional<Bitmap24> picture;
    int savedHeight = 0;
    std::uint64_t memory = std::uint64_t(64) << 30;

    PageCapture::Callbacks Callbacks(FakeView& view) {
        PageCapture::Callbacks callbacks;
        callbacks.setBusy = [this, &view](bool busy) {
            events.push_back(busy ? "busy" : "idle");
            view.log.push_back(busy ? "busy" : "idle");
        };
        callbacks.showError = [this, &view](const std::string& text) {
            events.push_back("error");
            errors.push_back(text);
            view.log.push_back("error box");
            const bool wasHidden =
                std::find(view.log.begin(), view.log.end(), "hide") != view.log.end();
            EXPECT_EQ(view.hidden, wasHidden) << "the box shows while the view is still hidden";
        };
        callbacks.showPicture = [this](const Bitmap24& shown) {
            events.push_back("picture");
            picture = shown.Clone();
        };
        callbacks.saveTallPage = [this](const Bitmap24& page) {
            events.push_back("save");
            savedHeight = page.Height();
        };
        callbacks.availableMemory = [this] { return memory; };
        return callbacks;
    }
};

void ExpectRowsMarked(const Bitmap24& page) {
    for (int y = 0; y < page.Height(); ++y) {
        const auto row = page.Row(y);
        for (int x : {0, page.Width() - 1}) {
            ASSERT_EQ(row[3 * x], RowMark(y, 0)) << "row " << y;
            ASSERT_EQ(row[3 * x + 1], RowMark(y, 1)) << "row " << y;
            ASSERT_EQ(row[3 * x + 2], RowMark(y, 2)) << "row " << y;
        }
    }
}

TEST(PageCaptureSteps, OneBandPageIsPaintedOnceAndHandedOnAsACopy) {
    FakeView view(300, 1000);
    view.scrollBar = 15;
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_THAT(view.log, ElementsAre("busy", "stop", "hide", "measure", "scrollbar",
                                      "resize 315x1000", "scroll 0", "content", "paint 300x1000",
                                      "restore", "idle", "busy", "idle"));
    EXPECT_THAT(outcome.events, ElementsAre("busy", "idle", "busy", "picture", "idle"));
    ASSERT_TRUE(outcome.picture);
    EXPECT_EQ(outcome.picture->Width(), 300);
    EXPECT_EQ(outcome.picture->Height(), 1000);
    EXPECT_NE(outcome.picture->Data(), page.Data());
    ExpectRowsMarked(page);
    ExpectRowsMarked(*outcome.picture);
    EXPECT_TRUE(band.Empty()) << "the band is not kept between captures";
}

TEST(PageCaptureSteps, TallestPageForTheSnapshotWindowIsOneBand) {
    FakeView view(4, MaxBandHeight);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "paint 4x32763"), 1);
    EXPECT_THAT(outcome.events, ElementsAre("busy", "idle", "busy", "picture", "idle"));
    ExpectRowsMarked(page);
}

TEST(PageCaptureSteps, OneRowMoreAddsAOneRowBandAndGoesToTheFile) {
    FakeView view(4, 32764);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_THAT(view.log,
                ElementsAre("busy", "stop", "hide", "measure", "scrollbar", "resize 4x32763",
                            "scroll 0", "content", "paint 4x32763", "resize 4x1", "scroll 32763",
                            "content", "paint 4x1", "restore", "idle", "busy", "idle"));
    EXPECT_THAT(outcome.events, ElementsAre("busy", "idle", "busy", "save", "idle"));
    EXPECT_EQ(outcome.savedHeight, 32764);
    ExpectRowsMarked(page);
}

TEST(PageCaptureSteps, TwoFullBandsNeedNoLastBand) {
    FakeView view(3, 65526);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_THAT(view.log,
                ElementsAre("busy", "stop", "hide", "measure", "scrollbar", "resize 3x32763",
                            "scroll 0", "content", "paint 3x32763", "scroll 32763", "content",
                            "paint 3x32763", "restore", "idle", "busy", "idle"));
    ExpectRowsMarked(page);
}

TEST(PageCaptureSteps, LastPartialBandIsPaintedFromTheBottomOfTheDocument) {
    FakeView view(2, 70000);
    view.scrollBar = 17;
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_THAT(view.log,
                ElementsAre("busy", "stop", "hide", "measure", "scrollbar", "resize 19x32763",
                            "scroll 0", "content", "paint 2x32763", "scroll 32763", "content",
                            "paint 2x32763", "resize 19x4474", "scroll 65526", "content",
                            "paint 2x4474", "restore", "idle", "busy", "idle"));
    EXPECT_EQ(outcome.savedHeight, 70000);
    ExpectRowsMarked(page);
}

TEST(PageCaptureSteps, AnEngineThatWritesThePageRowsItselfLeavesTheBandAlone) {
    FakeView view(7, 70000);
    view.direct = true;
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "paint 7x32763"), 2);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "paint 7x4474"), 1);
    EXPECT_TRUE(band.Empty());
    ExpectRowsMarked(page);
}

TEST(PageCaptureSteps, ViewGrowsByTheShortfallOfABarTheFirstMeasureMissed) {
    FakeView view(500, 800);
    view.hiddenScrollBar = 12;
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_THAT(view.log, testing::IsSupersetOf({"resize 500x800", "resize 512x800"}));
    EXPECT_THAT(outcome.events, ElementsAre("busy", "idle", "busy", "picture", "idle"));
}

TEST(PageCaptureSteps, AViewThatPaintsTwoDevicePixelsPerCssPixelGivesATwiceAsLargePicture) {
    FakeView view(3, 20000);
    view.scale = 2;
    view.direct = true;
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    // Sizes and scrolling stay in CSS pixels; each painting stays within the engine's limit.
    EXPECT_THAT(view.log,
                ElementsAre("busy", "stop", "hide", "measure", "scrollbar", "resize 3x16381",
                            "scroll 0", "content", "paint 6x32762", "resize 3x3619", "scroll 16381",
                            "content", "paint 6x7238", "restore", "idle", "busy", "idle"));
    ASSERT_EQ(page.Width(), 6);
    ASSERT_EQ(page.Height(), 40000);
    for (int y = 0; y < page.Height(); ++y) {
        ASSERT_EQ(page.Row(y)[0], RowMark(y / 2, 0)) << "row " << y;
        ASSERT_EQ(page.Row(y)[1], RowMark(y / 2, 1)) << "row " << y;
    }

    view.scale = 5;
    EXPECT_FALSE(capture.Run(page, band));
    EXPECT_THAT(outcome.errors, ElementsAre(HasSubstr("at most 4")));
}

TEST(PageCaptureFailures, AnEngineErrorIsShownWithTheViewHiddenThenTheViewIsRestored) {
    for (const std::string step : {"stop", "hide", "measure", "resize", "scroll", "paint"}) {
        FakeView view(100, 50000);
        view.failAt = step;
        Outcome outcome;
        PageCapture capture(view, outcome.Callbacks(view));
        Bitmap24 page, band;
        EXPECT_FALSE(capture.Run(page, band)) << step;
        ASSERT_EQ(outcome.errors.size(), 1u) << step;
        EXPECT_THAT(outcome.errors[0], HasSubstr("failed at " + step));
        EXPECT_THAT(outcome.events, ElementsAre("busy", "error", "idle")) << step;
        // Error box first, then the view comes back, then the busy state ends.
        const auto box = std::find(view.log.begin(), view.log.end(), "error box");
        ASSERT_NE(box, view.log.end());
        EXPECT_EQ(*(box + 1), "restore") << step;
        EXPECT_EQ(*(box + 2), "idle") << step;
        EXPECT_FALSE(view.hidden);
        EXPECT_FALSE(capture.IsRunning());
    }
}

TEST(PageCaptureFailures, AnEmptyDocumentGetsAClearBoxInsteadOfADivisionByZero) {
    FakeView view(800, 0);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_FALSE(capture.Run(page, band));
    EXPECT_THAT(outcome.errors,
                ElementsAre("The page is empty: it has no width or height to capture."));
    EXPECT_FALSE(outcome.picture);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "restore"), 1);
}

TEST(PageCaptureFailures, APageTooWideForTheEngineIsRefusedBeforeAnythingIsResized) {
    FakeView view(32760, 100);
    view.scrollBar = 15;
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    EXPECT_FALSE(capture.Run(page, band));
    EXPECT_THAT(outcome.errors, ElementsAre(HasSubstr("32760 pixels wide")));
    for (const std::string& step : view.log) {
        EXPECT_EQ(step.rfind("resize", 0), std::string::npos);
    }
}

TEST(PageCaptureFailures, APageThatDoesNotFitInMemoryIsRefusedBeforeAllocation) {
    FakeView view(1280, 70000);
    Outcome outcome;
    outcome.memory = 100ull << 20;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page(10, 10), band;
    EXPECT_FALSE(capture.Run(page, band));
    EXPECT_THAT(outcome.errors, ElementsAre(HasSubstr("too large to capture: 1280 x 70000")));
    EXPECT_EQ(page.Width(), 10) << "the previous picture is untouched";
    EXPECT_EQ(page.Height(), 10);

    // The memory the previous capture holds counts as available: it is given back first.
    FakeView again(100, 100);
    Outcome tight;
    Bitmap24 previous(100, 100);
    tight.memory = CaptureBytes(100, 100, 100, 100) - previous.ByteCount();
    PageCapture second(again, tight.Callbacks(again));
    EXPECT_TRUE(second.Run(previous, band));
}

TEST(PageCaptureFailures, ErrorsOfTheHandOffReachTheCallerWithTheBusyStateEnded) {
    FakeView view(10, 10);
    Outcome outcome;
    auto callbacks = outcome.Callbacks(view);
    callbacks.showPicture = [](const Bitmap24&) { throw Error("Snapshot window failed"); };
    PageCapture capture(view, callbacks);
    Bitmap24 page, band;
    EXPECT_THROW(capture.Run(page, band), Error);
    EXPECT_EQ(outcome.events.back(), "idle");
    EXPECT_FALSE(capture.IsRunning());
}

TEST(PageCaptureReentrancy, ASecondRunWhileOneIsGoingDoesNothing) {
    FakeView view(10, 10);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page, band;
    bool nestedResult = true;
    bool runningDuringCapture = false;
    view.onStep = [&](const std::string& step) {
        if (step == "content") {
            runningDuringCapture = capture.IsRunning();
            Bitmap24 otherPage, otherBand;
            nestedResult = capture.Run(otherPage, otherBand);
        }
    };
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_TRUE(runningDuringCapture);
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "measure"), 1);
    EXPECT_FALSE(capture.IsRunning());
}

TEST(PageCaptureReentrancy, ActionsAskedForDuringACaptureRunAfterItEnds) {
    FakeView view(10, 10);
    Outcome outcome;
    std::vector<std::string> order;
    auto callbacks = outcome.Callbacks(view);
    callbacks.showPicture = [&](const Bitmap24&) { order.push_back("picture"); };
    PageCapture capture(view, callbacks);
    view.onStep = [&](const std::string& step) {
        if (step == "paint 10x10") {
            capture.WhenFinished(
                [&] { order.push_back(capture.IsRunning() ? "closed while running" : "closed"); });
        }
    };
    Bitmap24 page, band;
    EXPECT_TRUE(capture.Run(page, band));
    EXPECT_THAT(order, ElementsAre("picture", "closed"));

    bool ranAtOnce = false;
    capture.WhenFinished([&] { ranAtOnce = true; });
    EXPECT_TRUE(ranAtOnce) << "with no capture running the action runs at once";
}

}  // namespace
}  // namespace pagrovix
