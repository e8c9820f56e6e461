// pagrovix-shot: takes pictures of whole web pages from the command line.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <EGL/egl.h>
#include <fcntl.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "shot/DisplayLoss.h"
#include "shot/JobList.h"
#include "shot/JobRecord.h"
#include "shot/PrivateDisplay.h"
#include "shot/ShotOptions.h"
#include "shot/ShotReporter.h"
#include "shot/ShotSession.h"
#include "shot/StopRequest.h"
#include "shot/TemporaryProfile.h"

namespace pagrovix {
namespace {

class ShotApp : public wxApp {
public:
    ShotApp(const ShotOptions& options, ShotReporter& reporter, const std::vector<ShotJob>& skipped,
            std::FILE* errors)
        : options_(options), reporter_(reporter), skipped_(skipped), errors_(errors) {}

    bool OnInit() override {
        // wx's own messages must never become a dialog box, which would wait for a person.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxLog::DisableTimestamp();
        WatchForDisplayLoss(errors_);
        CallAfter([this] { RunSession(); });
        return true;
    }

    int OnRun() override {
        wxApp::OnRun();
        return status_;
    }

private:
    void RunSession() {
        try {
            ShotSession session(options_, reporter_, skipped_);
            const DisplayLossWindUp windUp([&session] { session.WindUpWithoutDisplay(); });
            status_ = session.Run();
        } catch (const UsageError& error) {
            // A value only the browser can judge, such as a selector.
            reporter_.BadCommandLine(error.what(), ShotUsageText());
            status_ = 2;
        } catch (const std::exception& error) {
            reporter_.Failure("pagrovix-shot", error.what());
            status_ = 1;
        }
        ExitMainLoop();
    }

    const ShotOptions& options_;
    ShotReporter& reporter_;
    const std::vector<ShotJob>& skipped_;
    std::FILE* errors_;
    int status_ = 1;
};

// The browser engine, its page processes and the graphics libraries under them print notes of
// their own on the error stream. Scripts read the command's stream, so it carries only the
// command's progress, warnings and errors: the others get /dev/null. Sanitizer builds keep the
// stream, where the sanitizers report.
std::FILE* TakeErrorStream() {
#if defined(__SANITIZE_ADDRESS__)
    return stderr;
#else
    const int own = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (own < 0) {
        return stderr;
    }
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::FILE* stream = null >= 0 ? fdopen(own, "w") : nullptr;
    if (!stream) {
        if (null >= 0) {
            close(null);
        }
        close(own);
        return stderr;
    }
    std::fflush(stderr);
    dup2(null, STDERR_FILENO);
    close(null);
    return stream;
#endif
}

// The text of the --list file, or of standard input for "-". Throws UsageError when it cannot be
// read.
std::string ReadList(const std::string& name) {
    if (name == "-") {
        return ReadListText(std::cin, "-");
    }
    std::ifstream file(name, std::ios::binary);
    if (!file || std::filesystem::is_directory(name)) {
        throw UsageError("--list cannot read \"" + name +
                         "\": " + (file ? "it is a folder" : std::strerror(errno)));
    }
    return ReadListText(file, name);
}

// Whether GLib can find a session bus without starting one: the address is given, or the user's
// bus listens where systemd puts it.
bool SessionBusKnown() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime && *runtime &&
           std::filesystem::is_socket(std::filesystem::path(runtime) / "bus", error);
}

// This process only holds views nobody looks at and takes their paintings from the page
// processes: it draws nothing with GL. The engine opens the display's GL all the same as its
// first view starts, which loads the display's driver; on a machine without a graphics card that
// is the software driver with its compiler library, a tenth of a second of every run. The GL
// library reads its list of drivers once, at its first call: made with an empty list, it leaves
// this process without GL. The page processes start later with the variable as it was, and keep
// the GL their WebGL needs.
void LeaveGlToThePageProcesses() {
    constexpr const char* kDrivers = "__EGL_VENDOR_LIBRARY_FILENAMES";
    const char* own = std::getenv(kDrivers);
    const std::optional<std::string> saved = own ? std::optional<std::string>(own) : std::nullopt;
    setenv(kDrivers, "/dev/null", 1);
    eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (saved) {
        setenv(kDrivers, saved->c_str(), 1);
    } else {
        unsetenv(kDrivers);
    }
}

int RunShots(const char* program, const ShotOptions& options, const std::vector<ShotJob>& skipped,
             LaunchedServer launched) {
    std::FILE* errors = TakeErrorStream();
    if (options.jobs.empty()) {
        // Everything was there already: no browser needs to start.
        try {
            if (options.reportFile) {
                ReportFile(*options.reportFile).AddSkipped(skipped);
            }
        } catch (const std::exception& error) {
            std::fprintf(errors, "pagrovix-shot: %s\n", error.what());
            return 1;
        }
        ShotReporter(errors, !options.quiet && isatty(fileno(errors)))
            .Summary(0, {}, int(skipped.size()));
        return 0;
    }
    if (options.outputDir) {
        std::error_code error;
        std::filesystem::create_directories(*options.outputDir, error);
        if (error) {
            std::fprintf(errors, "pagrovix-shot: cannot make the folder \"%s\": %s\n",
                         options.outputDir->c_str(), error.message().c_str());
            return 1;
        }
    }
    std::unique_ptr<PrivateDisplay> display;
    try {
        display = PrivateDisplay::StartIfNeeded(std::move(launched));
    } catch (const std::exception& error) {
        std::fprintf(errors, "pagrovix-shot: %s\n", error.what());
        return 1;
    }
    // The view is an X window, on the person's display or on the private one.
    setenv("GDK_BACKEND", "x11", 1);
    // The toolkit paints the view at this many device pixels per CSS pixel, read once as it
    // starts; a person's own setting must not change the picture.
    setenv("GDK_SCALE", std::to_string(options.scale).c_str(), 1);
    // Nobody looks at the views, and their pictures are painted in software either way:
    // compositing them on the display's software GL took a quarter of a batch's CPU. Read by the
    // engine as its first view starts; its setting, changed later, ends the page processes.
    setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 1);
    // Nothing reads the hidden views aloud, so the toolkit need not look for the accessibility
    // service. And with no session bus to be found, GLib would start one bound to the private
    // display (three tries as the toolkit and the engine start, each a fork of this process):
    // nothing here needs a bus, so none is started.
    setenv("NO_AT_BRIDGE", "1", 1);
    if (display && !SessionBusKnown()) {
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    }
    LeaveGlToThePageProcesses();
    // From here a stop request winds the run up, also one that comes while the toolkit starts.
    InstallStopRequest();
    const TemporaryProfile profile;

