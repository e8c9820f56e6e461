// Opens the Snapshot window on a page-sized picture (1280 x 32763) and prints how long it takes
// until the picture is painted, how long scrolling through the whole of it takes, and how long
// one crop and save of the whole picture takes in each format. Needs an X display.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/eventfilter.h>
#include <wx/init.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "snapshot/CropSelection.h"
#include "snapshot/PictureView.h"
#include "snapshot/SnapshotForm.h"
#include "ui/UiHelpers.h"

namespace pagrovix {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 32763;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A page: white, with dark runs of "text" and a coloured band now and then.
Bitmap24 PagePicture() {
    Bitmap24 picture(kWidth, kHeight);
    picture.Fill(255, 255, 255);
    std::uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        auto row = picture.Row(y);
        if (y % 400 < 60) {
            for (int x = 0; x < kWidth; ++x) {
                row[3 * x] = std::uint8_t(180 + x % 50);
                row[3 * x + 1] = std::uint8_t(120 + y % 60);
                row[3 * x + 2] = 60;
            }
        } else if (y % 20 < 12) {
            for (int x = 40; x < kWidth - 40; ++x) {
                seed = seed * 1103515245u + 12345u;
                if ((seed >> 16) % 5 == 0) {
                    row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = std::uint8_t((seed >> 8) % 90);
                }
            }
        }
    }
    return picture;
}

bool WaitFor(const std::function<bool()>& condition) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (Clock::now() > end) {
            return false;
        }
        wxTheApp->Yield(true);
        wxMicroSleep(200);
    }
    return true;
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TfrmSnapshot* OpenSnapshotWindow() {
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* form = dynamic_cast<TfrmSnapshot*>(window); form && form->IsModal()) {
            return form;
        }
    }
    return nullptr;
}

// Notes when the first paint of a picture view has ended: the first event of any kind that
// comes after its paint event.
class FirstPaintWatch : public wxEventFilter {
public:
    FirstPaintWatch() { wxEvtHandler::AddFilter(this); }
    ~FirstPaintWatch() override { wxEvtHandler::RemoveFilter(this); }

    int FilterEvent(wxEvent& event) override {
        if (painting_ && !ended_) {
            ended_ = Clock::now();
        }
        if (!painting_ && event.GetEventType() == wxEVT_PAINT &&
            dynamic_cast<PictureView*>(event.GetEventObject())) {
            painting_ = true;
        }
        return Event_Skip;
    }
    std::optional<Clock::time_point> Ended() const { return ended_; }

private:
    bool painting_ = false;
    std::optional<Clock::time_point> ended_;
};

class Bench : public wxTimer {
public:
    Bench(Clock::time_point opened, const FirstPaintWatch& watch)
        : opened_(opened), watch_(watch) {}

    void Notify() override {
        TfrmSnapshot* form = OpenSnapshotWindow();
        if (!form || !watch_.Ended()) {
            return;
        }
        Stop();
        std::printf("call to window painted:        %8.1f ms\n",
                    std::chrono::duration<double, std::milli>(*watch_.Ended() - opened_).count());
        ScrollThrough(*form);
        SaveWhole(*form);
        form->Close();
    }

private:
    void ScrollThrough(TfrmSnapshot& form) {
        PictureView& view = *form.ScrollBox1;
        const int pageLines = view.GetClientSize().y / PictureView::kLineStep;
        int pages = 0;
        const auto start = Clock::now();
        for (int line = pageLines;; line += pageLines) {
            const auto painted = view.PaintCount();
            view.Scroll(0, line);
            view.Update();
            if (!WaitFor([&] { return view.PaintCount() > painted; })) {
                std::printf("scrolling: no paint at line %d\n", line);
                return;
            }
            ++pages;
            int x = 0;
            int y = 0;
            view.GetViewStart(&x, &y);
            if (y < line) {
                break;
            }
        }
        const double total = MillisecondsSince(start);
        std::printf(
            "scroll through by pages:       %8.1f ms for %d pages of %d px, %.2f ms a page\n",
            total, pages, pageLines * PictureView::kLineStep, total / pages);

        view.Scroll(0, 0);
        const auto lines = Clock::now();
        for (int i = 0; i < 200; ++i) {
            const auto painted = view.PaintCount();
            view.ScrollOneLine(-120);
            if (!WaitFor([&] { return view.PaintCount() > painted; })) {
                std::printf("wheel: no paint after line %d\n", i);
                return;
            }
        }
        std::printf("wheel, one line:               %8.2f ms a line (200 lines)\n",
                    MillisecondsSince(lines) / 200);
        view.Scroll(0, 0);
    }

