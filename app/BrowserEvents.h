#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/BrowserProgress.h"

class wxWebView;

namespace pagrovix {

// The browser commands whose availability the engine reports.
inline constexpr int kCommandNavigateForward = 1;
inline constexpr int kCommandNavigateBack = 2;

// Turns the web engine's own signals into the notifications the main window handles, and keeps the
// page from opening any window or dialog of its own: script dialogs are answered quietly,
// permission and authentication requests are refused, and new-window requests are refused here
// and only reported, whether the page asks through a link's target or by script.
class BrowserEvents {
public:
    struct Handlers {
        std::function<void(const std::string& text)> statusTextChange;
        std::function<void(int progress, int progressMax)> progressChange;
        std::function<void(int command, bool enable)> commandStateChange;
        std::function<void(const std::string& title)> titleChange;
        // address: what the new window was to show; linkClick: the user clicked a link.
        std::function<void(const std::string& address, bool linkClick)> newWindow;
    };

    BrowserEvents(wxWebView* view, Handlers handlers);
    ~BrowserEvents();
    BrowserEvents(const BrowserEvents&) = delete;
    BrowserEvents& operator=(const BrowserEvents&) = delete;

    // Entry points of the engine's callbacks; not for other callers.
    void OnLoadChanged(int loadEvent);
    void OnLoadFailed(const char* uri, bool cancelled);
    void OnProgress();
    void OnTitle(bool untitledToo);
    void OnHistoryChanged();
    void OnLinkHovered(const char* uri);
    void OnNewWindowAction(void* navigationAction);
    void OnScriptWindowAction(void* navigationAction);
    void* NativeView() const { return native_; }

private:
    void ReportStatus();
    void ReportProgress(ProgressReport report);
    void ReportNewWindow(const std::string& address, bool linkClick);
    // Runs a handler so that nothing it throws crosses the engine's C code: the error goes to the
    // program's error display once the engine's signal has returned.
    void Deliver(const std::function<void()>& call);

    wxWebView* view_;
    void* native_;
    Handlers handlers_;
    BrowserStatus status_;
    std::vector<unsigned long> signalIds_;
    unsigned long historySignalId_ = 0;
    void* history_ = nullptr;
    unsigned long newWindowHookId_ = 0;
    bool pointerOnLink_ = false;  // the engine's last word on what lies under the pointer
};

}  // namespace pagrovix
