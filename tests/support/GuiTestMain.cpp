// main() of the GUI test programs: wx is started for real (a display is needed), then GoogleTest
// runs the tests on the main thread, between events.
#include <cstdio>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include "ui/ToolkitSetup.h"

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The windows under test are shown as the program shows them.
    pagrovix::PrepareToolkit();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the GUI (is DISPLAY set?)\n");
        return 1;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
