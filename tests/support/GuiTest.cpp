#include "tests/support/GuiTest.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/timer.h>

namespace pagrovix::test {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void ProcessEvents(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
}

namespace {

// Polls for a modal dialog; a timer fires inside the dialog's own event loop.
class ModalWatcher : public wxTimer {
public:
    explicit ModalWatcher(std::function<void(wxWindow*)> action) : action_(std::move(action)) {}
    void Notify() override {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(window);
            if (dialog && dialog->IsModal() && dialog->IsShown()) {
                Stop();
                auto action = std::move(action_);
                action(dialog);
                CallAfter([this] { delete this; });
                return;
            }
        }
    }

private:
    std::function<void(wxWindow*)> action_;
};

}  // namespace

void WhenModalShown(std::function<void(wxWindow* dialog)> action) {
    auto* watcher = new ModalWatcher(std::move(action));
    watcher->Start(20);
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pagrovix-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TestDataFolder() {
    const char* folder = std::getenv("PAGROVIX_TEST_DATA");
    return folder ? folder : ".";
}

}  // namespace pagrovix::test
