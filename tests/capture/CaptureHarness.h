#pragma once

#include <string>
#include <vector>

#include "capture/PageCapture.h"

class wxFrame;
class wxPanel;
class wxWebView;

namespace pagrovix::test {

// A window like the program's main window as far as the capture sees it: a frame, a panel that
// says "Please wait..." where the browser does not cover it, and the browser filling the panel.
class CaptureHarness {
public:
    CaptureHarness();
    ~CaptureHarness();
    CaptureHarness(const CaptureHarness&) = delete;
    CaptureHarness& operator=(const CaptureHarness&) = delete;

    // Opens a local file or an address and waits until it has loaded; returns whether it did.
    bool Load(const std::string& path);
    // Runs a script in the page and returns its result as text ("" on failure).
    std::string Script(const std::string& script);

    wxFrame* frame = nullptr;
    wxPanel* panel = nullptr;
    wxWebView* view = nullptr;
};

// Callbacks for a capture with no window of its own to show: its errors go into errors.
PageCapture::Callbacks ErrorsOnlyCallbacks(std::vector<std::string>& errors);

}  // namespace pagrovix::test
