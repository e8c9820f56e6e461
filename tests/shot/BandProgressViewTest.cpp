#include "shot/BandProgressView.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "capture/PageCapture.h"

namespace pagrovix {
namespace {

// A view that records the steps it is asked for and paints each band in one colour.
class RecordingView : public BrowserView {
public:
    explicit RecordingView(ViewSize document) : document_(document) {}

    void Stop() override { steps.push_back("stop"); }
    void Hide() override { steps.push_back("hide"); }
    ViewSize MeasureDocument() override {
        steps.push_back("measure");
        return document_;
    }
    int ScrollBarWidth() override { return 0; }
    ViewSize Resize(int width, int height) override {
        steps.push_back("resize " + std::to_string(height));
        return {width, height};
    }
    void ScrollTo(int y) override {
        steps.push_back("scroll " + std::to_string(y));
        y_ = y;
    }
    void WaitForContent() override {}
    void PaintBand(Bitmap24& target, int width, int rows) override {
        steps.push_back("paint " + std::to_string(rows));
        target.SetSize(width, rows);
        target.Fill(std::uint8_t(y_), 0, 0);
    }
    void Restore() noexcept override { steps.push_back("restore"); }

    std::vector<std::string> steps;

private:
    ViewSize document_;
    int y_ = 0;
};

PageCapture::Callbacks QuietCallbacks(std::string* error = nullptr) {
    PageCapture::Callbacks callbacks;
    callbacks.setBusy = [](bool) {};
    callbacks.showError = [error](const std::string& text) {
        if (error) {
            *error = text;
        }
    };
    callbacks.showPicture = [](const Bitmap24&) {};
    callbacks.saveTallPage = [](const Bitmap24&) {};
    callbacks.availableMemory = [] { return std::uint64_t(1) << 40; };
    return callbacks;
}

TEST(BandProgressView, ReportsEachBandOfTheCaptureAndPassesEveryStepOn) {
    RecordingView view({20, 70000});
    std::vector<std::pair<int, int>> reports;
    BandProgressView progress(view, [&](int band, int count) { reports.push_back({band, count}); });
    PageCapture capture(progress, QuietCallbacks());
    Bitmap24 page, band;
    ASSERT_TRUE(capture.Run(page, band));
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(view.steps,
              (std::vector<std::string>{"stop", "hide", "measure", "resize 32763", "scroll 0",
                                        "paint 32763", "scroll 32763", "paint 32763", "resize 4474",
                                        "scroll 65526", "paint 4474", "restore"}));
    // The bands the real view painted are the ones in the picture.
    EXPECT_EQ(page.Height(), 70000);
    EXPECT_EQ(page.Row(65526)[0], std::uint8_t(65526));
}

TEST(BandProgressView, CountsAnewForEveryCapture) {
    RecordingView tall({10, 32764});
    RecordingView small({10, 5});
    std::vector<std::pair<int, int>> reports;
    const auto report = [&](int band, int count) { reports.push_back({band, count}); };
    BandProgressView first(tall, report);
    BandProgressView second(small, report);
    Bitmap24 page, band;
    PageCapture(first, QuietCallbacks()).Run(page, band);
    PageCapture(second, QuietCallbacks()).Run(page, band);
    PageCapture(first, QuietCallbacks()).Run(page, band);
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}, {1, 1}, {1, 2}, {2, 2}}));
}

TEST(BandProgressView, AnEmptyDocumentReportsNoBand) {
    RecordingView view({0, 0});
    int reports = 0;
    BandProgressView progress(view, [&](int, int) { ++reports; });
    std::string error;
    Bitmap24 page, band;
    EXPECT_FALSE(PageCapture(progress, QuietCallbacks(&error)).Run(page, band));
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace pagrovix
