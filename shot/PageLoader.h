#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

class wxWebView;

namespace pagrovix {

// Loads addresses into one browser view and waits, with a time limit, until each has finished.
class PageLoader {
public:
    enum class Outcome { Loaded, Failed, TimedOut };
    struct Result {
        Outcome outcome = Outcome::Loaded;
        std::string reason;  // why it failed, for Failed
    };

    explicit PageLoader(wxWebView* view);
    ~PageLoader();
    PageLoader(const PageLoader&) = delete;
    PageLoader& operator=(const PageLoader&) = delete;

    // Starts loading url and processes events until it has loaded, has failed or limit is up. A
    // page that ends in an HTTP error status (400 and up) has failed, and so has one of which
    // nothing had arrived when the time was up. TimedOut means that part of the page is there.
    Result Load(const std::string& url, std::chrono::milliseconds limit);

    // The same in two steps, for views that load side by side: Start begins the load, and
    // Poll, asked while the events are processed elsewhere, gives the result once there is
    // one: the load has ended, the limit is up or the command is asked to stop.
    void Start(const std::string& url, std::chrono::milliseconds limit);
    std::optional<Result> Poll() const;

    // Waits until the view has shown the page it was created with. The engine loads that page
    // only once the view is on the screen, and a load started before then would be lost.
    void WaitForStartPage(std::chrono::milliseconds limit);

    // Whether the page's web process has ended since the last Load began.
    bool PageProcessEnded() const { return processEnded_; }

    // Processes events for duration: pages that draw late get their time.
    static void ProcessEventsFor(std::chrono::milliseconds duration);
    // Processes events until condition holds, limit is up or the command is asked to stop;
    // returns whether condition held.
    static bool ProcessEventsUntil(const std::function<bool()>& condition,
                                   std::chrono::milliseconds limit);

    // Signal handlers of the engine; not for callers.
    void OnLoadChanged(int event);
    void OnLoadFailed(const std::string& reason, bool cancelled);
    void OnProcessEnded(bool crashed);

private:
    wxWebView* view_;
    void* webView_;
    bool started_ = false;
    bool committed_ = false;
    bool finished_ = false;
    bool failed_ = false;
    bool processEnded_ = false;
    std::string reason_;
    std::string requested_;
    std::chrono::milliseconds limit_{0};
    std::chrono::steady_clock::time_point deadline_;
};

}  // namespace pagrovix
