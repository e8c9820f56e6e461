#include "capture/WebKitBrowserView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/webview.h>

#include "capture/EngineReply.h"
#include "capture/EngineWait.h"
#include "capture/MemoryMapping.h"
#include "capture/PageScripts.h"
#include "capture/PaintedPixels.h"
#include "imaging/Error.h"

namespace pagrovix {
namespace {

std::string Seconds(std::chrono::milliseconds limit) {
    const double seconds = double(limit.count()) / 1000.0;
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return std::string(text) + (seconds == 1.0 ? " second" : " seconds");
}

WebKitWebView* EngineOf(wxWebView* view) {
    return WEBKIT_WEB_VIEW(view->GetNativeBackend());
}

}  // namespace

struct WebKitSignals {
    static void ProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                  gpointer data) {
        auto* self = static_cast<WebKitBrowserView*>(data);
        self->engineEnded_ = true;
        self->outOfMemory_ = reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT;
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
}

WebKitBrowserView::~WebKitBrowserView() {
    g_signal_handler_disconnect(engine_, terminatedHandler_);
    g_object_unref(engine_);
    if (hidden_) {
        view_->Unbind(wxEVT_WEBVIEW_NAVIGATING, &WebKitBrowserView::OnNavigating, this);
    }
}

void WebKitBrowserView::ThrowIfEngineEnded() const {
    if (outOfMemory_) {
        throw Error("The browser ran out of memory while painting the page.");
    }
    if (engineEnded_) {
        throw Error("The browser's page process ended during the capture.");
    }
}

void WebKitBrowserView::Stop() {
    // A process that ended before this capture was restarted by the load that followed.
    engineEnded_ = false;
    outOfMemory_ = false;
    view_->Stop();
}

void WebKitBrowserView::Hide() {
    if (!hidden_) {
        view_->Bind(wxEVT_WEBVIEW_NAVIGATING, &WebKitBrowserView::OnNavigating, this);
        hidden_ = true;
    }
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
    ThrowIfEngineEnded();
    WebKitWebView* engine = EngineOf(view_);
    EngineReply reply;
    webkit_web_view_evaluate_javascript(engine, script.c_str(), gssize(script.size()), kScriptWorld,
                                        nullptr, reply.Cancellable(), EngineReply::Callback,
                                        reply.CallbackData());
    WaitForEngine([&] { return reply.Arrived() || engineEnded_; }, limit);
    ThrowIfEngineEnded();
    if (!reply.Arrived()) {
        throw Error("The page did not answer within " + Seconds(limit) + ".");
    }
    GError* rawError = nullptr;
    std::unique_ptr<JSCValue, ObjectUnref> value(
        webkit_web_view_evaluate_javascript_finish(engine, reply.Result(), &rawError));
    std::unique_ptr<GError, ErrorFree> error(rawError);
    if (!value) {
        throw Error(std::string("The browser could not run a script on the page: ") +
                    (error ? error->message : "no answer") + ".");
    }
    std::vector<double> numbers;
    if (jsc_value_is_null(value.get()) || jsc_value_is_undefined(value.get())) {
        return numbers;
    }
    for (guint i = 0;; ++i) {
        std::unique_ptr<JSCValue, ObjectUnref> item(
            jsc_value_object_get_property_at_index(value.get(), i));
        if (!item || !jsc_value_is_number(item.get())) {
            break;
        }
        numbers.push_back(jsc_value_to_double(item.get()));
    }
    return numbers;
}

ViewSize WebKitBrowserView::MeasureDocument() {
    if (!webkit_web_view_get_uri(EngineOf(view_))) {
        throw Error("There is no document to capture.");
    }
    const std::vector<double> size = Numbers(kMeasureScript, limits_.script);
    if (size.size() != 2) {
        throw Error("There is no document to capture.");
    }
    return {int(std::lround(size[0])), int(std::lround(size[1]))};
}

int WebKitBrowserView::ScrollBarWidth() {
    const std::vector<double> size = Numbers(kViewSizeScript, limits_.script);
    if (size.size() != 4) {
        throw Error("The page could not be measured.");
    }
    return std::max(0, int(std::lround(size[0] - size[2])));
}

int WebKitBrowserView::DeviceScale() {
    return std::max(1, gtk_widget_get_scale_factor(GTK_WIDGET(EngineOf(view_))));
}

void WebKitBrowserView::WaitForAllocation(int width, int height, std::chrono::milliseconds limit) {
    GtkWidget* widget = GTK_WIDGET(EngineOf(view_));
    const bool sized = WaitForEngine(
        [&] {
            return engineEnded_ || (gtk_widget_get_allocated_width(widget) == width &&
                                    gtk_widget_get_allocated_height(widget) == height);
        },
        limit);
    ThrowIfEngineEnded();
    if (!sized) {
        throw Error("The browser did not take the size " + std::to_string(width) + " x " +
                    std::to_string(height) + " within " + Seconds(limit) + ".");
    }
}

ViewSize WebKitBrowserView::Resize(int width, int height) {
    view_->SetSize(0, 0, width, height);
    WaitForAllocation(width, height, limits_.resize);
    // GTK has the size at once, the page a moment later; a scroll sent before that would be
    // clamped to the old size.
    const auto end = std::chrono::steady_clock::now() + limits_.resize;
    for (;;) {
        const std::vector<double> size = Numbers(kViewSizeScript, limits_.script);
        if (size.size() != 4) {
            throw Error("The page could not be measured.");
        }
        if (int(size[0]) == width && int(size[1]) == height) {
            return {int(std::lround(size[2])), int(std::lround(size[3]))};
        }
        if (std::chrono::steady_clock::now() >= end) {
            throw Error("The page did not take the size " + std::to_string(width) + " x " +
                        std::to_string(height) + " within " + Seconds(limits_.resize) + ".");
        }
        WaitForEngine([] { return false; }, std::chrono::milliseconds(2));
    }
}

void WebKitBrowserView::ScrollTo(int y) {
    const std::vector<double> position = Numbers(ScrollScript(y), limits_.script);
    if (position.size() != 2) {
        throw Error("The page could not be scrolled.");
    }
    if (position[0] != 0 || position[1] != y) {
        throw Error("The page could not be scrolled to row " + std::to_string(y) +
                    ": it stopped at row " + std::to_string(std::lround(position[1])) + ".");
    }
}

void WebKitBrowserView::WaitForContent() {
    const auto end = std::chrono::steady_clock::now() + limits_.content;
    while (true) {
        const std::vector<double> loaded = Numbers(kContentScript, limits_.script);
        if (loaded.empty() || loaded[0] != 0 || std::chrono::steady_clock::now() >= end) {
            return;
        }
        WaitForEngine([] { return false; }, std::chrono::milliseconds(15));
    }
}

void WebKitBrowserView::PaintBand(Bitmap24& target, int width, int rows) {
    Paint([&](const PaintedPixels& painted) { CopyPaintedRows(painted, width, rows, target); });
}

// The band goes from the engine's painting straight into its rows of the page: no band-sized
// copy.
void WebKitBrowserView::PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24&) {
    Paint([&](const PaintedPixels& painted) {
        CopyPaintedRowsInto(painted, page.Width(), rows, page, y);
    });
}

