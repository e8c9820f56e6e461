#include "shot/ShotReporter.h"

namespace pagrovix {

void ShotReporter::Loading(const std::string& address) {
    Status("Loading " + address + " ...");
}

void ShotReporter::Band(const std::string& address, int band, int bandCount) {
    Status("Capturing " + address + ": part " + std::to_string(band) + " of " +
           std::to_string(bandCount));
}

void ShotReporter::Writing(const std::string& output) {
    Status("Writing " + output + " ...");
}

void ShotReporter::Warning(const std::string& address, const std::string& text) {
    Line("pagrovix-shot: warning: " + address + ": " + text);
}

void ShotReporter::Failure(const std::string& address, const std::string& text) {
    Line("pagrovix-shot: " + address + ": " + text);
}

void ShotReporter::Progress(int done, int total, int failed, double pagesPerMinute) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", pagesPerMinute);
    counts_ = std::to_string(done) + "/" + std::to_string(total) + " done, " +
              std::to_string(failed) + " failed, " + rate + " pages/min";
    Status("");
}

void ShotReporter::Summary(int written,
                           const std::vector<std::pair<std::string, std::string>>& failures,
                           int skipped) {
    if (!showProgress_ && failures.empty() && skipped == 0) {
        return;
    }
    Line("pagrovix-shot: " + std::to_string(written) + " written, " +
         std::to_string(failures.size()) + " failed, " + std::to_string(skipped) + " skipped");
    for (const auto& [address, reason] : failures) {
        Line("pagrovix-shot: failed: " + address + ": " + reason);
    }
}

void ShotReporter::BadCommandLine(const std::string& text, const std::string& usage) {
    Line("pagrovix-shot: " + text);
    std::fputs(usage.c_str(), stream_);
    std::fflush(stream_);
}

void ShotReporter::Status(const std::string& text) {
    if (!showProgress_) {
        return;
    }
    const std::string shown = counts_.empty() ? text
                              : text.empty()  ? counts_
                                              : counts_ + " | " + text;
    // Carriage return and erase-to-end-of-line: the next step replaces this one.
    std::fprintf(stream_, "\r\033[K%s", shown.c_str());
    std::fflush(stream_);
    statusShown_ = true;
}

void ShotReporter::Line(const std::string& text) {
    EndStatusLine();
    std::fprintf(stream_, "%s\n", text.c_str());
    std::fflush(stream_);
}

void ShotReporter::EndStatusLine() {
    if (statusShown_) {
        std::fputs("\r\033[K", stream_);
        std::fflush(stream_);
        statusShown_ = false;
    }
}

}  // namespace pagrovix
