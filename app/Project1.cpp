// The program: checks that a window can be shown, then runs the main window until it closes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <wx/app.h>
#include <wx/stdpaths.h>

#include "app/DisplayProbe.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "ui/AddressRules.h"
#include "ui/DataFiles.h"
#include "ui/ToolkitSetup.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

class PagrovixApp : public wxApp {
public:
    bool OnInit() override {
        // wx's own command-line parsing is not used: the first argument is an address.
        try {
            SetAppName("pagrovix");
            UiHelpers::SetApplicationTitle("Pagrovix");
            auto* frame = new TfrmMain(StartingPoint());
            SetTopWindow(frame);
            frame->Maximize();
            frame->Show();
            frame->Raise();
            return true;
        } catch (const std::exception& error) {
            UiHelpers::ShowError(wxString::FromUTF8(error.what()));
        } catch (...) {
            UiHelpers::ShowError("Unexpected error");
        }
        return false;
    }

    // The default error display: the error's text in a box, then the program goes on.
    bool OnExceptionInMainLoop() override {
        try {
            throw;
        } catch (const std::exception& error) {
            UiHelpers::ShowError(wxString::FromUTF8(error.what()));
        } catch (...) {
            UiHelpers::ShowError("Unexpected error");
        }
        return true;
    }

private:
    MainWindowStart StartingPoint() const {
        MainWindowStart start;
        for (int i = 1; i < argc; ++i) {
            start.arguments.push_back(argv[i].utf8_string());
        }
        // Relative paths typed by the user mean the folder the program was started from; the
        // program itself then works from its own folder.
        const wxString startFolder = wxGetCwd();
        start.startFolder = startFolder.utf8_string();
        const std::string programFolder =
            FolderOf(wxStandardPaths::Get().GetExecutablePath().utf8_string());
        // Staying in the start folder is as good, so a failure is of no concern.
        [[maybe_unused]] const bool moved = chdir(programFolder.c_str()) == 0;
        const auto startPage = FirstExistingFile(
            DataFileCandidates(programFolder, InstalledDataFolder(), "start.html"));
        start.homeAddress = startPage ? FileUrl(*startPage) : "about:blank";
        return start;
    }
};

}  // namespace
}  // namespace pagrovix

int main(int argc, char** argv) {
    // Without a display the toolkit would fail with a wall of warnings; say it in one line.
    if (const auto problem = pagrovix::MissingDisplayMessage(std::getenv("DISPLAY"),
                                                             std::getenv("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    if (!pagrovix::CanOpenDisplay(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        const std::string problem = pagrovix::UnreachableDisplayMessage(
            std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    pagrovix::PrepareToolkit();
    wxApp::SetInstance(new pagrovix::PagrovixApp);
    return wxEntry(argc, argv);
}
