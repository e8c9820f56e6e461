#pragma once

#include <string>

namespace pagrovix {

// A progress notification as the main window takes it: Progress out of ProgressMax, with −1 once
// the load has finished or failed.
struct ProgressReport {
    int progress = -1;
    int progressMax = 100;
    bool operator==(const ProgressReport&) const = default;
};

// The engine's estimated load progress (0.0 to 1.0) as a report: 0 to 100 while loading, −1 when
// nothing is loading.
ProgressReport ReportLoadProgress(double estimated, bool loading);

// How the status bar shows a report: the bar shows only for positive progress and then covers the
// progress panel; otherwise the panel shows as an empty lowered panel.
struct ProgressBarLook {
    bool visible = false;
    bool loweredPanel = true;
    int range = 1;
    int value = 0;
    bool operator==(const ProgressBarLook&) const = default;
};

ProgressBarLook LookForProgress(int progress, int progressMax);

// The browser's status text, as a browser's status bar shows it: the link under the pointer while
// there is one, else the state of the current load.
class BrowserStatus {
public:
    void LinkHovered(std::string uri) { link_ = std::move(uri); }
    void LoadStarted(const std::string& uri);
    void LoadFinished() { state_ = "Done"; }
    void LoadFailed(const std::string& uri);
    std::string Text() const { return link_.empty() ? state_ : link_; }

private:
    std::string link_;
    std::string state_;
};

}  // namespace pagrovix
