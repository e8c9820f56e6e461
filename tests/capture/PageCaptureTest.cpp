#include "capture/PageCapture.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "capture/CaptureLimits.h"
#include "capture/CapturePlan.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// The colour of the page at (x, y), so a misplaced row or column shows.
std::array<std::uint8_t, 3> Mark(int x, int y) {
    return {std::uint8_t(y), std::uint8_t(y >> 8), std::uint8_t(x * 7 + (y >> 16))};
}

class FakeTile : public PendingTile {
public:
    explicit FakeTile(std::function<void()> finish) : finish_(std::move(finish)) {}
    void Finish() override { finish_(); }

private:
    std::function<void()> finish_;
};

// An engine double: a document of the given size in a view of the given size, painted whole or
// view by view in device pixels, and a log of every step.
class FakeView : public BrowserView {
public:
    FakeView(int width, int height, ViewSize view = {1280, 700}, int scale = 1)
        : page{{width, height}, view, scale} {}

    PageGeometry page;
    int scrollX = 0, scrollY = 0;
    bool hidden = false;
    bool pinned = false;
    int fixedHiddenAtPaint = -1;  // the tile after which fixed elements were hidden
    int paints = 0;
    int asked = 0;  // tiles
    // Tiles asked for as the engine paints them: scrolled to and painted in turn, and their answer
    // (where the scrolling stopped, the painting) taken only when each is finished.
    bool tilesOnTheirWay = false;
    int onTheirWay = 0;
    int mostOnTheirWay = 0;
    std::vector<std::string> log;
    std::function<void(const std::string& step)> onStep;
    std::optional<std::string> failAt;
    // The page takes this height at the next paint or scroll, as many times as given.
    int changes = 0;
    int changedHeight = 0;

    void ChangeSize() {
        if (changes > 0) {
            --changes;
            page.document.height = changedHeight;
            throw PageChanged("changed to " + std::to_string(changedHeight));
        }
    }

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
    void MakeReady() override {
        EXPECT_FALSE(hidden) << "the page paints only while it is on the screen";
        Step("ready");
    }
    void Hide() override {
        hidden = true;
        Step("hide");
    }
    PageGeometry MeasurePage() override {
        Step("measure");
        return page;
    }
    void ScrollTo(int x, int y) override {
        Step("scroll " + std::to_string(x) + "," + std::to_string(y));
        if (y > 0) {
            ChangeSize();
        }
        if (x < 0 || y < 0 || x > std::max(0, page.document.width - page.view.width) ||
            y > std::max(0, page.document.height - page.view.height)) {
            throw Error("clamped");
        }
        scrollX = x;
        scrollY = y;
    }
    // Device pixel (px, py) of the picture shows page pixel (px / scale, py / scale).
    void Fill(Bitmap24& picture, int left, int top, int width, int rows) {
        const int scale = page.scale;
        for (int py = top * scale; py < (top + rows) * scale; ++py) {
            for (int px = left * scale; px < (left + width) * scale; ++px) {
                const auto mark = Mark(px / scale, py / scale);
                std::copy(mark.begin(), mark.end(), picture.Row(py).data() + 3 * px);
            }
        }
    }
    void PaintDocument(Bitmap24& picture, int scale) override {
        Step("paint document");
        ChangeSize();
        EXPECT_TRUE(hidden);
        EXPECT_EQ(scrollX + scrollY, 0);
        EXPECT_EQ(scale, page.scale);
        EXPECT_EQ(picture.Width(), page.document.width * scale);
        EXPECT_EQ(picture.Height(), page.document.height * scale);
        ++paints;
        Fill(picture, 0, 0, page.document.width, page.document.height);
    }
    void PinStickyElements() override {
        pinned = true;
        Step("pin");
    }
    void HideFixedElements() override {
        fixedHiddenAtPaint = asked;
        Step("hide fixed");
    }
    void PaintTile(Bitmap24& picture, const Tile& tile, int scale) override {
        Step("paint " + std::to_string(tile.x) + "," + std::to_string(tile.y) + " " +
             std::to_string(tile.width) + "x" + std::to_string(tile.rows));
        EXPECT_TRUE(hidden);
        EXPECT_TRUE(pinned);
        EXPECT_EQ(scale, page.scale);
        // The tile is what the view shows now.
        EXPECT_EQ(tile.scrollX, scrollX);
        EXPECT_EQ(tile.scrollY, scrollY);
        EXPECT_GE(tile.x, scrollX);
        EXPECT_GE(tile.y, scrollY);
        EXPECT_LE(tile.x + tile.width, scrollX + page.view.width);
        EXPECT_LE(tile.y + tile.rows, scrollY + page.view.height);
        ++paints;
        Fill(picture, tile.x, tile.y, tile.width, tile.rows);
    }
    std::unique_ptr<PendingTile> AskForTile(Bitmap24& picture, const Tile& tile,
                                            int scale) override {
        ++asked;
        if (!tilesOnTheirWay) {
            return BrowserView::AskForTile(picture, tile, scale);
        }
        Step("ask " + std::to_string(tile.x) + "," + std::to_string(tile.y));
        EXPECT_TRUE(hidden);
        EXPECT_TRUE(pinned);
        mostOnTheirWay = std::max(mostOnTheirWay, ++onTheirWay);
        return std::make_unique<FakeTile>([this, &picture, tile] {
            --onTheirWay;
            if (tile.scrollY > 0) {
                ChangeSize();
            }
            ++paints;
            Fill(picture, tile.x, tile.y, tile.width, tile.rows);
        });
    }
    void Restore() noexcept override {
        log.push_back("restore");
        hidden = false;
        pinned = false;
        scrollX = scrollY = 0;
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

// Every pixel of the picture shows the page pixel it should: nothing lost, repeated or shifted.
testing::AssertionResult IsWholePage(const Bitmap24& picture, int scale = 1) {
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y).data();
        for (int x = 0; x < picture.Width(); ++x) {
            const auto mark = Mark(x / scale, y / scale);
            if (!std::equal(mark.begin(), mark.end(), row + 3 * x)) {
                return testing::AssertionFailure() << "wrong pixel at " << x << ", " << y;
            }
        }
    }
    return testing::AssertionSuccess();
}

