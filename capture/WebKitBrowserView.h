#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>

#include "capture/BrowserView.h"

class wxWebView;
class wxWebViewEvent;
class wxWindow;

namespace pagrovix {

class EngineSnapshot;
class EngineTile;
class EngineReply;
struct PaintedPixels;
class ScriptCallInFlight;

// The capture's steps on a wxWebView backed by WebKitGTK. The view sits in panel; while it is
// hidden the panel shows through ("Please wait..."), and navigations are refused.
class WebKitBrowserView : public BrowserView {
public:
    // How long each kind of wait may take before the capture gives up.
    struct TimeLimits {
        std::chrono::milliseconds script{10000};
        std::chrono::milliseconds paint{60000};
        // The page's moment to get ready: content brought into view, lazy content, fonts,
        // images, the style's images.
        std::chrono::milliseconds ready{2000};
        // The longest wait, after that, for the page to come to rest (animations ended, drawing
        // quiet); a page still moving then is captured as it is.
        std::chrono::milliseconds rest{2000};
    };

    WebKitBrowserView(wxWebView* view, wxWindow* panel);
    WebKitBrowserView(wxWebView* view, wxWindow* panel, TimeLimits limits);
    ~WebKitBrowserView() override;
    WebKitBrowserView(const WebKitBrowserView&) = delete;
    WebKitBrowserView& operator=(const WebKitBrowserView&) = delete;

    void Stop() override;
    // Takes the answer of BeginReady when it was called, and brings the page to rest again if it
    // changed since; otherwise makes the page ready from the start.
    void MakeReady() override;
    // Starts making the page ready for its capture and returns at once, so that a program with
    // several views readies one page while it captures another.
    void BeginReady();
    // Whether BeginReady's page has answered, or its time is up: MakeReady will not wait long. A
    // page that keeps to its budgets but answers late is given as long again as any question.
    bool ReadyAnswered() const;
    // Throws when that time is up without an answer: the page is held by a script that never
    // ends, and every question after would wait its whole limit too.
    void ThrowIfReadyUnanswered() const;
    void Hide() override;
    PageGeometry MeasurePage() override;
    void ScrollTo(int x, int y) override;
    void PaintDocument(Bitmap24& picture, int scale) override;
    std::unique_ptr<PendingPainting> PaintDocumentForLater(Bitmap24& picture, int scale) override;
    void PinStickyElements() override;
    void HideFixedElements() override;
    void PaintTile(Bitmap24& picture, const Tile& tile, int scale) override;
    std::unique_ptr<PendingTile> AskForTile(Bitmap24& picture, const Tile& tile,
                                            int scale) override;
    void Restore() noexcept override;
    // For a program that loads another page into the view after each capture: Restore leaves the
    // view off the screen, where the page just captured is not painted once more for nothing.
    // Show brings it back.
    void StayHiddenAfterCapture(bool yes) { stayHidden_ = yes; }
    void Show();

    // What the last MakeReady found.
    struct Readiness {
        bool complete = true;  // everything arrived within the ready time
        bool moving = false;   // the page still changed when the rest time was over
        int cut = -1;          // the row where bringing the page into view stopped short, or -1
        bool grew = false;     // by then, the page had grown as it was scrolled
    };
    const Readiness& LastReadiness() const { return readiness_; }

    // Whether the page process answers within limit; one held by a script that never ends does
    // not.
    bool Answers(std::chrono::milliseconds limit);

private:
    // The numbers of the array the script gives; empty when it gives null.
    std::vector<double> Numbers(const std::string& script, std::chrono::milliseconds limit);
    // Runs script; its answer arrives in reply.
    void StartScript(const std::string& script, EngineReply& reply);
    // The numbers of the answer StartScript asked for, waited for until deadline, which is limit
    // after it was asked.
    std::vector<double> AnswerNumbers(const EngineReply& reply,
                                      std::chrono::steady_clock::time_point deadline,
                                      std::chrono::milliseconds limit);
    // The numbers of the array an async function body gives; nothing when the limit passed.
    std::optional<std::vector<double>> AsyncNumbers(const std::string& body, GVariant* arguments,
                                                    std::chrono::milliseconds limit);
    // The region of the page as the engine paints it now, asked for; it arrives later. width and
    // height, when given, are the size the painting must have.
    std::unique_ptr<EngineSnapshot> AskForSnapshot(int region, int width = -1, int height = -1);
    // Runs paint on the region of the page as the engine paints it now.
    void Paint(int region, const std::function<void(const PaintedPixels&)>& paint);
    void ThrowIfEngineEnded() const;
    // Whether BeginReady's time, and as long again as any question gets, is up.
    bool ReadyTimeUp() const;
    void OnNavigating(wxWebViewEvent& event);
    friend struct WebKitSignals;
    friend class EngineSnapshot;
    friend class EngineTile;

    wxWebView* view_;
    wxWindow* panel_;
    TimeLimits limits_;
    void* engine_;                      // the WebKitWebView behind view_
    void* keepWebGlPicture_ = nullptr;  // the WebKitUserScript added to every page it loads
    unsigned long terminatedHandler_ = 0;
    unsigned long loadHandler_ = 0;
    bool engineEnded_ = false;
    bool outOfMemory_ = false;
    bool refusing_ = false;  // navigations, from Stop until Restore
    // The page's own new loads are stopped as they start, from BeginReady until Restore.
    bool holdingPage_ = false;
    bool stylesChanged_ = false;
    bool stayHidden_ = false;
    Readiness readiness_;
    std::unique_ptr<ScriptCallInFlight> readyCall_;  // BeginReady's, until MakeReady takes it
    std::chrono::steady_clock::time_point readyDeadline_;
};

}  // namespace pagrovix
