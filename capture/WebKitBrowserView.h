#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "capture/BrowserView.h"

class wxWebView;
class wxWebViewEvent;
class wxWindow;

namespace pagrovix {

struct PaintedPixels;

// The capture's steps on a wxWebView backed by WebKitGTK. The view sits in panel; while it is
// hidden the panel shows through ("Please wait..."), and navigations are refused.
class WebKitBrowserView : public BrowserView {
public:
    // How long each kind of wait may take before the capture gives up.
    struct TimeLimits {
        std::chrono::milliseconds script{10000};
        std::chrono::milliseconds resize{10000};
        std::chrono::milliseconds paint{60000};
        std::chrono::milliseconds content{1000};
        std::chrono::milliseconds restore{3000};
    };

    WebKitBrowserView(wxWebView* view, wxWindow* panel);
    WebKitBrowserView(wxWebView* view, wxWindow* panel, TimeLimits limits);
    ~WebKitBrowserView() override;
    WebKitBrowserView(const WebKitBrowserView&) = delete;
    WebKitBrowserView& operator=(const WebKitBrowserView&) = delete;

    void Stop() override;
    void Hide() override;
    ViewSize MeasureDocument() override;
    int ScrollBarWidth() override;
    int DeviceScale() override;
    ViewSize Resize(int width, int height) override;
    void ScrollTo(int y) override;
    void WaitForContent() override;
    void PaintBand(Bitmap24& target, int width, int rows) override;
    void PaintBandInto(Bitmap24& page, int y, int rows, Bitmap24& band) override;
    void Restore() noexcept override;

private:
    // The numbers of the array the script gives; empty when it gives null.
    std::vector<double> Numbers(const std::string& script, std::chrono::milliseconds limit);
    // Runs paint on the view as the engine paints it now.
    void Paint(const std::function<void(const PaintedPixels&)>& paint);
    void WaitForAllocation(int width, int height, std::chrono::milliseconds limit);
    void ThrowIfEngineEnded() const;
    void OnNavigating(wxWebViewEvent& event);
    friend struct WebKitSignals;

    wxWebView* view_;
    wxWindow* panel_;
    TimeLimits limits_;
    void* engine_;  // the WebKitWebView behind view_
    unsigned long terminatedHandler_ = 0;
    bool engineEnded_ = false;
    bool outOfMemory_ = false;
    bool hidden_ = false;
};

}  // namespace pagrovix
