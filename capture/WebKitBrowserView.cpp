#include "capture/WebKitBrowserView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "capture/EngineReply.h"
#include "capture/EngineWait.h"
#include "capture/MemoryMapping.h"
#include "capture/PageScripts.h"
#include "capture/PaintedPixels.h"
#include "capture/ScriptCall.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

WebKitWebView* EngineOf(wxWebView* view) {
    return WEBKIT_WEB_VIEW(view->GetNativeBackend());
}

}  // namespace

// A painting the engine handed over, in memory shared with its process that it no longer uses:
// held until it is copied, and given back to the system by the copy as it goes.
class EnginePainting final : public PaintingCopy {
public:
    EnginePainting(std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface,
                   const PaintedPixels& pixels)
        : surface_(std::move(surface)), pixels_(pixels) {}

    const PaintedPixels& Pixels() const { return pixels_; }

    // The pages of the painting mapped here at once rather than one fault at a time.
    void MapHere() const {
        MapForReading(pixels_.data, std::size_t(pixels_.stride) * std::size_t(pixels_.height));
    }

    std::uint64_t Bytes() const override {
        return std::uint64_t(pixels_.stride) * std::uint64_t(pixels_.height);
    }

    // The rows copied go back to the system as the copy goes on, so that the painting and the
    // picture of a tall page are not held whole at once. A large painting is copied in two halves
    // at once: with one page, the other core would only wait for the copy.
    void CopyInto(Bitmap24& picture) override {
        constexpr std::uint64_t kBytesWorthAThread = std::uint64_t(8) << 20;
        const int height = picture.Height();
        if (Bytes() < kBytesWorthAThread) {
            CopyRows(picture, 0, height);
            return;
        }
        const int half = std::min(height, (height / 2 + kBandRows - 1) / kBandRows * kBandRows);
        std::future<void> lower =
            std::async(std::launch::async, [&] { CopyRows(picture, half, height); });
        CopyRows(picture, 0, half);
        lower.get();
    }

private:
    static constexpr int kBandRows = 256;

    // Rows first to end, mapped at once rather than one fault at a time.
    void CopyRows(Bitmap24& picture, int first, int end) const {
        MapForReading(pixels_.data + std::size_t(pixels_.stride) * std::size_t(first),
                      std::size_t(pixels_.stride) * std::size_t(end - first));
        for (int top = first; top < end; top += kBandRows) {
            const int rows = std::min(kBandRows, end - top);
            CopyPaintedArea(pixels_, 0, top, picture.Width(), rows, picture, 0, top);
            GiveBackShared(pixels_.data + std::size_t(pixels_.stride) * std::size_t(top),
                           std::size_t(pixels_.stride) * std::size_t(rows));
        }
    }

    std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface_;
    PaintedPixels pixels_;
};

// A painting asked of the engine: its process paints it while this one goes on, and the answer
// arrives with the engine's other events.
class EngineSnapshot final : public PendingPainting {
public:
    EngineSnapshot(WebKitBrowserView& view, int region, int width, int height)
        : view_(view),
          width_(width),
          height_(height),
          deadline_(std::chrono::steady_clock::now() + view.limits_.paint) {
        webkit_web_view_get_snapshot(EngineOf(view.view_), WebKitSnapshotRegion(region),
                                     WEBKIT_SNAPSHOT_OPTIONS_NONE, reply_.Cancellable(),
                                     EngineReply::Callback, reply_.CallbackData());
    }

    bool Ready() const override {
        return reply_.Arrived() || view_.engineEnded_ ||
               std::chrono::steady_clock::now() >= deadline_;
    }

    std::unique_ptr<PaintingCopy> Take() override { return TakePainting(); }

