#include "shot/ShotSession.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include <glib.h>
#include <webkit2/webkit2.h>

#include <wx/panel.h>
#include <wx/popupwin.h>
#include <wx/webview.h>

#include "capture/CaptureLimits.h"
#include "capture/MemoryMapping.h"
#include "capture/PageCapture.h"
#include "capture/PageScripts.h"
#include "capture/WebKitBrowserView.h"
#include "imaging/Error.h"
#include "imaging/ImageFormat.h"
#include "imaging/ImageWriters.h"
#include "shot/BandProgressView.h"
#include "shot/BrowserNetwork.h"
#include "shot/CropRect.h"
#include "shot/HiddenScrollBars.h"
#include "shot/MaskRules.h"
#include "shot/PageLoader.h"
#include "shot/PageReadying.h"
#include "shot/PageStore.h"
#include "shot/StopRequest.h"
#include "shot/UnattendedPage.h"
#include "shot/WriteQueue.h"
#include "ui/AddressRules.h"
#include "ui/LocalHtmlFiles.h"

namespace pagrovix {
namespace {

// The largest picture a JPEG file can describe, in either direction.
constexpr int kJpegLargestSide = 65500;
constexpr int kWebpLargestSide = 16383;
constexpr const char* kNotCaptured = "Not captured: the command was asked to stop.";
constexpr const char* kNotWritten = "Not written: the command was asked to stop.";
constexpr const char* kDisplayLost = "Not captured: the X server went away.";
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
    CheckCaptureMemory(rect.Width(), rect.Height(),
                       std::uint64_t(rect.Width()) * std::uint64_t(rect.Height()) * 3,
                       AvailableMemory(), "The crop rectangle is too large");
}

int Cores() {
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

// Runs write, which writes the file at path. The writers' own text names neither the file nor
// the reason, and an unattended run must say both ("No space left on device").
template <typename Write>
void NamingTheFile(const std::string& path, const Write& write) {
    try {
        write();
    } catch (const WriteError& error) {
        throw Error("Cannot write the file \"" + path + "\": " +
                    std::error_code(error.SystemError(), std::generic_category()).message());
    }
}

// Writes one file of a job: the whole picture, or one part of it, which it may use up.
void WriteFile(Bitmap24& picture, const std::string& path, const ShotJob& job,
               const ShotOptions& options) {
    // A link where the program means to put a file of its own was put there by someone else;
    // following it would replace whatever it points at, outside the folder.
    std::error_code linkError;
    if (job.namedByProgram && std::filesystem::is_symlink(path, linkError)) {
        throw Error("\"" + path +
                    "\" is a symbolic link: files named by --output-dir are never written "
                    "through one. Remove the link to capture this page.");
    }
    // The formats that cannot hold every picture, with what to do instead.
    struct SideLimit {
        ImageFormat format;
        int largest;
        const char* name;
        const char* instead;
    };
    static constexpr SideLimit kLimits[] = {
        {ImageFormat::Jpeg, kJpegLargestSide, "JPEG",
         "write it as PNG or BMP, or choose a part with --crop."},
        {ImageFormat::Webp, kWebpLargestSide, "WebP",
         "cut it into parts with --split, write it as PNG, or choose a part with --crop."},
    };
    for (const SideLimit& limit : kLimits) {
        if (job.format == limit.format &&
            (picture.Width() > limit.largest || picture.Height() > limit.largest)) {
            const std::string largest = std::to_string(limit.largest);
            throw Error("The picture is " + std::to_string(picture.Width()) + " x " +
                        std::to_string(picture.Height()) + " pixels, but a " + limit.name +
                        " file holds at most " + largest + " x " + largest + ": " + limit.instead);
        }
    }
    int setting = options.jpegQuality;
    if (job.format == ImageFormat::Png) {
        setting = options.pngLevel;
    } else if (job.format == ImageFormat::Webp && !options.qualityGiven) {
        setting = kWebpLossless;
    }
    NamingTheFile(path, [&] {
        if (job.format == ImageFormat::Png) {
            // Deflate takes most of a tall page's writing: every core takes a share.
            WritePngFileUsingUp(picture, path, setting, Cores());
        } else {
            WriteImageFile(picture, path, job.format, setting);
        }
    });
}

// Whether the job's file may be begun while its picture is painted view by view: one PNG file of
// the whole picture, at a place where a file dropped half-way leaves nothing behind.
bool WritesWhilePainted(const ShotJob& job, const ShotOptions& options) {
    if (job.format != ImageFormat::Png || options.split) {
        return false;
    }
    std::error_code error;
    const auto status = std::filesystem::symlink_status(job.output, error);
    return status.type() == std::filesystem::file_type::not_found ||
           status.type() == std::filesystem::file_type::regular;
}

// The files a job's picture of this height goes to: its output, or its parts with --split.
std::vector<std::string> OutputFiles(const ShotJob& job, const ShotOptions& options, int height) {
    if (!options.split || height <= options.split->rows) {
        return {job.output};
    }
    std::vector<std::string> files;
    for (std::size_t i = 0; i < PlanParts(height, *options.split).size(); ++i) {
        files.push_back(PartPath(job.output, int(i) + 1));
    }
    return files;
}

// What writing a picture takes beyond the picture itself, at its peak: libwebp works on 32-bit
// pixels and keeps its output; PNG may deflate the whole picture in one go; --split copies one
// part at a time; the other writers stream.
std::uint64_t EncoderBytes(const ShotJob& job, const ShotOptions& options, int width, int height) {
    std::uint64_t bytes = 0;
    if (options.split && height > options.split->rows) {
        height = options.split->rows;
        bytes += std::uint64_t(width) * std::uint64_t(height) * 3;
    }
    if (job.format == ImageFormat::Webp) {
        bytes += std::uint64_t(width) * std::uint64_t(height) * 5;
    } else if (job.format == ImageFormat::Png) {
        bytes += PngOnCoresBytes(width, height);
    }
    return bytes;
}

// Runs on the writers' threads: reads only the picture, which it may use up, the job and the
// options.
void WritePicture(Bitmap24& picture, const ShotJob& job, const ShotOptions& options) {
    if (!options.split || picture.Height() <= options.split->rows) {
        WriteFile(picture, job.output, job, options);
        return;
    }
    const std::vector<PartRows> parts = PlanParts(picture.Height(), *options.split);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Bitmap24 part = CropPicture(picture, {0, parts[i].top, picture.Width(), parts[i].bottom});
        WriteFile(part, PartPath(job.output, int(i) + 1), job, options);
    }
}

double SecondsOf(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

}  // namespace

// One browser view, off the screen, with what loads and captures pages in it.
struct ShotSession::Slot {
    // Settling: waiting out --delay; Preparing: made ready for the capture in its own time;
    // Capturing: in the capture's hands; Painting: captured, while the engine paints the picture.
    enum class State { Idle, Loading, Readying, Settling, Preparing, Capturing, Painting };