    ShotReporter reporter(errors, !options.quiet && isatty(fileno(errors)));
    // The toolkit sees no arguments of ours: an address must never be taken for one of its
    // options.
    int argc = 1;
    char* argv[] = {const_cast<char*>(program), nullptr};
    wxApp::SetInstance(new ShotApp(options, reporter, skipped, errors));
    if (!wxEntryStart(argc, argv)) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(errors, "pagrovix-shot: cannot open the display \"%s\"\n", name ? name : "");
        return 1;
    }
    int status = 1;
    if (wxTheApp->CallOnInit()) {
        status = wxTheApp->OnRun();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}

}  // namespace
}  // namespace pagrovix

int main(int argc, char** argv) {
    using namespace pagrovix;
    // Stopped on every way out unless the run takes it over.
    LaunchedServer launched = LaunchedServer::Take();
    ShotArguments arguments;
    std::vector<ShotJob> skipped;
    try {
        arguments = ParseShotArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (arguments.command == ShotCommand::Run) {
            ShotOptions& options = arguments.options;
            options.jobs = PlanJobs(options, options.listFile ? ReadList(*options.listFile) : "");
            if (options.cookieFile) {
                std::ifstream file(*options.cookieFile, std::ios::binary);
                if (!file) {
                    throw UsageError("--cookies cannot read \"" + *options.cookieFile +
                                     "\": " + std::strerror(errno));
                }
                options.cookies =
                    ReadCookieFile(ReadListText(file, *options.cookieFile), *options.cookieFile);
            }
            if (options.skipExisting) {
                skipped = DropExisting(options.jobs);
            }
        }
    } catch (const UsageError& error) {
        std::fprintf(stderr, "pagrovix-shot: %s\n%s", error.what(), ShotUsageText().c_str());
        return 2;
    }
    switch (arguments.command) {
        case ShotCommand::Help:
            std::fputs(ShotHelpText().c_str(), stdout);
            return 0;
        case ShotCommand::Version:
            std::printf("pagrovix-shot %s\n", PAGROVIX_VERSION);
            return 0;
        case ShotCommand::Run:
            break;
    }
    return RunShots(argv[0], arguments.options, skipped, std::move(launched));
}