    std::unique_ptr<EnginePainting> TakePainting() {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline_ - std::chrono::steady_clock::now());
        WaitForEngine([this] { return reply_.Arrived() || view_.engineEnded_; },
                      std::max(left, std::chrono::milliseconds(0)));
        view_.ThrowIfEngineEnded();
        if (!reply_.Arrived()) {
            throw TransientError("The browser did not paint the page within " +
                                 SecondsText(view_.limits_.paint) + ".");
        }
        GError* rawError = nullptr;
        std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface(
            webkit_web_view_get_snapshot_finish(EngineOf(view_.view_), reply_.Result(), &rawError));
        std::unique_ptr<GError, ErrorFree> error(rawError);
        if (!surface) {
            throw Error(std::string("The browser could not paint the page: ") +
                        (error ? error->message : "no picture") + ".");
        }
        const cairo_format_t format = cairo_image_surface_get_format(surface.get());
        if (cairo_surface_get_type(surface.get()) != CAIRO_SURFACE_TYPE_IMAGE ||
            (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)) {
            throw Error("The browser painted the page in an unknown pixel format.");
        }
        cairo_surface_flush(surface.get());
        const PaintedPixels painted{cairo_image_surface_get_data(surface.get()),
                                    cairo_image_surface_get_width(surface.get()),
                                    cairo_image_surface_get_height(surface.get()),
                                    cairo_image_surface_get_stride(surface.get()),
                                    format == CAIRO_FORMAT_ARGB32};
        if (width_ >= 0 && (painted.width != width_ || painted.height != height_)) {
            throw PageChanged("The browser painted " + std::to_string(painted.width) + " x " +
                              std::to_string(painted.height) + " pixels instead of " +
                              std::to_string(width_) + " x " + std::to_string(height_) + ".");
        }
        return std::make_unique<EnginePainting>(std::move(surface), painted);
    }

private:
    WebKitBrowserView& view_;
    int width_;
    int height_;
    std::chrono::steady_clock::time_point deadline_;
    EngineReply reply_;
};

struct WebKitSignals {
    static void ProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                  gpointer data) {
        auto* self = static_cast<WebKitBrowserView*>(data);
        self->engineEnded_ = true;
        self->outOfMemory_ = reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT;
    }
    // Only the page's own loads are told here, never those of the frames inside it.
    static void LoadChanged(WebKitWebView* engine, WebKitLoadEvent event, gpointer data) {
        if (event == WEBKIT_LOAD_STARTED && static_cast<WebKitBrowserView*>(data)->holdingPage_) {
            webkit_web_view_stop_loading(engine);
        }
    }
};

WebKitBrowserView::WebKitBrowserView(wxWebView* view, wxWindow* panel)
    : WebKitBrowserView(view, panel, TimeLimits{}) {}

