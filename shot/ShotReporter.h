#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace pagrovix {

// Everything the command tells the person on its error stream. Progress is one status line that
// each step overwrites, shown only when asked for (stderr is a terminal and --quiet is not
// given); warnings and errors always show, each on a line of its own.
class ShotReporter {
public:
    ShotReporter(std::FILE* stream, bool showProgress)
        : stream_(stream), showProgress_(showProgress) {}
    ~ShotReporter() { EndStatusLine(); }
    ShotReporter(const ShotReporter&) = delete;
    ShotReporter& operator=(const ShotReporter&) = delete;

    void Loading(const std::string& address);
    void Band(const std::string& address, int band, int bandCount);
    void Writing(const std::string& output);
    void Warning(const std::string& address, const std::string& text);
    void Failure(const std::string& address, const std::string& text);
    // A wrong command line found only once the browser runs, with the short usage.
    void BadCommandLine(const std::string& text, const std::string& usage);

    // For a run of many jobs: the counts that lead every later progress line.
    void Progress(int done, int total, int failed, double pagesPerMinute);
    // The end of a run of many jobs: the counts, then each failure with its address and reason.
    // Shown when progress is, or when something failed or was skipped.
    void Summary(int written, const std::vector<std::pair<std::string, std::string>>& failures,
                 int skipped);

private:
    void Status(const std::string& text);
    void Line(const std::string& text);
    void EndStatusLine();

    std::FILE* stream_;
    bool showProgress_;
    bool statusShown_ = false;
    std::string counts_;
};

}  // namespace pagrovix