    explicit Slot(const ShotOptions& options) {
        // A window no window manager places: it stays off the screen, out of the person's way.
        window = new wxPopupWindow(nullptr, wxBORDER_NONE);
        window->SetClientSize(options.viewWidth, options.viewHeight);
        // Positions count in CSS pixels, X's limit in device pixels.
        const int farthest = kFarthestPosition / options.scale;
        window->Move(std::max(farthest, -options.viewWidth - 100),
                     std::max(farthest, -options.viewHeight - 100));
        panel = new wxPanel(window, wxID_ANY, wxPoint(0, 0), window->GetClientSize());
        view =
            wxWebView::New(panel, wxID_ANY, "about:blank", wxPoint(0, 0), window->GetClientSize());
        if (!view) {
            window->Destroy();
            throw Error("The browser engine could not be started.");
        }
        // Ahead of the handlers that decline every sign-in for a person.
        signIn = std::make_unique<SignInAnswers>(view, options.auth);
        MakeUnattended(view);
        if (!options.userAgent.empty()) {
            WebKitWebView* engine = static_cast<WebKitWebView*>(view->GetNativeBackend());
            webkit_settings_set_user_agent(webkit_web_view_get_settings(engine),
                                           options.userAgent.c_str());
        }
        HideScrollBars(view);
        // Ahead of the loader, which must not see the loads it takes over as failures.
        OpenLocalHtmlFilesAsHtml(static_cast<WebKitWebView*>(view->GetNativeBackend()));
        loader = std::make_unique<PageLoader>(view);
        WebKitBrowserView::TimeLimits limits;
        limits.rest = std::chrono::milliseconds(options.settleMilliseconds);
        browser = std::make_unique<WebKitBrowserView>(view, panel, limits);
        // Shown once a page arrives, as again after each capture: the blank start page is never
        // painted, and the first page's load does not wait while that painting is taken in.
        browser->StayHiddenAfterCapture(true);
        window->Show();
        PaintNothingOnScreen(window);
        browser->Hide();
    }
    ~Slot() {
        painting.reset();
        readying.reset();
        browser.reset();
        loader.reset();
        signIn.reset();
        // A page process stuck in a script would go on taking a core long after its view is
        // gone: it is ended with the view.
        webkit_web_view_terminate_web_process(static_cast<WebKitWebView*>(view->GetNativeBackend()));
        window->Destroy();
    }
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;