WebKitBrowserView::WebKitBrowserView(wxWebView* view, wxWindow* panel, TimeLimits limits)
    : view_(view), panel_(panel), limits_(limits), engine_(EngineOf(view)) {
    // Held, so the handler can be taken off even when the window went first.
    g_object_ref(engine_);
    terminatedHandler_ = g_signal_connect(engine_, "web-process-terminated",
                                          G_CALLBACK(WebKitSignals::ProcessTerminated), this);
    loadHandler_ =
        g_signal_connect(engine_, "load-changed", G_CALLBACK(WebKitSignals::LoadChanged), this);
    keepWebGlPicture_ =
        webkit_user_script_new(kKeepWebGlPictureScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(
        webkit_web_view_get_user_content_manager(WEBKIT_WEB_VIEW(engine_)),
        static_cast<WebKitUserScript*>(keepWebGlPicture_));
}

WebKitBrowserView::~WebKitBrowserView() {
    readyCall_.reset();
    g_signal_handler_disconnect(engine_, terminatedHandler_);
    g_signal_handler_disconnect(engine_, loadHandler_);
    webkit_user_content_manager_remove_script(
        webkit_web_view_get_user_content_manager(WEBKIT_WEB_VIEW(engine_)),
        static_cast<WebKitUserScript*>(keepWebGlPicture_));
    webkit_user_script_unref(static_cast<WebKitUserScript*>(keepWebGlPicture_));
    g_object_unref(engine_);
    if (refusing_) {
        view_->Unbind(wxEVT_WEBVIEW_NAVIGATING, &WebKitBrowserView::OnNavigating, this);
    }
}

void WebKitBrowserView::ThrowIfEngineEnded() const {
    if (outOfMemory_) {
        throw Error("The browser ran out of memory while painting the page.");
    }
    if (engineEnded_) {
        throw TransientError("The browser's page process ended during the capture.");
    }
}

void WebKitBrowserView::Stop() {
    // The engine asks about frames inside the page as it asks about the page, so refusing starts
    // only here: until now the page's own frames may still load.
    if (!refusing_) {
        view_->Bind(wxEVT_WEBVIEW_NAVIGATING, &WebKitBrowserView::OnNavigating, this);
        refusing_ = true;
    }
    view_->Stop();
}

namespace {

// The numbers of an array value; empty for null or undefined.
std::vector<double> NumbersOf(JSCValue* value) {
    std::vector<double> numbers;
    if (jsc_value_is_null(value) || jsc_value_is_undefined(value)) {
        return numbers;
    }
    for (guint i = 0;; ++i) {
        std::unique_ptr<JSCValue, ObjectUnref> item(
            jsc_value_object_get_property_at_index(value, i));
        if (!item || !jsc_value_is_number(item.get())) {
            break;
        }
        numbers.push_back(jsc_value_to_double(item.get()));
    }
    return numbers;
}

// The numbers of a script's answer, taking both; the engine's reason when it could not run it.
std::vector<double> NumbersOfAnswer(JSCValue* rawValue, GError* rawError) {
    std::unique_ptr<JSCValue, ObjectUnref> value(rawValue);
    std::unique_ptr<GError, ErrorFree> error(rawError);
    if (!value) {
        throw Error(std::string("The browser could not run a script on the page: ") +
                    (error ? error->message : "no answer") + ".");
    }
    return NumbersOf(value.get());
}

}  // namespace

void WebKitBrowserView::BeginReady() {
    // A process that ended before it was restarted by the load that followed.
    engineEnded_ = false;
    outOfMemory_ = false;
    // The page made ready is the one captured: a load it starts itself from now on (a redirect
    // on a timer, a refresh) would end the readying with no picture.
    holdingPage_ = true;
    GVariantDict arguments;
    g_variant_dict_init(&arguments, nullptr);
    g_variant_dict_insert(&arguments, "budget", "d", double(limits_.ready.count()));
    g_variant_dict_insert(&arguments, "rest", "d", double(limits_.rest.count()));
    g_variant_dict_insert(&arguments, "cap", "d", double(kRevealCap));
    readyCall_ = std::make_unique<ScriptCallInFlight>(EngineOf(view_), kReadyScript,
                                                      g_variant_dict_end(&arguments), kScriptWorld);
    // The script keeps to its budgets; the wait allows a little for the answer to come back.
    readyDeadline_ = std::chrono::steady_clock::now() + limits_.ready + limits_.rest +
                     std::chrono::milliseconds(500);
    // What the script changes is given back by Restore, even when its answer comes too late.
    stylesChanged_ = true;
}

bool WebKitBrowserView::ReadyAnswered() const {
    return !readyCall_ || readyCall_->Arrived() || engineEnded_ || ReadyTimeUp();
}

bool WebKitBrowserView::ReadyTimeUp() const {
    return std::chrono::steady_clock::now() >= readyDeadline_ + limits_.script;
}

void WebKitBrowserView::ThrowIfReadyUnanswered() const {
    if (readyCall_ && !readyCall_->Arrived() && !engineEnded_ && ReadyTimeUp()) {
        throw TransientError("The page did not answer within " + SecondsText(limits_.script) + ".");
    }
}

void WebKitBrowserView::MakeReady() {
    // The first step of a capture, unless the page was made ready ahead of it.
    if (!readyCall_) {
        BeginReady();
    }
    const std::unique_ptr<ScriptCallInFlight> call = std::move(readyCall_);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        readyDeadline_ - std::chrono::steady_clock::now());
    WaitForEngine([&] { return call->Arrived() || engineEnded_; },
                  std::max(left, std::chrono::milliseconds(0)));
    ThrowIfEngineEnded();
    readiness_ = {};
    // A page too busy to answer at all is caught by the next question.
    if (!call->Arrived()) {
        readiness_.complete = false;
        return;
    }
    std::vector<double> answer = NumbersOf(ValueOf(call->Take()).get());
    // A page that changed while it waited for its turn is brought to rest again.
    GVariantDict arguments;
    g_variant_dict_init(&arguments, nullptr);
    g_variant_dict_insert(&arguments, "rest", "d", double(limits_.rest.count()));
    const auto settled = AsyncNumbers(kSettleAgainScript, g_variant_dict_end(&arguments),
                                      limits_.rest + std::chrono::milliseconds(500));
    if (settled && settled->size() == 4) {
        answer = *settled;
    }
    if (answer.size() == 4) {
        readiness_.complete = answer[0] != 0;
        readiness_.moving = answer[1] != 0;
        readiness_.cut = int(std::lround(answer[2]));
        readiness_.grew = answer[3] != 0;
    } else {
        readiness_.complete = false;
    }
}

