// Capture time and peak memory on the real engine, for row pages 1280 wide and 1000, 10000, 32763
// and 70000 rows tall, for pages of behaviours that readying deals with, and for documentation
// pages that Debian installs; for pages that fit one
// band, the time against one snapshot of the whole document by the engine itself, the fastest the
// engine can deliver such a picture.
// Needs an X display (bench/run-all.sh starts one).
#include <dirent.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/panel.h>
#include <wx/webview.h>

#include "capture/PageCapture.h"
#include "capture/WebKitBrowserView.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRepeats = 3;

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= end) {
            return false;
        }
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Figures of /proc/<pid>/status in kB.
long StatusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
        }
    }
    return 0;
}

// Starts a new peak for VmHWM.
void ResetPeak(pid_t pid) {
    std::ofstream clear("/proc/" + std::to_string(pid) + "/clear_refs");
    clear << "5";
}

// The engine's page process: a child of this process.
pid_t PageProcess() {
    const pid_t self = getpid();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const auto close = text.rfind(')');
        if (close == std::string::npos || text.find("WebKitWebProces") == std::string::npos) {
            continue;
        }
        std::istringstream rest(text.substr(close + 2));
        char state;
        pid_t parent;
        rest >> state >> parent;
        if (parent == self) {
            return pid_t(std::stol(name));
        }
    }
    return 0;
}

void WriteRowPage(const std::string& path, int width, int height) {
    std::ofstream file(path);
    file << "<!DOCTYPE html><html><head><style>html, body { margin: 0; }\n"
            "div { height: 1px; width: "
         << width << "px; }</style></head><body><script>\n"
         << "const rows = document.createDocumentFragment();\n"
         << "for (let y = 0; y < " << height << "; ++y) {\n"
         << "  const row = document.createElement('div');\n"
         << "  row.style.background = 'rgb(' + (y & 255) + ',' + ((y >> 8) & 255) + ',128)';\n"
         << "  rows.appendChild(row);\n}\ndocument.body.appendChild(rows);\n"
         << "</script></body></html>\n";
}

