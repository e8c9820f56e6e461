#include "shot/ShotSession.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include <wx/panel.h>
#include <wx/popupwin.h>
#include <wx/webview.h>

#include "capture/CaptureLimits.h"
#include "capture/PageCapture.h"
#include "capture/WebKitBrowserView.h"
#include "imaging/Error.h"
#include "imaging/ImageWriters.h"
#include "shot/BandProgressView.h"
#include "shot/CropRect.h"
#include "shot/PageLoader.h"
#include "shot/PageReadying.h"
#include "shot/StopRequest.h"
#include "shot/UnattendedPage.h"
#include "ui/AddressRules.h"

namespace pagrovix {
namespace {

// The largest picture a JPEG file can describe, in either direction.
constexpr int kJpegLargestSide = 65500;
constexpr const char* kNotCaptured = "Not captured: the command was asked to stop.";
// How long the new view may take to show its blank start page.
constexpr auto kStartPageLimit = std::chrono::seconds(20);
// X keeps window positions in 16 bits.
constexpr int kFarthestPosition = -32768;

std::string CurrentFolder() {
    std::error_code error;
    const auto folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}

void CheckCropMemory(const CropRect& rect) {
    const std::uint64_t bytes = std::uint64_t(rect.Width()) * std::uint64_t(rect.Height()) * 3;
    const std::uint64_t available = AvailableMemory();
    if (bytes > available) {
        constexpr std::uint64_t kMegabyte = 1024 * 1024;
        throw Error("The crop rectangle is too large: " + std::to_string(rect.Width()) + " x " +
                    std::to_string(rect.Height()) + " pixels need " +
                    std::to_string((bytes + kMegabyte - 1) / kMegabyte) +
                    " MB of memory, but only " + std::to_string(available / kMegabyte) +
                    " MB are available.");
    }
}

}  // namespace

ShotSession::ShotSession(const ShotOptions& options, ShotReporter& reporter)
    : options_(options), reporter_(reporter) {
    // A window no window manager places: it stays off the screen, out of the person's way.
    window_ = new wxPopupWindow(nullptr, wxBORDER_NONE);
    window_->SetClientSize(options_.viewWidth, options_.viewHeight);
    // Positions count in CSS pixels, X's limit in device pixels.
    const int farthest = kFarthestPosition / options_.scale;
    window_->Move(std::max(farthest, -options_.viewWidth - 100),
                  std::max(farthest, -options_.viewHeight - 100));
    panel_ = new wxPanel(window_, wxID_ANY, wxPoint(0, 0), window_->GetClientSize());
    view_ =
        wxWebView::New(panel_, wxID_ANY, "about:blank", wxPoint(0, 0), window_->GetClientSize());
    if (!view_) {
        window_->Destroy();
        throw Error("The browser engine could not be started.");
    }
    MakeUnattended(view_);
    loader_ = std::make_unique<PageLoader>(view_);
    browser_ = std::make_unique<WebKitBrowserView>(view_, panel_);
    window_->Show();
    loader_->WaitForStartPage(kStartPageLimit);
    try {
        readying_ = std::make_unique<PageReadying>(view_, options_);
    } catch (...) {
        browser_.reset();
        loader_.reset();
        window_->Destroy();
        throw;
    }
}

ShotSession::~ShotSession() {
    readying_.reset();
    browser_.reset();
    loader_.reset();
    window_->Destroy();
}

int ShotSession::Run() {
    bool allWritten = true;
    for (const ShotJob& job : options_.jobs) {
        if (StopRequested()) {
            reporter_.Failure(job.address, kNotCaptured);
            allWritten = false;
            continue;
        }
        allWritten = CaptureJob(job) && allWritten;
    }
    return allWritten ? 0 : 1;
}

bool ShotSession::CaptureJob(const ShotJob& job) {
    try {
        return CapturePage(job);
    } catch (const std::bad_alloc&) {
        reporter_.Failure(job.address, "There is not enough memory for the picture.");
    } catch (const std::exception& error) {
        reporter_.Failure(job.address, error.what());
    }
    return false;
}

bool ShotSession::CapturePage(const ShotJob& job) {
    reporter_.Loading(job.address);
    const PageLoader::Result loaded = loader_->Load(MakeUrl(job.address, CurrentFolder()),
                                                    std::chrono::seconds(options_.timeoutSeconds));
    if (StopRequested()) {
        reporter_.Failure(job.address, kNotCaptured);
        return false;
    }
    if (loaded.outcome == PageLoader::Outcome::Failed) {
        reporter_.Failure(job.address, "Cannot load the page: " + loaded.reason);
        return false;
    }
    if (loaded.outcome == PageLoader::Outcome::TimedOut) {
        reporter_.Warning(job.address, "the page did not finish loading within " +
                                           std::to_string(options_.timeoutSeconds) +
                                           " seconds; capturing what has loaded");
    }
    const std::optional<CropRect> part = readying_->Ready();

    std::string error;
    PageCapture::Callbacks callbacks;
    callbacks.setBusy = [](bool) {};
    callbacks.showError = [&error](const std::string& text) { error = text; };
    // The picture stays in page_ for the writer, whichever way the capture hands it on.
    callbacks.showPicture = [](const Bitmap24&) {};
    callbacks.saveTallPage = [](const Bitmap24&) {};
    BandProgressView progress(
        *browser_, [&](int band, int bandCount) { reporter_.Band(job.address, band, bandCount); });
    PageCapture capture(progress, std::move(callbacks));
    if (!capture.Run(page_, band_)) {
        reporter_.Failure(job.address, error.empty() ? "The page could not be captured." : error);
        return false;
    }
    WritePicture(job, part);
    return true;
}

void ShotSession::WritePicture(const ShotJob& job, const std::optional<CropRect>& part) {
    const Bitmap24* picture = &page_;
    Bitmap24 cropped;
    if (part) {
        CheckCropMemory(*part);
        cropped = CropPicture(page_, *part);
        picture = &cropped;
    }
    if (job.format == OutputFormat::Jpeg &&
        (picture->Width() > kJpegLargestSide || picture->Height() > kJpegLargestSide)) {
        throw Error("The picture is " + std::to_string(picture->Width()) + " x " +
                    std::to_string(picture->Height()) +
                    " pixels, but a JPEG file holds at most 65500 x 65500: write it as PNG "
                    "or BMP, or choose a part with --crop.");
    }
    if (StopRequested()) {
        throw Error("Not written: the command was asked to stop.");
    }
    reporter_.Writing(job.output);
    switch (job.format) {
        case OutputFormat::Png:
            WritePngFile(*picture, job.output, options_.pngLevel);
            break;
        case OutputFormat::Jpeg:
            WriteJpegFile(*picture, job.output, options_.jpegQuality);
            break;
        case OutputFormat::Bmp:
            WriteBmpFile(*picture, job.output);
            break;
    }
}

}  // namespace pagrovix
