#pragma once

#include <memory>
#include <optional>

#include "imaging/Bitmap24.h"
#include "shot/ShotOptions.h"
#include "shot/ShotReporter.h"

class wxWebView;
class wxWindow;

namespace pagrovix {

class PageLoader;
class PageReadying;
class WebKitBrowserView;

// The command's run: one browser view, off the screen, that loads each address in turn, captures
// the whole page with the program's own capture and writes the file. Needs a running wx GUI.
class ShotSession {
public:
    ShotSession(const ShotOptions& options, ShotReporter& reporter);
    ~ShotSession();
    ShotSession(const ShotSession&) = delete;
    ShotSession& operator=(const ShotSession&) = delete;

    // Captures every job; one failure does not stop the others. Returns the exit status: 0 when
    // every file was written, else 1.
    int Run();

private:
    bool CaptureJob(const ShotJob& job);
    bool CapturePage(const ShotJob& job);
    // Writes part of the picture (device pixels), or all of it.
    void WritePicture(const ShotJob& job, const std::optional<CropRect>& part);

    const ShotOptions& options_;
    ShotReporter& reporter_;
    wxWindow* window_ = nullptr;
    wxWindow* panel_ = nullptr;
    wxWebView* view_ = nullptr;
    std::unique_ptr<PageLoader> loader_;
    std::unique_ptr<WebKitBrowserView> browser_;
    std::unique_ptr<PageReadying> readying_;
    Bitmap24 page_;
    Bitmap24 band_;
};

}  // namespace pagrovix