// Pages that pull content above the body, snap, draw sections only in view, reveal them when
// scrolled to, and animate a chart after load: what readying does for each shows in its time.
std::vector<std::pair<std::string, std::string>> BehaviourPages() {
    const std::string head =
        "<!DOCTYPE html><html><head><style>html, body { margin: 0; }</style></head><body>";
    const auto sections = [](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += "<section style='height: 1000px; background: rgb(" + std::to_string(i * 6) +
                   ",120,200)'><div style='height: 100%'></div></section>";
        }
        return out;
    };
    return {
        {"pulled up",
         head + "<div id=rows style='margin-top: -50px'></div><script>"
                "for (let y = 0; y < 40000; ++y) { const row = document.createElement('div');"
                "  row.style.height = '1px'; row.style.background = 'rgb(' + (y & 255) + ',' +"
                "  ((y >> 8) & 255) + ',128)'; rows.appendChild(row); }</script>"},
        {"snap", head +
                     "<style>html { scroll-snap-type: y mandatory; } section {"
                     " scroll-snap-align: start; }</style>" +
                     sections(40)},
        {"cont.-visib.", head +
                             "<style>section { content-visibility: auto;"
                             " contain-intrinsic-size: auto 1000px; }</style>" +
                             sections(40)},
        {"revealed",
         head +
             "<style>section { opacity: 0; transition: opacity 0.6s; }"
             " section.shown { opacity: 1; }</style>" +
             sections(10) +
             "<script>const seen = new IntersectionObserver((entries) => {"
             " for (const entry of entries) if (entry.isIntersecting) {"
             " entry.target.classList.add('shown'); seen.unobserve(entry.target); } });"
             "for (const s of document.querySelectorAll('section')) seen.observe(s);</script>"},
        {"growing bar", head +
                            "<canvas id=chart width=1000 height=300></canvas><script>"
                            "const bar = chart.getContext('2d'); const begun = performance.now();"
                            "function draw(now) { const part = Math.min(1, (now - begun) / 1000);"
                            " bar.fillRect(0, 0, 92 + 908 * part, 300);"
                            " if (part < 1) requestAnimationFrame(draw); }"
                            "requestAnimationFrame(draw);</script>"},
    };
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One snapshot of the whole document, as the engine makes it; seconds.
double FullDocumentSnapshot(WebKitWebView* engine) {
    cairo_surface_t* surface = nullptr;
    bool done = false;
    struct Reply {
        cairo_surface_t** surface;
        bool* done;
    } reply{&surface, &done};
    const auto start = Clock::now();
    webkit_web_view_get_snapshot(
        engine, WEBKIT_SNAPSHOT_REGION_FULL_DOCUMENT, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* reply = static_cast<Reply*>(data);
            *reply->surface =
                webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
            *reply->done = true;
        },
        &reply);
    WaitUntil([&] { return done; }, std::chrono::seconds(120));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (surface) {
        cairo_surface_destroy(surface);
    }
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the GUI (is DISPLAY set?)\n");
        return 1;
    }
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Capture bench", wxPoint(0, 0), wxSize(1300, 800));
    auto* panel = new wxPanel(frame);
    auto* view =
        wxWebView::New(panel, wxID_ANY, "about:blank", wxPoint(0, 0), panel->GetClientSize());
    panel->Bind(wxEVT_SIZE, [&](wxSizeEvent& event) {
        view->SetSize(0, 0, event.GetSize().x, event.GetSize().y);
    });
    frame->Show();
    auto* engine = WEBKIT_WEB_VIEW(view->GetNativeBackend());
    const std::string folder = std::filesystem::temp_directory_path() / "pagrovix-bench-capture";
    std::filesystem::create_directories(folder);

    std::printf("%-14s %6s %7s %7s %7s %6s %6s %6s %7s %8s %8s\n", "page", "rows", "first",
                "repeat", "engine", "ratio", "ratio", "page", "peak ui", "+handoff", "peak web");
    std::printf("%-14s %6s %7s %7s %7s %6s %6s %6s %7s %8s %8s\n", "", "", "s", "s", "s", "first",
                "repeat", "MB", "MB", "MB", "MB");
    struct Page {
        std::string name, url;
    };
    std::vector<Page> pages;
    for (const int height : {1000, 10000, 32763, 70000}) {
        const std::string path = folder + "/rows-" + std::to_string(height) + ".html";
        WriteRowPage(path, 1280, height);
        pages.push_back({"1280 x " + std::to_string(height), "file://" + path});
    }
    for (const auto& [name, html] : BehaviourPages()) {
        const std::string path = folder + "/behaviour-" + std::to_string(pages.size()) + ".html";
        std::ofstream(path) << html;
        pages.push_back({name, "file://" + path});
    }
    // Real pages, when their packages are installed (bench/run-all.sh installs them).
    for (const auto& [name, path] :
         {std::pair<std::string, std::string>{"nettle manual",
                                              "/usr/share/doc/nettle-dev/nettle.html"},
          {"python policy", "/usr/share/doc/python3/python-policy.html"}}) {
        if (std::filesystem::exists(path)) {
            pages.push_back({name, "file://" + path});
        } else {
            std::fprintf(stderr, "%s is missing: %s\n", name.c_str(), path.c_str());
        }
    }
    int status = 0;
    for (const Page& entry : pages) {
        const std::string& url = entry.url;
        view->LoadURL(url);
        if (!WaitUntil(
                [&] {
                    const char* uri = webkit_web_view_get_uri(engine);
                    return uri && url == uri && !webkit_web_view_is_loading(engine);
                },
                std::chrono::seconds(60))) {
            std::fprintf(stderr, "%s did not load\n", entry.name.c_str());
            return 1;
        }
        pagrovix::WebKitBrowserView browser(view, panel);
        // Kept from capture to capture, as the main window keeps its picture.
        pagrovix::Bitmap24 page;
        std::vector<double> repeatTimes, snapshotTimes;
        double firstTime = 0;
        long uiPeak = 0, uiPeakWithCopy = 0, webPeak = 0;
        for (int run = 0; run <= kRepeats; ++run) {
            const pid_t self = getpid();
            const pid_t web = PageProcess();
            wxTheApp->Yield(true);
            const long before = StatusKb(self, "VmRSS");
            ResetPeak(self);
            if (web) {
                ResetPeak(web);
            }
            long stepsPeak = 0;
            Clock::time_point restored{};
            pagrovix::PageCapture::Callbacks callbacks;
            callbacks.setBusy = [&](bool busy) {
                if (!busy && stepsPeak == 0) {
                    stepsPeak = StatusKb(self, "VmHWM");
                    restored = Clock::now();
                }
            };
            callbacks.showError = [&](const std::string& text) {
                std::fprintf(stderr, "capture failed: %s\n", text.c_str());
                status = 1;
            };
            callbacks.showPicture = [](const pagrovix::Bitmap24&) {};
            callbacks.saveTallPage = [](const pagrovix::Bitmap24&) {};
            pagrovix::PageCapture capture(browser, callbacks);
            const auto start = Clock::now();
            capture.Run(page);
            const double seconds = std::chrono::duration<double>(restored - start).count();
            if (run == 0) {
                firstTime = seconds;
                uiPeak = stepsPeak - before;
                uiPeakWithCopy = StatusKb(self, "VmHWM") - before;
                webPeak = web ? StatusKb(web, "VmHWM") : 0;
            } else {
                repeatTimes.push_back(seconds);
            }
            if (page.Height() <= 32763) {
                snapshotTimes.push_back(FullDocumentSnapshot(engine));
            }
        }
        const double pageMb = double(page.Width()) * page.Height() * 3 / 1048576;
        const double repeatTime = Median(repeatTimes);
        char engineText[16] = "-", firstRatio[16] = "-", repeatRatio[16] = "-";
        if (!snapshotTimes.empty()) {
            const double snapshot = Median(snapshotTimes);
            std::snprintf(engineText, sizeof engineText, "%.3f", snapshot);
            std::snprintf(firstRatio, sizeof firstRatio, "%.2f", firstTime / snapshot);
            std::snprintf(repeatRatio, sizeof repeatRatio, "%.2f", repeatTime / snapshot);
        }
        std::printf("%-14s %6d %7.3f %7.3f %7s %6s %6s %6.0f %7.0f %8.0f %8.0f\n",
                    entry.name.c_str(), page.Height(), firstTime, repeatTime, engineText,
                    firstRatio, repeatRatio, pageMb, uiPeak / 1024.0, uiPeakWithCopy / 1024.0,
                    webPeak / 1024.0);
        std::fflush(stdout);
    }
    std::printf(
        "first: the first capture of the page, into new memory; repeat: median of %d more into\n"
        "the same picture; both until the view is restored. engine: median of %d snapshots of\n"
        "the whole document by the engine itself. peak ui: this process's growth during the\n"
        "first capture until the view is restored (+handoff: with the Snapshot window's copy);\n"
        "peak web: the engine's page process.\n",
        kRepeats, kRepeats + 1);
    std::filesystem::remove_all(folder);
    frame->Destroy();
    wxTheApp->Yield(true);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
