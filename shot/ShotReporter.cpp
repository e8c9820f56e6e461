#include "shot/ShotReporter.h"

namespace pagrovix {

void ShotReporter::Loading(const std::string& address) {
    Status("Loading " + address + " ...");
}

void ShotReporter::Band(const std::string& address, int band, int bandCount) {
    Status("Capturing " + address + ": band " + std::to_string(band) + " of " +
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

void ShotReporter::BadCommandLine(const std::string& text, const std::string& usage) {
    Line("pagrovix-shot: " + text);
    std::fputs(usage.c_str(), stream_);
    std::fflush(stream_);
}

void ShotReporter::Status(const std::string& text) {
    if (!showProgress_) {
        return;
    }
    // Carriage return and erase-to-end-of-line: the next step replaces this one.
    std::fprintf(stream_, "\r\033[K%s", text.c_str());
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
