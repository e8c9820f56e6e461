#include "shot/BandProgressView.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "capture/PageCapture.h"

namespace pagrovix {
namespace {

// A view that records the steps it is asked for and paints each part in one colour, by its row.
class RecordingView : public BrowserView {
public:
    explicit RecordingView(ViewSize document, ViewSize view = {20, 32763})
        : page_{document, view, 1} {}

    void Stop() override { steps.push_back("stop"); }
    void MakeReady() override { steps.push_back("ready"); }
    void Hide() override { steps.push_back("hide"); }
    PageGeometry MeasurePage() override {
        steps.push_back("measure");
        return page_;
    }
    void ScrollTo(int, int y) override { steps.push_back("scroll " + std::to_string(y)); }
    void PaintDocument(Bitmap24& picture, int) override {
        steps.push_back("paint document");
        picture.Fill(0, 0, 0);
    }
    void PinStickyElements() override { steps.push_back("pin"); }
    void HideFixedElements() override { steps.push_back("hide fixed"); }
    void PaintTile(Bitmap24& picture, const Tile& tile, int) override {
        steps.push_back("paint " + std::to_string(tile.rows));
        for (int y = tile.y; y < tile.y + tile.rows; ++y) {
            picture.Row(y)[0] = std::uint8_t(tile.y);
        }
    }
    void Restore() noexcept override { steps.push_back("restore"); }

    std::vector<std::string> steps;

private:
    PageGeometry page_;
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
    Bitmap24 page;
    ASSERT_TRUE(capture.Run(page));
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(view.steps,
              (std::vector<std::string>{"ready", "stop", "hide", "measure", "scroll 0", "pin",
                                        "scroll 0", "paint 32763", "hide fixed", "scroll 32763",
                                        "paint 32763", "scroll 37237", "paint 4474", "restore"}));
    // The parts the real view painted are the ones in the picture.
    EXPECT_EQ(page.Height(), 70000);
    EXPECT_EQ(page.Row(65526)[0], std::uint8_t(65526));
}

// A page wider than the view is painted in rows of tiles: its rows are final only once the last
// tile of their row is painted.
TEST(BandProgressView, TellsWhichRowsAreFinalAfterEachRowOfTiles) {
    RecordingView view({30, 70000}, {20, 32763});
    BandProgressView progress(
        view, [](int, int) {},
        [&](const Bitmap24& picture, int rows) {
            EXPECT_EQ(picture.Row(rows - 1)[0], std::uint8_t((rows - 1) / 32763 * 32763));
            view.steps.push_back("rows " + std::to_string(rows));
        });
    Bitmap24 page;
    ASSERT_TRUE(PageCapture(progress, QuietCallbacks()).Run(page));
    std::erase_if(view.steps, [](const std::string& step) {
        return !step.starts_with("paint") && !step.starts_with("rows");
    });
    EXPECT_EQ(view.steps, (std::vector<std::string>{"paint 32763", "paint 32763", "rows 32763",
                                                    "paint 32763", "paint 32763", "rows 65526",
                                                    "paint 4474", "paint 4474", "rows 70000"}));
}

TEST(BandProgressView, CountsAnewForEveryCapture) {
    RecordingView tall({10, 32764});
    RecordingView small({10, 5});
    std::vector<std::pair<int, int>> reports;
    const auto report = [&](int band, int count) { reports.push_back({band, count}); };
    BandProgressView first(tall, report);
    BandProgressView second(small, report);
    Bitmap24 page;
    PageCapture(first, QuietCallbacks()).Run(page);
    PageCapture(second, QuietCallbacks()).Run(page);
    PageCapture(first, QuietCallbacks()).Run(page);
    EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}, {1, 1}, {1, 2}, {2, 2}}));
}

TEST(BandProgressView, AnEmptyDocumentReportsNoBand) {
    RecordingView view({0, 0});
    int reports = 0;
    BandProgressView progress(view, [&](int, int) { ++reports; });
    std::string error;
    Bitmap24 page;
    EXPECT_FALSE(PageCapture(progress, QuietCallbacks(&error)).Run(page));
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace pagrovix