TEST(PageCaptureSteps, PageWithinOneBandIsPaintedWholeAtTheViewsOwnSize) {
    FakeView view(300, 1000);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page;
    EXPECT_TRUE(capture.Run(page));
    EXPECT_THAT(view.log, ElementsAre("busy", "ready", "stop", "hide", "measure", "scroll 0,0",
                                      "paint document", "restore", "idle", "busy", "idle"));
    EXPECT_THAT(outcome.events, ElementsAre("busy", "idle", "busy", "picture", "idle"));
    ASSERT_TRUE(outcome.picture);
    EXPECT_NE(outcome.picture->Data(), page.Data());
    EXPECT_TRUE(IsWholePage(page));
    EXPECT_TRUE(IsWholePage(*outcome.picture));
}

// Pages of every height, in views of a few sizes: the picture is whole, each part painted once,
// the tallest picture for the Snapshot window in one paint, and a taller one straight to a file.
TEST(PageCaptureSteps, PagesOfEveryHeightArePaintedWholeAndHandedTheRightWay) {
    struct Case {
        int width, height;
        ViewSize view;
        int scale;
        int paints;
        bool toFile;
    };
    for (const Case& c : {
             Case{4, MaxBandHeight, {1280, 700}, 1, 1, false},
             Case{4, MaxBandHeight + 1, {1280, 700}, 1, 47, true},  // the last view clamped
             Case{3, 2 * MaxBandHeight, {3, 32763}, 1, 2, true},
             Case{2, 70000, {2, 32763}, 1, 3, true},
             Case{30, 40000, {12, 9000}, 1, 15, true},  // 3 across, 5 down, last ones clamped
             Case{5, 16381, {5, 700}, 2, 1, false},     // 32762 device rows
             Case{5, 16382, {5, 9000}, 2, 2, true},     // 32764 device rows
         }) {
        for (const bool onTheirWay : {false, true}) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " at " +
                         std::to_string(c.scale) + (onTheirWay ? ", tiles on their way" : ""));
            FakeView view(c.width, c.height, c.view, c.scale);
            view.tilesOnTheirWay = onTheirWay;
            Outcome outcome;
            PageCapture capture(view, outcome.Callbacks(view));
            Bitmap24 page;
            EXPECT_TRUE(capture.Run(page));
            EXPECT_EQ(view.paints, c.paints);
            EXPECT_EQ(page.Width(), c.width * c.scale);
            EXPECT_EQ(page.Height(), c.height * c.scale);
            EXPECT_TRUE(IsWholePage(page, c.scale));
            EXPECT_THAT(outcome.events,
                        ElementsAre("busy", "idle", "busy", c.toFile ? "save" : "picture", "idle"));
            if (c.paints > 1) {
                EXPECT_EQ(view.fixedHiddenAtPaint, 1)
                    << "fixed elements show in the first view only";
            }
            if (onTheirWay) {
                // Each on its way holds a view's painting.
                EXPECT_LE(view.mostOnTheirWay, 3);
                EXPECT_GE(view.mostOnTheirWay, c.paints > 1 ? 2 : 0);
            }
        }
    }
}

TEST(PageCaptureSteps, TallPageIsPaintedViewByViewWithTheLastViewAtTheBottom) {
    FakeView view(10, 70000, {10, 30000});
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page;
    EXPECT_TRUE(capture.Run(page));
    EXPECT_THAT(view.log, ElementsAre("busy", "ready", "stop", "hide", "measure", "scroll 0,0",
                                      "pin", "scroll 0,0", "paint 0,0 10x30000", "hide fixed",
                                      "scroll 0,30000", "paint 0,30000 10x30000", "scroll 0,40000",
                                      "paint 0,60000 10x10000", "restore", "idle", "busy", "idle"));
    EXPECT_EQ(outcome.savedHeight, 70000);
}