void WebKitBrowserView::Hide() {
    // Hide() on the wx window would also keep new sizes from the engine; this only unmaps it.
    gtk_widget_set_child_visible(GTK_WIDGET(view_->GetHandle()), FALSE);
    panel_->Refresh();
    panel_->Update();
    ProcessEngineEvents();
}

void WebKitBrowserView::OnNavigating(wxWebViewEvent& event) {
    // The document must stay the one being captured.
    event.Veto();
}

std::vector<double> WebKitBrowserView::Numbers(const std::string& script,
                                               std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    EngineReply reply;
    StartScript(script, reply);
    return AnswerNumbers(reply, deadline, limit);
}

void WebKitBrowserView::StartScript(const std::string& script, EngineReply& reply) {
    ThrowIfEngineEnded();
    webkit_web_view_evaluate_javascript(EngineOf(view_), script.c_str(), gssize(script.size()),
                                        kScriptWorld, nullptr, reply.Cancellable(),
                                        EngineReply::Callback, reply.CallbackData());
}

std::vector<double> WebKitBrowserView::AnswerNumbers(const EngineReply& reply,
                                                     std::chrono::steady_clock::time_point deadline,
                                                     std::chrono::milliseconds limit) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    WaitForEngine([&] { return reply.Arrived() || engineEnded_; },
                  std::max(left, std::chrono::milliseconds(0)));
    ThrowIfEngineEnded();
    if (!reply.Arrived()) {
        throw TransientError("The page did not answer within " + SecondsText(limit) + ".");
    }
    GError* error = nullptr;
    JSCValue* value =
        webkit_web_view_evaluate_javascript_finish(EngineOf(view_), reply.Result(), &error);
    return NumbersOfAnswer(value, error);
}