    void SaveWhole(TfrmSnapshot& form) {
        const std::string folder =
            std::filesystem::temp_directory_path() / "pagrovix-bench-snapshot";
        std::filesystem::create_directories(folder);
        UiHelpers::SetMessageBoxHandler([](const wxString&, const wxString&, long) { return 1; });
        struct Command {
            const char* name;
            wxButton* button;
            const char* file;
        };
        for (const Command& command : {Command{"BMP", form.ToolButton3, "page.bmp"},
                                       Command{"JPEG 80", form.ToolButton4, "page.jpg"},
                                       Command{"PNG 9", form.ToolButton5, "page.png"}}) {
            const std::string path = folder + "/" + command.file;
            UiHelpers::SetSaveFileHandler(
                [&](const wxString&, const wxString&) -> std::optional<wxString> {
                    return wxString(path);
                });
            const auto start = Clock::now();
            wxCommandEvent click(wxEVT_BUTTON, command.button->GetId());
            click.SetEventObject(command.button);
            command.button->ProcessWindowEvent(click);
            std::printf("crop + save whole, %-8s     %8.1f ms, %6.1f MB file\n", command.name,
                        MillisecondsSince(start),
                        double(std::filesystem::file_size(path)) / (1024.0 * 1024.0));
        }
        UiHelpers::SetSaveFileHandler({});
        UiHelpers::SetMessageBoxHandler({});
        std::filesystem::remove_all(folder);
    }

    Clock::time_point opened_;
    const FirstPaintWatch& watch_;
};

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

}  // namespace
}  // namespace pagrovix

int main(int argc, char** argv) {
    using namespace pagrovix;
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the GUI (is DISPLAY set?)\n");
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("Snapshot window on a %d x %d picture (%.0f MB)\n", kWidth, kHeight,
                double(kWidth) * kHeight * 3 / (1024.0 * 1024.0));
    Bitmap24 picture = PagePicture();
    {
        // The program has shown its main window before any Snapshot window: the toolkit's
        // first-window costs (theme, fonts) are paid already.
        const auto start = Clock::now();
        TfrmSnapshot warmUp(nullptr);
        std::printf("first window of the process:   %8.1f ms to create (paid once)\n",
                    MillisecondsSince(start));
    }
    {
        Bitmap24 crop;
        const auto start = Clock::now();
        CropSelection(picture, {0, 0, kWidth, kHeight}, crop);
        const double first = MillisecondsSince(start);
        const auto again = Clock::now();
        CropSelection(picture, {0, 0, kWidth, kHeight}, crop);
        std::printf("crop of the whole picture:     %8.1f ms, %.1f ms into the reused bitmap\n",
                    first, MillisecondsSince(again));
    }
    const long beforeOpen = PeakMegabytes();
    FirstPaintWatch watch;
    const auto opened = Clock::now();
    Bench bench(opened, watch);
    bench.Start(1);
    ShowSnapshotWindow(nullptr, std::move(picture));
    std::printf("open, use and close:           %8.1f ms in all\n", MillisecondsSince(opened));
    std::printf("peak memory: %ld MB before opening, %ld MB after (picture + crop)\n", beforeOpen,
                PeakMegabytes());
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
