// Opens the Snapshot window on a page-sized picture (1280 x 32763) and prints how long it takes
// until the picture is painted, how long scrolling through the whole of it takes, and how long
// one crop and save of the whole picture takes in each format. Needs an X display.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/init.h>
#include <wx/timer.h>

#include "app/UiHelpers.h"
#include "snapshot/PictureView.h"
#include "snapshot/SnapshotForm.h"

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
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (Clock::now() > end) {
            return false;
        }
        wxTheApp->Yield(true);
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

class Bench : public wxTimer {
public:
    explicit Bench(Clock::time_point opened) : opened_(opened) {}

    void Notify() override {
        TfrmSnapshot* form = OpenSnapshotWindow();
        if (!form || form->ScrollBox1->PaintCount() == 0) {
            return;
        }
        Stop();
        std::printf("open to first paint:           %8.1f ms (polled every 1 ms)\n",
                    MillisecondsSince(opened_));
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

        const auto lines = Clock::now();
        for (int i = 0; i < 200; ++i) {
            const auto painted = view.PaintCount();
            view.ScrollOneLine(-120);
            WaitFor([&] { return view.PaintCount() > painted; });
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
    std::printf("Snapshot window on a %d x %d picture (%.0f MB)\n", kWidth, kHeight,
                double(kWidth) * kHeight * 3 / (1024.0 * 1024.0));
    Bitmap24 picture = PagePicture();
    const long beforeOpen = PeakMegabytes();
    const auto opened = Clock::now();
    Bench bench(opened);
    bench.Start(1);
    ShowSnapshotWindow(nullptr, std::move(picture));
    std::printf("open, use and close:           %8.1f ms in all\n", MillisecondsSince(opened));
    std::printf("peak memory: %ld MB before opening, %ld MB after (picture + crop)\n", beforeOpen,
                PeakMegabytes());
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
