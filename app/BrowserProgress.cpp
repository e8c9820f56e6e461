#include "app/BrowserProgress.h"

#include <algorithm>
#include <cmath>

namespace pagrovix {

ProgressReport ReportLoadProgress(double estimated, bool loading) {
    if (!loading || !std::isfinite(estimated)) {
        return {-1, 100};
    }
    return {static_cast<int>(std::lround(std::clamp(estimated, 0.0, 1.0) * 100.0)), 100};
}

ProgressBarLook LookForProgress(int progress, int progressMax) {
    ProgressBarLook look;
    look.visible = progress > 0;
    look.loweredPanel = !look.visible;
    // A gauge needs a positive range and a value inside it.
    look.range = std::max(progressMax, 1);
    look.value = std::clamp(progress, 0, look.range);
    return look;
}

void BrowserStatus::LoadStarted(const std::string& uri) {
    state_ = "Opening page " + uri + "...";
}

void BrowserStatus::LoadFailed(const std::string& uri) {
    state_ = "Cannot open " + uri;
}

}  // namespace pagrovix