void WebKitBrowserView::Paint(const std::function<void(const PaintedPixels&)>& paint) {
    ThrowIfEngineEnded();
    WebKitWebView* engine = EngineOf(view_);
    EngineReply reply;
    webkit_web_view_get_snapshot(engine, WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                 WEBKIT_SNAPSHOT_OPTIONS_NONE, reply.Cancellable(),
                                 EngineReply::Callback, reply.CallbackData());
    WaitForEngine([&] { return reply.Arrived() || engineEnded_; }, limits_.paint);
    ThrowIfEngineEnded();
    if (!reply.Arrived()) {
        throw Error("The browser did not paint the page within " + Seconds(limits_.paint) + ".");
    }
    GError* rawError = nullptr;
    std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface(
        webkit_web_view_get_snapshot_finish(engine, reply.Result(), &rawError));
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
    const PaintedPixels painted{
        cairo_image_surface_get_data(surface.get()), cairo_image_surface_get_width(surface.get()),
        cairo_image_surface_get_height(surface.get()),
        cairo_image_surface_get_stride(surface.get()), format == CAIRO_FORMAT_ARGB32};
    // The painting arrives in memory shared with the engine's process, not yet mapped here.
    MapForReading(painted.data, std::size_t(painted.stride) * std::size_t(painted.height));
    paint(painted);
}

void WebKitBrowserView::Restore() noexcept {
    try {
        const wxSize size = panel_->GetClientSize();
        view_->SetSize(0, 0, size.x, size.y);
        // Row 0 is never clamped, so the scroll need not wait for the new size to arrive.
        if (!engineEnded_ && webkit_web_view_get_uri(EngineOf(view_))) {
            Numbers(ScrollScript(0), limits_.restore);
        }
    } catch (...) {
        // The view is shown again whatever the engine does; the error box has told the rest.
    }
    gtk_widget_set_child_visible(GTK_WIDGET(view_->GetHandle()), TRUE);
    if (hidden_) {
        view_->Unbind(wxEVT_WEBVIEW_NAVIGATING, &WebKitBrowserView::OnNavigating, this);
        hidden_ = false;
    }
}

}  // namespace pagrovix
