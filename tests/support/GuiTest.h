#pragma once

#include <chrono>
#include <functional>
#include <string>

class wxWindow;

namespace pagrovix::test {

// Processes events until condition holds or the time is up; returns whether it held. Use it instead
// of fixed sleeps: GUI and engine events arrive when they arrive.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// Processes pending events for a short while, for changes that have no condition to wait for.
void ProcessEvents(std::chrono::milliseconds duration = std::chrono::milliseconds(50));

// Runs action once the next modal dialog is shown (from inside its own event loop), so a test can
// answer a ShowModal() call it makes itself.
void WhenModalShown(std::function<void(wxWindow* dialog)> action);

// A folder of this test's own under /tmp, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Folder of the test sources (for pages and other data the tests ship).
std::string TestDataFolder();

}  // namespace pagrovix::test