bool WebKitBrowserView::Answers(std::chrono::milliseconds limit) {
    try {
        Numbers("[1]", limit);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<std::vector<double>> WebKitBrowserView::AsyncNumbers(
    const std::string& body, GVariant* arguments, std::chrono::milliseconds limit) {
    ThrowIfEngineEnded();
    auto answer = CallAsyncFunction(EngineOf(view_), body, arguments, kScriptWorld, limit,
                                    [this] { return engineEnded_; });
    ThrowIfEngineEnded();
    if (!answer) {
        return std::nullopt;
    }
    return NumbersOf(ValueOf(std::move(*answer)).get());
}

PageGeometry WebKitBrowserView::MeasurePage() {
    if (!webkit_web_view_get_uri(EngineOf(view_))) {
        throw Error("There is no document to capture.");
    }
    const std::vector<double> size = Numbers(kMeasureScript, limits_.script);
    if (size.size() != 4) {
        throw Error("There is no document to capture.");
    }
    PageGeometry page;
    page.document = {int(std::lround(size[0])), int(std::lround(size[1]))};
    page.view = {int(std::lround(size[2])), int(std::lround(size[3]))};
    // The engine paints at the screen's device pixels.
    page.scale = std::max(1, gtk_widget_get_scale_factor(GTK_WIDGET(EngineOf(view_))));
    return page;
}

namespace {

// position is where the scrolling script left the page.
void CheckScrolledTo(const std::vector<double>& position, int x, int y) {
    if (position.size() != 2) {
        throw Error("The page could not be scrolled.");
    }
    if (position[0] != x || position[1] != y) {
        throw PageChanged("The page could not be scrolled to " + std::to_string(x) + ", " +
                          std::to_string(y) + ": it stopped at " +
                          std::to_string(std::lround(position[0])) + ", " +
                          std::to_string(std::lround(position[1])) + ".");
    }
}

void CopyTile(const PaintedPixels& painted, const Tile& tile, int scale, Bitmap24& picture) {
    CopyPaintedArea(painted, (tile.x - tile.scrollX) * scale, (tile.y - tile.scrollY) * scale,
                    tile.width * scale, tile.rows * scale, picture, tile.x * scale, tile.y * scale);
}

}  // namespace

void WebKitBrowserView::ScrollTo(int x, int y) {
    CheckScrolledTo(Numbers(ScrollScript(x, y), limits_.script), x, y);
}

void WebKitBrowserView::PaintDocument(Bitmap24& picture, int scale) {
    PaintDocumentForLater(picture, scale)->Take()->CopyInto(picture);
}

std::unique_ptr<PendingPainting> WebKitBrowserView::PaintDocumentForLater(Bitmap24& picture, int) {
    return AskForSnapshot(WEBKIT_SNAPSHOT_REGION_FULL_DOCUMENT, picture.Width(), picture.Height());
}

void WebKitBrowserView::PinStickyElements() {
    stylesChanged_ = true;
    Numbers(kPinStickyScript, limits_.script);
}

void WebKitBrowserView::HideFixedElements() {
    stylesChanged_ = true;
    Numbers(kHideFixedScript, limits_.script);
}

void WebKitBrowserView::PaintTile(Bitmap24& picture, const Tile& tile, int scale) {
    Paint(WEBKIT_SNAPSHOT_REGION_VISIBLE,
          [&](const PaintedPixels& painted) { CopyTile(painted, tile, scale, picture); });
}

// The scrolling script and the painting go to the page process one after the other, where they
// run in that order: the painting shows the view scrolled. Both answers are taken when the tile
// is finished.
class EngineTile final : public PendingTile {
public:
    EngineTile(WebKitBrowserView& view, Bitmap24& picture, const Tile& tile, int scale)
        : view_(view),
          picture_(picture),
          tile_(tile),
          scale_(scale),
          scrollDeadline_(std::chrono::steady_clock::now() + view.limits_.script) {
        view.StartScript(ScrollScript(tile.scrollX, tile.scrollY), scrolled_);
        painting_ = view.AskForSnapshot(WEBKIT_SNAPSHOT_REGION_VISIBLE);
    }

    void Finish() override {
        CheckScrolledTo(view_.AnswerNumbers(scrolled_, scrollDeadline_, view_.limits_.script),
                        tile_.scrollX, tile_.scrollY);
        const std::unique_ptr<EnginePainting> painting = painting_->TakePainting();
        painting->MapHere();
        CopyTile(painting->Pixels(), tile_, scale_, picture_);
    }

private:
    WebKitBrowserView& view_;
    Bitmap24& picture_;
    Tile tile_;
    int scale_;
    std::chrono::steady_clock::time_point scrollDeadline_;
    EngineReply scrolled_;
    std::unique_ptr<EngineSnapshot> painting_;
};

std::unique_ptr<PendingTile> WebKitBrowserView::AskForTile(Bitmap24& picture, const Tile& tile,
                                                           int scale) {
    return std::make_unique<EngineTile>(*this, picture, tile, scale);
}

void WebKitBrowserView::Paint(int region, const std::function<void(const PaintedPixels&)>& paint) {
    const std::unique_ptr<EnginePainting> painting = AskForSnapshot(region)->TakePainting();
    painting->MapHere();
    paint(painting->Pixels());
}

std::unique_ptr<EngineSnapshot> WebKitBrowserView::AskForSnapshot(int region, int width,
                                                                  int height) {
    ThrowIfEngineEnded();
    return std::make_unique<EngineSnapshot>(*this, region, width, height);
}

void WebKitBrowserView::Restore() noexcept {
    try {
        const wxSize size = panel_->GetClientSize();
        view_->SetSize(0, 0, size.x, size.y);
        // Not waited for: the page may still be painting a picture asked for last, which the
        // engine finishes first, and a page that never answers would only hold the view up.
        if (!engineEnded_ && webkit_web_view_get_uri(EngineOf(view_))) {
            const std::string script = stylesChanged_ ? kRestoreStylesScript : ScrollScript(0, 0);
            webkit_web_view_evaluate_javascript(EngineOf(view_), script.c_str(),
                                                gssize(script.size()), kScriptWorld, nullptr,
                                                nullptr, nullptr, nullptr);
        }
    } catch (...) {
        // The view is shown again whatever the engine does; the error box has told the rest.
    }
    stylesChanged_ = false;
    holdingPage_ = false;
    if (!stayHidden_) {
        Show();
    }
    if (refusing_) {
        view_->Unbind(wxEVT_WEBVIEW_NAVIGATING, &WebKitBrowserView::OnNavigating, this);
        refusing_ = false;
    }
}

void WebKitBrowserView::Show() {
    gtk_widget_set_child_visible(GTK_WIDGET(view_->GetHandle()), TRUE);
}

}  // namespace pagrovix