// A page that changes its size between measuring and painting is measured again and captured as
// it is then, whichever way it is painted; one that never holds still fails with the reason.
TEST(PageCaptureSteps, APageThatChangesItsSizeIsMeasuredAgain) {
    struct Case {
        int height, changedHeight, changes;
        int measures;
        std::string error;
    };
    for (const Case& test :
         {Case{1000, 950, 1, 2, ""}, Case{70000, 69950, 1, 2, ""}, Case{1000, 40000, 2, 3, ""},
          Case{70000, 60000, 3, 3,
               "The page kept changing its size during the capture: changed "
               "to 60000"}}) {
        for (const bool onTheirWay : {false, true}) {
            SCOPED_TRACE(std::to_string(test.height) + (onTheirWay ? ", tiles on their way" : ""));
            FakeView view(10, test.height, {10, 30000});
            view.tilesOnTheirWay = onTheirWay;
            view.changes = test.changes;
            view.changedHeight = test.changedHeight;
            Outcome outcome;
            PageCapture capture(view, outcome.Callbacks(view));
            Bitmap24 page;
            EXPECT_EQ(capture.Run(page), test.error.empty());
            EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "measure"), test.measures);
            if (test.error.empty()) {
                EXPECT_THAT(outcome.errors, ElementsAre());
                EXPECT_EQ(page.Height(), test.changedHeight);
                EXPECT_TRUE(IsWholePage(page));
            } else {
                EXPECT_THAT(outcome.errors, ElementsAre(test.error));
            }
        }
    }
}

TEST(PageCaptureFailures, AnEngineErrorIsShownWithTheViewHiddenThenTheViewIsRestored) {
    for (const std::string step :
         {"ready", "stop", "hide", "measure", "scroll", "pin", "paint", "hide fixed"}) {
        FakeView view(100, 50000);
        view.failAt = step;
        Outcome outcome;
        PageCapture capture(view, outcome.Callbacks(view));
        Bitmap24 page;
        EXPECT_FALSE(capture.Run(page)) << step;
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
    Bitmap24 page;
    EXPECT_FALSE(capture.Run(page));
    EXPECT_THAT(outcome.errors,
                ElementsAre("The page is empty: it has no width or height to capture."));
    EXPECT_FALSE(outcome.picture);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "restore"), 1);
}

TEST(PageCaptureFailures, APageTooWideForTheEngineIsRefusedBeforeAnythingIsPainted) {
    FakeView view(16384, 100, {1280, 700}, 2);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page;
    EXPECT_FALSE(capture.Run(page));
    EXPECT_THAT(outcome.errors, ElementsAre(HasSubstr("16384 pixels wide")));
    EXPECT_EQ(view.paints, 0);
}

TEST(PageCaptureFailures, APageThatDoesNotFitInMemoryIsRefusedBeforeAllocation) {
    FakeView view(1280, 70000);
    Outcome outcome;
    outcome.memory = 100ull << 20;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page(10, 10);
    EXPECT_FALSE(capture.Run(page));
    EXPECT_THAT(outcome.errors, ElementsAre(HasSubstr("too large to capture: 1280 x 70000")));
    EXPECT_EQ(page.Width(), 10) << "the previous picture is untouched";
    EXPECT_EQ(page.Height(), 10);

    // The memory the previous capture holds counts as available: it is given back first.
    FakeView again(100, 100);
    Outcome tight;
    Bitmap24 previous(100, 100);
    tight.memory = CaptureBytes(100, 100, 100, 100) - previous.ByteCount();
    PageCapture second(again, tight.Callbacks(again));
    EXPECT_TRUE(second.Run(previous));
}

TEST(PageCaptureFailures, ErrorsOfTheHandOffReachTheCallerWithTheBusyStateEnded) {
    FakeView view(10, 10);
    Outcome outcome;
    auto callbacks = outcome.Callbacks(view);
    callbacks.showPicture = [](const Bitmap24&) { throw Error("Snapshot window failed"); };
    PageCapture capture(view, callbacks);
    Bitmap24 page;
    EXPECT_THROW(capture.Run(page), Error);
    EXPECT_EQ(outcome.events.back(), "idle");
    EXPECT_FALSE(capture.IsRunning());
}

TEST(PageCaptureReentrancy, ASecondRunWhileOneIsGoingDoesNothing) {
    FakeView view(10, 10);
    Outcome outcome;
    PageCapture capture(view, outcome.Callbacks(view));
    Bitmap24 page;
    bool nestedResult = true;
    bool runningDuringCapture = false;
    view.onStep = [&](const std::string& step) {
        if (step == "ready") {
            runningDuringCapture = capture.IsRunning();
            Bitmap24 otherPage;
            nestedResult = capture.Run(otherPage);
        }
    };
    EXPECT_TRUE(capture.Run(page));
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
        if (step == "paint document") {
            capture.WhenFinished(
                [&] { order.push_back(capture.IsRunning() ? "closed while running" : "closed"); });
        }
    };
    Bitmap24 page;
    EXPECT_TRUE(capture.Run(page));
    EXPECT_THAT(order, ElementsAre("picture", "closed"));

    bool ranAtOnce = false;
    capture.WhenFinished([&] { ranAtOnce = true; });
    EXPECT_TRUE(ranAtOnce) << "with no capture running the action runs at once";
}

}  // namespace
}  // namespace pagrovix
