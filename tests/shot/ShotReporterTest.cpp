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
              "\r\033[KCapturing a.html: part 2 of 3"
              "\r\033[Kpagrovix-shot: a.html: broken\n"
              "\r\033[KWriting b.png ..."
              "\r\033[K");
}

TEST(ShotReporter, ManyJobsLeadTheLineWithCountsAndEndWithASummary) {
    Capture shown;
    {
        ShotReporter reporter(shown.Stream(), true);
        reporter.Progress(3, 10, 1, 12.04);
        reporter.Loading("a.html");
        reporter.Summary(8, {{"b.html", "broken"}, {"list line 4", "bad"}}, 1);
    }
    EXPECT_EQ(shown.Text(),
              "\r\033[K3/10 done, 1 failed, 12.0 pages/min"
              "\r\033[K3/10 done, 1 failed, 12.0 pages/min | Loading a.html ..."
              "\r\033[Kpagrovix-shot: 8 written, 2 failed, 1 skipped\n"
              "pagrovix-shot: failed: b.html: broken\n"
              "pagrovix-shot: failed: list line 4: bad\n");
    // Without a terminal a run that went well stays silent; failures and skips are told.
    for (const bool failed : {false, true}) {
        Capture piped;
        {
            ShotReporter reporter(piped.Stream(), false);
            reporter.Progress(1, 2, 0, 5);
            reporter.Summary(2,
                             failed ? std::vector<std::pair<std::string, std::string>>{{"x", "y"}}
                                    : std::vector<std::pair<std::string, std::string>>{},
                             0);
        }
        EXPECT_EQ(piped.Text(), failed ? "pagrovix-shot: 2 written, 1 failed, 0 skipped\n"
                                         "pagrovix-shot: failed: x: y\n"
                                       : "");
    }
}

}  // namespace
}  // namespace pagrovix