    wxWindow* window = nullptr;
    wxWindow* panel = nullptr;
    wxWebView* view = nullptr;
    std::unique_ptr<PageLoader> loader;
    std::unique_ptr<SignInAnswers> signIn;
    std::unique_ptr<WebKitBrowserView> browser;
    std::unique_ptr<PageReadying> readying;
    State state = State::Idle;
    std::size_t job = 0;
    std::string address;  // the job's, as loaded
    std::chrono::steady_clock::time_point readyAt;
    // When the job's present step (loading, readying) began, for its record.
    std::chrono::steady_clock::time_point stepStart;
    // While Painting: the painting on its way, the picture it goes into and when the capture
    // began.
    std::unique_ptr<PendingPainting> painting;
    Bitmap24 page;
    std::chrono::steady_clock::time_point captureStart;
    std::size_t pageMapped = 0;  // bytes of page mapped while it waits for the painting
    // The page changed its size while it was painted: its next capture waits for the painting,
    // so that it can be measured again as often as it takes.
    bool paintAtOnce = false;
    // Its capture beside a page painted view by view ran short of memory: it waits for that one.
    bool notBesideAnother = false;
};

ShotSession::ShotSession(const ShotOptions& options, ShotReporter& reporter,
                         const std::vector<ShotJob>& skipped)
    : options_(options),
      reporter_(reporter),
      skipped_(int(skipped.size())),
      records_(options.jobs.size()),
      movedFromStuckView_(options.jobs.size()),
      queuedAt_(options.jobs.size()) {
    if (!options_.colorScheme.empty()) {
        // The engine tells pages the scheme of the toolkit's theme, and paints its own controls
        // in it: a dark variant of the theme where the person asked for dark.
        const bool dark = options_.colorScheme == "dark";
        GtkSettings* settings = gtk_settings_get_default();
        g_object_set(settings, "gtk-application-prefer-dark-theme", dark ? TRUE : FALSE, nullptr);
        if (!dark) {
            gchar* theme = nullptr;
            g_object_get(settings, "gtk-theme-name", &theme, nullptr);
            const std::string name = theme ? theme : "";
            g_free(theme);
            if (name.size() > 5 && name.ends_with("-dark")) {
                g_object_set(settings, "gtk-theme-name", name.substr(0, name.size() - 5).c_str(),
                             nullptr);
            }
        }
    }
    if (options_.reportFile) {
        report_ = std::make_unique<ReportFile>(*options_.reportFile);
        report_->AddSkipped(skipped);
    }
    for (std::size_t i = 0; i < records_.size(); ++i) {
        records_[i].address = options_.jobs[i].address;
        records_[i].output = options_.jobs[i].output;
    }
    if (options_.ignoreCertificateErrors) {
        reporter_.Warning("--ignore-certificate-errors",
                          "certificate errors are ignored: a page may come from a server that "
                          "only pretends to be its own");
    }
    std::vector<std::string> urls;
    if (!options_.headers.empty()) {
        for (const ShotJob& job : options_.jobs) {
            if (job.problem.empty()) {
                urls.push_back(MakeUrl(job.address, CurrentFolder()));
            }
        }
    }
    // Before the first view, whose page process is given the network's settings as it starts.
    SetUpNetwork(options_, OriginsOf(urls));
    // Each view has a web process of its own, so N pages load and lay out side by side.
    const std::size_t count = std::max<std::size_t>(
        1, std::min(std::size_t(options_.parallelJobs), options_.jobs.size()));
    for (std::size_t i = 0; i < count; ++i) {
        slots_.push_back(std::make_unique<Slot>(options_));
    }
    for (const auto& slot : slots_) {
        ReadySlot(*slot);
    }
}

void ShotSession::ReadySlot(Slot& slot) {
    slot.loader->WaitForStartPage(kStartPageLimit);
    slot.readying = std::make_unique<PageReadying>(slot.view, options_);
}

void ShotSession::FailInSlot(std::unique_ptr<Slot>& slot, const std::string& reason, bool mayPass) {
    if (!RetryLater(slot->job, reason, mayPass)) {
        Fail(slot->job, reason);
    }
    // The page may still be running a script that never ends, or its process may have died:
    // the next job starts in a fresh view with a page process of its own, never in this one.
    slot = std::make_unique<Slot>(options_);
    ReadySlot(*slot);
}

bool ShotSession::RetryLater(std::size_t job, const std::string& reason, bool mayPass) {
    const int tries = records_[job].attempts;
    if (!mayPass || tries > options_.retries || StopRequested()) {
        return false;
    }
    reporter_.Warning(options_.jobs[job].address, reason + " (trying again, " +
                                                      std::to_string(tries + 1) + " of " +
                                                      std::to_string(options_.retries + 1) + ")");
    retryJobs_.push_back(job);
    return true;
}

ShotSession::~ShotSession() = default;

int ShotSession::Run() {
    started_ = std::chrono::steady_clock::now();
    // Encoding is the costliest step; more writers than cores would only take turns.
    const int writers = std::clamp(Cores(), 1, std::max(1, options_.parallelJobs));
    WriteQueue writes(
        writers,
        [this](Bitmap24& picture, std::size_t job, PngBandStream* started) {
            if (started) {
                NamingTheFile(options_.jobs[job].output, [started] { started->Finish(); });
            } else {
                WritePicture(picture, options_.jobs[job], options_);
            }
        },
        [] { g_main_context_wakeup(nullptr); });
    writes_ = &writes;
    for (;;) {
        if (StopRequested()) {
            Stop(writes);
            break;
        }
        bool progressed = false;
        TakeWriteResults(writes);
        progressed = StartJobs() || progressed;
        progressed = AdvanceLoads() || progressed;
        progressed = AdvanceReadying() || progressed;
        progressed = AdvancePaintings(writes) || progressed;
        progressed = CaptureOne(writes) || progressed;
        if (othersFailed_) {
            std::rethrow_exception(std::exchange(othersFailed_, nullptr));
        }
        const bool allIdle = std::all_of(slots_.begin(), slots_.end(), [](const auto& slot) {
            return slot->state == Slot::State::Idle;
        });
        if (allIdle && next_ >= options_.jobs.size() && retryJobs_.empty() &&
            writes.InFlight() == 0) {
            break;
        }
        if (!progressed) {
            // Until the next event: a load's news, a writer's result or the timer's tick.
            PageLoader::ProcessEventsFor(std::chrono::milliseconds(1));
        }
    }
    if (options_.saveCookieFile && !slots_.empty()) {
        try {
            WritePrivateFile(*options_.saveCookieFile,
                             CookieFileText(AllCookies(slots_.front()->view)));
        } catch (const std::exception& error) {
            failures_.emplace_back("--save-cookies", error.what());
            reporter_.Failure("--save-cookies", error.what());
        }
    }
    writes_ = nullptr;
    Done();
    return failures_.empty() ? 0 : 1;
}

void ShotSession::WindUpWithoutDisplay() {
    if (writes_) {
        writes_->WaitUntilDone();
        TakeWriteResults(*writes_);
    }
    FailJobsNotCaptured(kDisplayLost);
    Done();
}

bool ShotSession::StartJobs() {
    bool started = false;
    for (const auto& slot : slots_) {
        while (slot->state == Slot::State::Idle &&
               (!retryJobs_.empty() || next_ < options_.jobs.size())) {
            std::size_t job = 0;
            if (!retryJobs_.empty()) {
                job = retryJobs_.front();
                retryJobs_.pop_front();
            } else {
                job = next_++;
            }
            const ShotJob& shot = options_.jobs[job];
            if (!shot.problem.empty()) {
                Fail(job, shot.problem);
                continue;
            }
            if (slots_.size() == 1) {
                reporter_.Loading(shot.address);
            }
            // Every job starts from the same state, so the order of the jobs (and so --jobs and
            // --shard) changes no picture: what earlier pages stored is gone, and the cookies
            // are the file's and nothing else.
            std::vector<std::string> busySites;
            for (const auto& other : slots_) {
                if (other->state != Slot::State::Idle) {
                    busySites.push_back(SiteOf(other->address));
                }
            }
            // The slot holds the job before anything waits for the engine: an X server that goes
            // away meanwhile fails the jobs the slots hold, and this one must be among them.
            slot->job = job;
            slot->state = Slot::State::Loading;
            slot->paintAtOnce = false;
            slot->notBesideAnother = false;
            ForgetPageState(slot->view, busySites);
            if (options_.cookieFile) {
                ReplaceCookies(slot->view, options_.cookies);
            }
            const std::string url = MakeUrl(shot.address, CurrentFolder());
            slot->address = url;
            slot->stepStart = std::chrono::steady_clock::now();
            ++records_[job].attempts;
            slot->signIn->StartJob(url);
            slot->loader->Start(url, std::chrono::seconds(options_.timeoutSeconds));
            started = true;
        }
    }
    return started;
}

bool ShotSession::AdvanceLoads() {
    bool advanced = false;
    for (auto& slot : slots_) {
        if (slot->state != Slot::State::Loading || StopRequested()) {
            continue;
        }
        if (slot->loader->Committed()) {
            // The page paints only while it is on the screen.
            slot->browser->Show();
        }
        const auto loaded = slot->loader->Poll();
        if (!loaded) {
            continue;
        }
        advanced = true;
        const ShotJob& job = options_.jobs[slot->job];
        JobRecord& record = records_[slot->job];
        const auto loadedAt = std::chrono::steady_clock::now();
        record.loadingSeconds = SecondsOf(loadedAt - slot->stepStart);
        record.httpStatus = loaded->httpStatus;
        if (loaded->outcome != PageLoader::Outcome::Failed) {
            record.finalAddress = loaded->finalAddress;
            record.loadedAt = UtcNow();
        }
        slot->stepStart = loadedAt;
        if (loaded->outcome == PageLoader::Outcome::Failed) {
            std::string reason = loaded->reason;
            bool mayPass = loaded->mayPass;
            // A declined sign-in cancels the load, or shows the server's own refusal.
            const bool signInFailed = loaded->httpStatus == 0 || loaded->httpStatus == 401;
            if (signInFailed && slot->signIn->Refused()) {
                reason = "the server refused the --auth user and password";
                mayPass = false;
            } else if (signInFailed && slot->signIn->Unanswered()) {
                reason = "the server asks for a user name and password, which --auth gives";
                mayPass = false;
            }
            reason = "Cannot load the page: " + reason;
            // A page process held by a script of the page before never shows this one: the
            // view is spent, and this page is not to blame.
            const bool viewStuck =
                loaded->unanswered && !slot->browser->Answers(std::chrono::milliseconds(500));
            bool again = false;
            if (viewStuck && !movedFromStuckView_[slot->job]) {
                // Not this page's fault: it starts again, uncounted, in a fresh view.
                movedFromStuckView_[slot->job] = true;
                --record.attempts;
                retryJobs_.push_front(slot->job);
            } else if (mayPass && RetryLater(slot->job, reason, true)) {
                again = true;
            } else {
                Fail(slot->job, reason);
            }
            if (again || viewStuck) {
                // A fresh page process: the trouble may have been this one's, and one that
                // stopped answering would fail every page after it.
                slot = std::make_unique<Slot>(options_);
                ReadySlot(*slot);
            } else {
                slot->state = Slot::State::Idle;
            }
            continue;
        }
        if (loaded->outcome == PageLoader::Outcome::TimedOut) {
            reporter_.Warning(job.address, "the page did not finish loading within " +
                                               std::to_string(options_.timeoutSeconds) +
                                               " seconds; capturing what has loaded");
        }
        slot->readying->Start();
        slot->state = Slot::State::Readying;
    }
    return advanced;
}

bool ShotSession::AdvanceReadying() {
    bool advanced = false;
    for (auto& slot : slots_) {
        if (StopRequested()) {
            break;
        }
        if (slot->state == Slot::State::Readying) {
            try {
                if (!slot->readying->Advance()) {
                    continue;
                }
            } catch (const std::exception& error) {
                // The page may still be busy in the script that timed out.
                FailInSlot(slot, error.what(),
                           dynamic_cast<const TransientError*>(&error) != nullptr);
                advanced = true;
                continue;
            }
            advanced = true;
            slot->state = Slot::State::Settling;
            slot->readyAt = std::chrono::steady_clock::now() +
                            std::chrono::milliseconds(options_.delayMilliseconds);
        }
        // Each page is made ready while others are captured: the wait for it to come to rest
        // keeps no other page from its turn. A page that went elsewhere meanwhile is made ready
        // once it has arrived there, within --timeout.
        const auto now = std::chrono::steady_clock::now();
        if (slot->state == Slot::State::Settling && slot->readyAt <= now &&
            (!slot->loader->LoadingElsewhere() ||
             now >= slot->readyAt + std::chrono::seconds(options_.timeoutSeconds))) {
            slot->browser->BeginReady();
            slot->state = Slot::State::Preparing;
            advanced = true;
        }
    }
    return advanced;
}

bool ShotSession::CaptureOne(WriteQueue& writes) {
    std::unique_ptr<Slot>* chosen = nullptr;
    for (auto& slot : slots_) {
        if (slot->state == Slot::State::Preparing && slot->browser->ReadyAnswered() &&
            !(advancingOthers_ && slot->notBesideAnother) &&
            (!chosen || slot->job < (*chosen)->job)) {
            chosen = &slot;
        }
    }
    if (!chosen) {
        return false;
    }
    // Waited for here, where the other views go on, and not by the capture's first question.
    try {
        (*chosen)->browser->ThrowIfReadyUnanswered();
    } catch (const TransientError& error) {
        records_[(*chosen)->job].readyingSeconds =
            SecondsOf(std::chrono::steady_clock::now() - (*chosen)->stepStart);
        FailInSlot(*chosen, error.what(), true);
        return true;
    }
    // A page process paints on one core, and each painting holds its page in memory until it is
    // written. With no more views than cores, a painting a core keeps them busy; with more, the
    // other views keep them busy anyway, and the paintings go one at a time.
    const auto painting = [](const auto& slot) { return slot->state == Slot::State::Painting; };
    const int mostPaintings = int(slots_.size()) > Cores() ? 1 : Cores();
    if (std::count_if(slots_.begin(), slots_.end(), painting) >= mostPaintings) {
        return false;
    }
    // Pictures on their way to their files may hold at most as much memory again as is still
    // free: the next capture waits for the writers rather than take the rest.
    const std::uint64_t inFlight = writes.BytesInFlight() + PaintingBytes();
    if (inFlight > 0 && inFlight > FreeMemory(writes)) {
        return false;
    }
    // Captures run one at a time: each waits for its engine by processing events, and one
    // started from there runs inside the other, which waits for it to end. Only a page painted
    // view by view lets the others have their turns meanwhile (AdvanceOthers).
    (*chosen)->state = Slot::State::Capturing;
    if (const std::optional<Failure> failure = CaptureSlot(**chosen, writes)) {
        if (failure->shortOfMemory && advancingOthers_) {
            // The picture being painted around this capture holds what it needs: it is made
            // ready and captured again once that one is done, and paints meanwhile.
            (*chosen)->browser->Show();
            (*chosen)->state = Slot::State::Settling;
            (*chosen)->readyAt = std::chrono::steady_clock::now();
            (*chosen)->notBesideAnother = true;
        } else {
            FailInSlot(*chosen, failure->reason, failure->mayPass);
        }
    } else {
        (*chosen)->state = (*chosen)->painting ? Slot::State::Painting : Slot::State::Idle;
    }
    return true;
}

bool ShotSession::AdvancePaintings(WriteQueue& writes) {
    bool advanced = false;
    for (auto& slot : slots_) {
        if (slot->state != Slot::State::Painting) {
            continue;
        }
        if (!slot->painting->Ready()) {
            // With one view, this process has nothing else to do while its page process paints:
            // the picture's memory, which the system clears as it is first written, is mapped
            // meanwhile, a few megabytes at a time so that the painting is taken as it comes.
            // With more, the other views' work keeps the cores busy anyway.
            constexpr std::size_t kMappedAtOnce = std::size_t(8) << 20;
            const std::size_t left = slot->page.ByteCount() - slot->pageMapped;
            if (slots_.size() == 1 && left > 0) {
                const std::size_t bytes = std::min(left, kMappedAtOnce);
                MapForWriting(slot->page.Data() + slot->pageMapped, bytes);
                slot->pageMapped += bytes;
                advanced = true;
            }
            continue;
        }
        advanced = true;
        std::unique_ptr<PaintingCopy> painting;
        try {
            painting = slot->painting->Take();
        } catch (const PageChanged&) {
            // Captured again from the start: measured anew, and painted as often as it takes.
            slot->painting.reset();
            slot->page = Bitmap24();
            slot->paintAtOnce = true;
            slot->browser->Show();
            slot->state = Slot::State::Preparing;
            continue;
        } catch (const std::exception& error) {
            slot->painting.reset();
            slot->page = Bitmap24();
            FailInSlot(slot, error.what(), dynamic_cast<const TransientError*>(&error) != nullptr);
            continue;
        }
        slot->painting.reset();
        QueueForWriting(slot->job, std::move(slot->page), slot->captureStart, {},
                        std::move(painting), writes);
        slot->state = Slot::State::Idle;
    }
    return advanced;
}

void ShotSession::QueueForWriting(std::size_t job, Bitmap24 page,
                                  std::chrono::steady_clock::time_point captureStart,
                                  std::unique_ptr<PngBandStream> started,
                                  std::unique_ptr<PaintingCopy> painting, WriteQueue& writes) {
    if (slots_.size() == 1) {
        reporter_.Writing(options_.jobs[job].output);
    }
    JobRecord& record = records_[job];
    record.width = page.Width();
    record.height = page.Height();
    const auto now = std::chrono::steady_clock::now();
    record.capturingSeconds = SecondsOf(now - captureStart);
    queuedAt_[job] = now;
    const std::uint64_t encoderBytes =
        started ? 0 : EncoderBytes(options_.jobs[job], options_, page.Width(), page.Height());
    writes.Add(job, std::move(page), encoderBytes, std::move(started), std::move(painting));
}

void ShotSession::AdvanceOthers(WriteQueue& writes, std::uint64_t heldByCapture) {
    // A manual painted view by view takes minutes; the pages in the other views would wait for
    // all of it. Their turns come between its views instead, never inside one of theirs.
    if (advancingOthers_ || slots_.size() == 1 || othersFailed_ || StopRequested()) {
        return;
    }
    advancingOthers_ = true;
    heldByCapture_ = heldByCapture;
    try {
        TakeWriteResults(writes);
        StartJobs();
        AdvanceLoads();
        AdvanceReadying();
        AdvancePaintings(writes);
        CaptureOne(writes);
    } catch (...) {
        // Not the capture's fault: it goes on, and the run meets the error once it is done.
        othersFailed_ = std::current_exception();
    }
    heldByCapture_ = 0;
    advancingOthers_ = false;
}

std::uint64_t ShotSession::PaintingBytes() const {
    std::uint64_t bytes = 0;
    for (const auto& slot : slots_) {
        if (slot->painting) {
            // The engine's 32-bit painting, and the picture it is copied into.
            bytes += slot->page.ByteCount() / 3 * 7;
        }
    }
    return bytes;
}

std::uint64_t ShotSession::FreeMemory(const WriteQueue& writes) const {
    // What the encoders of the pictures in flight and the paintings on their way are yet to take
    // is not free.
    const std::uint64_t available = AvailableMemory();
    return available -
           std::min(available, writes.EncoderBytesInFlight() + PaintingBytes() + heldByCapture_);
}

std::optional<ShotSession::Failure> ShotSession::CaptureSlot(Slot& slot, WriteQueue& writes) {
    const ShotJob& job = options_.jobs[slot.job];
    const bool single = slots_.size() == 1;
    JobRecord& record = records_[slot.job];
    const auto captureStart = std::chrono::steady_clock::now();
    record.readyingSeconds = SecondsOf(captureStart - slot.stepStart);
    // A page that went elsewhere on its own since it loaded (during --delay) is captured where it
    // went, and stays there until the capture ends.
    if (const char* shown =
            webkit_web_view_get_uri(WEBKIT_WEB_VIEW(slot.view->GetNativeBackend()))) {
        record.finalAddress = shown;
    }
    // Why the first attempt failed, when a second was made.
    std::string firstError;
    for (int attempt = 0;; ++attempt) {
        record.attempts += attempt;
        bool askedWhileWriting = false;
        bool shortOfMemory = false;
        bool mayPass = false;
        std::string error;
        PageCapture::Callbacks callbacks;
        callbacks.setBusy = [](bool) {};
        callbacks.showError = [&error](const std::string& text) { error = text; };
        // The picture stays in page for the writer, whichever way the capture hands it on.
        callbacks.showPicture = [](const Bitmap24&) {};
        callbacks.saveTallPage = [](const Bitmap24&) {};
        callbacks.availableMemory = [&] {
            askedWhileWriting = askedWhileWriting || writes.InFlight() > 0;
            return FreeMemory(writes);
        };
        // A page painted view by view has its file begun meanwhile, on the cores that wait for
        // the engine: the rows of each row of views are deflated as soon as they are painted.
        // Declared after the picture it reads, so that it ends first on every way out.
        Bitmap24 page;
        std::unique_ptr<PngBandStream> started;
        bool mayStart = false;
        BandProgressView progress(
            *slot.browser,
            [&](int band, int bandCount) {
                if (single) {
                    reporter_.Band(job.address, band, bandCount);
                }
            },
            [&](const Bitmap24& picture, int rows) {
                if (mayStart && !started) {
                    try {
                        started = std::make_unique<PngBandStream>(picture, job.output,
                                                                  options_.pngLevel, Cores());
                    } catch (const std::exception&) {
                        // The writer meets the same trouble after the capture and tells it.
                        mayStart = false;
                    }
                }
                if (started) {
                    started->RowsDone(rows);
                }
                // What of the picture the system has yet to give is not free for the others.
                const std::uint64_t bytes = picture.ByteCount();
                const std::uint64_t painted = std::uint64_t(picture.Stride()) * std::uint64_t(rows);
                AdvanceOthers(writes, bytes - std::min(bytes, painted));
            });
        // Measured in the layout that is painted: readying turns lazy images eager and moves
        // whatever lies below them.
        std::optional<CropRect> part;
        PageReadying::Masks masks;
        PageCapture* running = nullptr;
        callbacks.measured = [&] {
            part = slot.readying->PartToWrite();
            masks = slot.readying->MaskBoxes();
            // Measured again, the page is painted again into a picture that may move.
            started.reset();
            mayStart = !part && masks.boxes.empty() && WritesWhilePainted(job, options_);
            // Masks and parts are made on the picture's pixels as soon as it is captured; any
            // other page painted whole is handed on while the engine paints it, and this thread
            // goes on with the other pages.
            running->HandOnBeforePainted(!slot.paintAtOnce && !part && masks.boxes.empty());
        };
        try {
            PageCapture capture(progress, std::move(callbacks));
            running = &capture;
            if (capture.Run(page)) {
                std::unique_ptr<PendingPainting> painting = capture.TakePendingPainting();
                const WebKitBrowserView::Readiness& readiness = slot.browser->LastReadiness();
                // A page captured again, as it changed its size while it was painted, was warned
                // about the first time.
                const bool warned = slot.paintAtOnce;
                if (!warned && readiness.cut >= 0) {
                    reporter_.Warning(
                        job.address,
                        "the page was brought into view only down to " +
                            std::to_string(readiness.cut) + " pixels" +
                            (readiness.grew ? ": it kept growing as it was scrolled (at most " +
                                                  std::to_string(kRevealCap) + " pixels are)"
                                            : ", as scrolling through it took too long") +
                            "; content that appears only when scrolled to may be missing "
                            "below");
                }
                if (!warned && readiness.moving) {
                    reporter_.Warning(job.address, "the page was still moving after --settle " +
                                                       std::to_string(options_.settleMilliseconds) +
                                                       " ms; it was captured as it was then");
                }
                for (const std::string& selector : masks.unmatched) {
                    reporter_.Warning(
                        job.address, "--mask \"" + selector + "\" matches no element on this page");
                }
                if (painting) {
                    slot.painting = std::move(painting);
                    slot.page = std::move(page);
                    slot.captureStart = captureStart;
                    slot.pageMapped = 0;
                    return std::nullopt;
                }
                // In document pixels, before the part is cut out: painted by the program, so
                // nothing the page does can move the boxes or show what they cover.
                PaintMasks(page,
                           MaskRects(masks.boxes, options_.scale, page.Width(), page.Height()),
                           options_.maskColour.value_or(MaskColour{}));
                if (part) {
                    CheckCropMemory(*part);
                    page = CropPicture(page, *part);
                }
                QueueForWriting(slot.job, std::move(page), captureStart, std::move(started), {},
                                writes);
                return std::nullopt;
            }
            shortOfMemory = capture.FailedForMemory();
            mayPass = capture.FailedTransiently();
            if (error.empty()) {
                error = "The page could not be captured.";
            }
        } catch (const std::bad_alloc&) {
            shortOfMemory = true;
            error = "There is not enough memory for the picture.";
        } catch (const MemoryShortage& failure) {
            shortOfMemory = true;
            error = failure.what();
        } catch (const TransientError& failure) {
            mayPass = true;
            error = failure.what();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        if (attempt == 0 && shortOfMemory && askedWhileWriting && !StopRequested()) {
            // The pictures still being written hold memory that this page needs: it is captured
            // once more when they are gone, instead of failing now. Nothing else is retried:
            // another failure would only cost its time again.
            firstError = error;
            writes.WaitUntilDone();
            continue;
        }
        if (!firstError.empty() && firstError != error) {
            error += " (first: " + firstError + ")";
        }
        return Failure{error, mayPass, shortOfMemory};
    }
}

void ShotSession::TakeWriteResults(WriteQueue& writes) {
    for (const WriteQueue::Result& result : writes.TakeResults()) {
        if (result.error.empty()) {
            ++written_;
            JobRecord& record = records_[result.job];
            record.writingSeconds =
                SecondsOf(std::chrono::steady_clock::now() - queuedAt_[result.job]);
            if (report_) {
                const std::vector<std::string> files =
                    OutputFiles(options_.jobs[result.job], options_, record.height);
                for (const std::string& file : files) {
                    std::error_code error;
                    const std::uint64_t size = std::filesystem::file_size(file, error);
                    record.fileSize += error ? 0 : size;
                    if (files.size() == 1) {
                        record.sha256 = FileSha256(file);
                    } else {
                        record.parts.push_back({file, size, FileSha256(file)});
                    }
                }
            }
            Record(result.job);
            ReportProgress();
        } else {
            Fail(result.job, result.error);
        }
    }
}

void ShotSession::Stop(WriteQueue& writes) {
    writes.Cancel(kNotWritten);
    FailJobsNotCaptured(kNotCaptured);
    writes.WaitUntilDone();
    TakeWriteResults(writes);
}

void ShotSession::FailJobsNotCaptured(const std::string& reason) {
    for (const auto& slot : slots_) {
        if (slot->state != Slot::State::Idle) {
            Fail(slot->job, reason);
            slot->painting.reset();
            slot->page = Bitmap24();
            slot->state = Slot::State::Idle;
        }
    }
    for (const std::size_t job : std::exchange(retryJobs_, {})) {
        Fail(job, reason);
    }
    for (; next_ < options_.jobs.size(); ++next_) {
        Fail(next_, reason);
    }
}

void ShotSession::Fail(std::size_t job, const std::string& reason) {
    const std::string& address = options_.jobs[job].address;
    reporter_.Failure(address, reason);
    failures_.emplace_back(address, reason);
    records_[job].error = reason;
    Record(job);
    ReportProgress();
}

void ShotSession::Record(std::size_t job) {
    if (report_) {
        report_->Add(records_[job]);
    }
}

void ShotSession::ReportProgress() {
    if (options_.jobs.size() < 2) {
        return;
    }
    const double minutes =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count() / 60.0;
    const int done = written_ + int(failures_.size());
    reporter_.Progress(done, int(options_.jobs.size()), int(failures_.size()),
                       minutes > 0 ? done / minutes : 0.0);
}

void ShotSession::Done() {
    if (options_.jobs.size() + std::size_t(skipped_) > 1 || options_.listFile) {
        reporter_.Summary(written_, failures_, skipped_);
    }
}

}  // namespace pagrovix
