#pragma once

#include <chrono>
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
        int httpStatus = 0;  // the main resource's HTTP status; 0 for other schemes
        std::string finalAddress;  // what the view shows, after redirects
        // A failure that may not come again: the network, the server's passing trouble, a
        // time limit, the page process.
        bool mayPass = false;
        // Nothing of the page had come by the time limit.
        bool unanswered = false;
    };

    explicit PageLoader(wxWebView* view);
    ~PageLoader();
    PageLoader(const PageLoader&) = delete;
    PageLoader& operator=(const PageLoader&) = delete;

    // Loads url in two steps, so that views load side by side: Start begins the load, and Poll,
    // asked while the events are processed elsewhere, gives the result once there is one: the
    // load has ended, the limit is up or the command is asked to stop. A page that ends in an
    // HTTP error status (400 and up) has failed, and so has one of which nothing had arrived when
    // the time was up. TimedOut means that part of the page is there.
    void Start(const std::string& url, std::chrono::milliseconds limit);
    std::optional<Result> Poll() const;
    // Whether the page Start asked for has replaced the one before in the view.
    bool Committed() const { return committed_; }
    // Whether, once that page had loaded, it went to another address on its own (a redirect on a
    // timer, a refresh) and that load has not finished yet.
    bool LoadingElsewhere() const { return elsewhere_; }

    // Waits until the view has shown the page it was created with. The engine loads that page
    // only once the view is on the screen, and a load started before then would be lost.
    void WaitForStartPage(std::chrono::milliseconds limit);

    // Processes events for duration: pages that draw late get their time.
    static void ProcessEventsFor(std::chrono::milliseconds duration);

    // Signal handlers of the engine; not for callers.
    void OnLoadChanged(int event);
    void OnLoadFailed(const std::string& reason, bool cancelled, bool mayPass);
    void OnProcessEnded(bool crashed);

private:
    wxWebView* view_;
    void* webView_;
    bool started_ = false;
    bool committed_ = false;
    bool finished_ = false;
    bool failed_ = false;
    bool processEnded_ = false;
    bool elsewhere_ = false;
    bool mayPass_ = false;
    std::string reason_;
    int httpStatus_ = 0;
    std::string requested_;
    std::chrono::milliseconds limit_{0};
    std::chrono::steady_clock::time_point deadline_;
};

}  // namespace pagrovix
