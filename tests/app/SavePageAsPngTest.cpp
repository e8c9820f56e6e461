#include "app/SavePageAsPng.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/utils.h>

#include "imaging/Error.h"
#include "tests/capture/TestPages.h"
#include "tests/support/GuiTest.h"
#include "ui/UiHelpers.h"

namespace pagrovix::test {
namespace {

namespace fs = std::filesystem;

// The save dialog and the message boxes, answered by the test.
class SavePageAsPngTest : public testing::Test {
protected:
    void SetUp() override {
        picture.SetSize(3, 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                std::uint8_t* pixel = picture.Row(y).data() + 3 * x;
                pixel[0] = std::uint8_t(10 * x);
                pixel[1] = std::uint8_t(100 + y);
                pixel[2] = std::uint8_t(200 + x + y);
            }
        }
        UiHelpers::SetSaveFileHandler([this](const wxString& filter, const wxString& initial) {
            filters.push_back(filter.utf8_string());
            offered.push_back(initial.utf8_string());
            return answer ? std::optional<wxString>(wxString::FromUTF8(*answer)) : std::nullopt;
        });
        UiHelpers::SetMessageBoxHandler(
            [this](const wxString& text, const wxString& caption, long flags) {
                boxes.push_back(text.utf8_string() + "|" + caption.utf8_string() + "|" +
                                std::to_string(flags));
                return replace ? 6 : 7;
            });
    }
    void TearDown() override {
        UiHelpers::SetSaveFileHandler({});
        UiHelpers::SetMessageBoxHandler({});
    }

    // Whether path holds exactly picture, read back by libpng.
    testing::AssertionResult HoldsPicture(const std::string& path) {
        const Bitmap24 read = ReadPngFile(path);
        if (read.Width() != picture.Width() || read.Height() != picture.Height() ||
            !std::equal(read.Data(), read.Data() + read.ByteCount(), picture.Data())) {
            return testing::AssertionFailure() << path << " differs from the picture";
        }
        return testing::AssertionSuccess();
    }

    std::string Success(const std::string& path) {
        return "SUCCESS!\r\n" + path + "|Information|64";
    }

    TempFolder folder;
    Bitmap24 picture;
    std::optional<std::string> answer;
    bool replace = false;
    std::vector<std::string> filters, offered, boxes;
};

TEST_F(SavePageAsPngTest, AppendsPngUnlessTheNameEndsInPngInAnyCase) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"page", "page.png"}, {"page.PNG", "page.PNG"}, {"page.jpg", "page.jpg.png"}};
    for (const auto& [typed, written] : cases) {
        boxes.clear();
        answer = folder.File(typed);
        SavePageAsPng(nullptr, picture);
        EXPECT_TRUE(HoldsPicture(folder.File(written))) << typed;
        EXPECT_EQ(boxes, std::vector<std::string>{Success(folder.File(written))}) << typed;
    }
    EXPECT_FALSE(fs::exists(folder.File("page.PNG.png")));
    EXPECT_FALSE(fs::exists(folder.File("page.jpg")));
    EXPECT_EQ(filters, std::vector<std::string>(3, "*.PNG|*.png"));
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(SavePageAsPngTest, CancellingWritesNothingAndSaysNothing) {
    answer.reset();
    SavePageAsPng(nullptr, picture);
    EXPECT_TRUE(fs::is_empty(folder.Path()));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SavePageAsPngTest, DialogOffersTheNameChosenLastTime) {
    answer = folder.File("first");
    SavePageAsPng(nullptr, picture);
    answer.reset();
    SavePageAsPng(nullptr, picture);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1], folder.File("first"));
}

TEST_F(SavePageAsPngTest, AsksBeforeReplacingAFileTheAppendedExtensionPointsAt) {
    WriteText(folder.File("shot.png"), "keep me");
    answer = folder.File("shot");
    replace = false;
    SavePageAsPng(nullptr, picture);
    ASSERT_EQ(boxes.size(), 1u) << "only the question, no success";
    EXPECT_NE(boxes[0].find(folder.File("shot.png")), std::string::npos);
    EXPECT_EQ(fs::file_size(folder.File("shot.png")), 7u);

    boxes.clear();
    replace = true;
    SavePageAsPng(nullptr, picture);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], Success(folder.File("shot.png")));
    EXPECT_TRUE(HoldsPicture(folder.File("shot.png")));
}

TEST_F(SavePageAsPngTest, AFailedWriteIsAnErrorAndNoSuccessIsShown) {
    answer = folder.File("missing-folder/page");
    EXPECT_THROW(SavePageAsPng(nullptr, picture), Error);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(wxIsBusy());
}

}  // namespace
}  // namespace pagrovix::test
