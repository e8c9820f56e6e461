#include "shot/ShotReporter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

// Collects what the reporter writes.
class Capture {
public:
    Capture() : stream_(open_memstream(&buffer_, &size_)) {}
    ~Capture() {
        std::fclose(stream_);
        std::free(buffer_);
    }
    std::FILE* Stream() { return stream_; }
    std::string Text() {
        std::fflush(stream_);
        return std::string(buffer_, size_);
    }

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

TEST(ShotReporter, WithoutProgressOnlyWarningsAndFailuresAreWritten) {
    Capture capture;
    {
        ShotReporter reporter(capture.Stream(), false);
        reporter.Loading("a.html");
        reporter.Band("a.html", 1, 3);
        reporter.Warning("a.html", "the page did not finish loading");
        reporter.Writing("a.png");
        reporter.Failure("b.html", "Cannot create file \"x\".");
    }
    EXPECT_EQ(capture.Text(),
              "pagrovix-shot: warning: a.html: the page did not finish loading\n"
              "pagrovix-shot: b.html: Cannot create file \"x\".\n");
}

TEST(ShotReporter, ProgressIsOneLineThatMessagesFirstClear) {
    Capture capture;
    {
        ShotReporter reporter(capture.Stream(), true);
        reporter.Loading("a.html");
        reporter.Band("a.html", 2, 3);
        reporter.Failure("a.html", "broken");
        reporter.Writing("b.png");
    }
    EXPECT_EQ(capture.Text(),
              "\r\033[KLoading a.html ..."
              "\r\033[KCapturing a.html: band 2 of 3"
              "\r\033[Kpagrovix-shot: a.html: broken\n"
              "\r\033[KWriting b.png ..."
              "\r\033[K");
}

}  // namespace
}  // namespace pagrovix
