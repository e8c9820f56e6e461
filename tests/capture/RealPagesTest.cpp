// Pages built the way real pages are (viewport units, fixed and sticky headers, lazy and late
// content), captured on the real engine and checked against the page's own geometry in the view
// the person has.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/panel.h>
#include <wx/webview.h>

#include "capture/PageCapture.h"
#include "capture/WebKitBrowserView.h"
#include "imaging/ImageWriters.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/capture/TestPages.h"
#include "tests/shot/ShotTestSupport.h"
#include "tests/support/GuiTest.h"

namespace pagrovix::test {
namespace {

// Elements marked data-check="r,g,b" must be filled with that colour where the page lays them
// out at scroll 0; data-check="rows" ones have RowColour(y) in their row y. Later marks lie on
// top of earlier ones.
constexpr const char* kStyle =
    "<!DOCTYPE html><html><head><meta charset=utf-8><style>\n"
    "html, body { margin: 0; } div, section, header, footer, main { box-sizing: border-box; }\n"
    "</style>";

const char* kRowsScript =
    "<script>\n"
    "function fillRows(element, count) {\n"
    "  const rows = document.createDocumentFragment();\n"
    "  for (let y = 0; y < count; ++y) {\n"
    "    const row = document.createElement('div');\n"
    "    row.style.height = '1px';\n"
    "    row.style.background = 'rgb(' + (y & 255) + ',' + ((y >> 8) & 255) + ',' +\n"
    "        (128 | ((y >> 16) & 127)) + ')';\n"
    "    rows.appendChild(row);\n"
    "  }\n"
    "  element.appendChild(rows);\n"
    "}\n"
    "</script>";

struct PageCase {
    const char* name;
    std::string body;
    bool overNetwork = false;
    // How far a channel may be off: a video frame or a photo comes through a lossy codec.
    int tolerance = 0;
};

// count sections of height pixels, each marked and filled with its own colour; style is the
// sections' own, inner the inside of each.
std::string Sections(int count, int height, const std::string& style, bool inner = false) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string colour = std::to_string((40 + 5 * i) % 256) + "," +
                                   std::to_string((200 + 3 * i) % 256) + "," +
                                   std::to_string((i * 37) % 256);
        const std::string fill =
            "height: " + std::to_string(height) + "px; background: rgb(" + colour + ")";
        out += "<section data-check='" + colour + "' style='" + style +
               (inner ? "'><div style='" + fill + "'></div>" : "; " + fill + "'>") + "</section>";
    }
    return out;
}

std::vector<PageCase> Pages() {
    return {
        {"hero",
         "<section data-check='200,30,30' style='height: 100vh; background: rgb(200,30,30)'>"
         "</section><section data-check='30,200,30' style='height: 450px; "
         "background: rgb(30,200,30)'></section><section data-check='30,30,200' "
         "style='height: 100vh; background: rgb(30,30,200)'></section><footer "
         "data-check='90,90,90' style='height: 120px; background: rgb(90,90,90)'></footer>"},
        {"shell",
         "<div data-check='250,240,200' style='min-height: 100vh; background: rgb(250,240,200)'>"
         "<div data-check='10,120,160' style='height: 300px; background: rgb(10,120,160)'></div>"
         "</div><div data-check='160,10,120' style='height: 900px; background: rgb(160,10,120)'>"
         "</div>"},
        {"flex-column",
         "<style>html, body { height: 100%; } body { display: flex; flex-direction: column; }"
         "</style><main data-check='70,140,210' style='flex: 1; background: rgb(70,140,210)'>"
         "<div data-check='210,140,70' style='height: 250px; background: rgb(210,140,70)'></div>"
         "</main><footer data-check='20,20,20' style='height: 80px; background: rgb(20,20,20)'>"
         "</footer>"},
        {"fixed-header",
         "<header data-check='220,0,110' style='position: fixed; top: 0; left: 0; right: 0; "
         "height: 60px; background: rgb(220,0,110)'></header><div style='padding-top: 60px'>"
         "<section data-check='0,110,220' style='height: 900px; background: rgb(0,110,220)'>"
         "</section><section data-check='110,220,0' style='height: 900px; "
         "background: rgb(110,220,0)'></section></div>"},
        {"sticky-header",
         "<header data-check='130,60,0' style='position: sticky; top: 0; height: 60px; "
         "background: rgb(130,60,0)'></header><section data-check='0,60,130' "
         "style='height: 900px; background: rgb(0,60,130)'></section><section "
         "data-check='60,130,0' style='height: 900px; background: rgb(60,130,0)'></section>"},
        {"lazy",
         "<div data-check='240,240,240' style='height: 3000px; background: rgb(240,240,240)'>"
         "</div><img data-check='10,200,30' loading=lazy src='slow/box.bmp' width=200 height=100 "
         "style='display: block'><div style='height: 1500px'></div><iframe "
         "data-check='40,50,60' loading=lazy src='slow/frame.html' width=300 height=100 "
         "style='display: block; border: 0'></iframe>",
         true},
        {"late-paint",
         "<div data-check='180,90,20' style='height: 800px; "
         "background: url(slow/photo.bmp)'></div><div id=late data-check='20,90,180' "
         "style='height: 300px'></div><script>addEventListener('load', () => "
         "requestAnimationFrame(() => { late.style.background = 'rgb(20,90,180)'; }));"
         "</script>",
         true},
        {"tall-hero",
         std::string(kRowsScript) +
             "<header data-check='0,0,0' style='position: sticky; top: 0; height: 50px; "
             "background: rgb(0,0,0); z-index: 1'></header><section data-check='255,200,0' "
             "style='height: 100vh; background: rgb(255,200,0)'></section><div id=rows "
             "data-check=rows></div><div data-check='200,0,255' style='position: fixed; "
             "top: 100px; right: 0; width: 40px; height: 40px; background: rgb(200,0,255)'>"
             "</div><script>fillRows(rows, 40000)</script>"},
        // Content pulled above the body: the document is 50 rows shorter than the body's scroll
        // height, within one band and past it.
        {"pulled-up",
         "<div data-check='20,120,60' style='margin-top: -50px; height: 5499px; "
         "background: rgb(20,120,60)'></div>"},
        {"pulled-up-tall", std::string(kRowsScript) +
                               "<div id=rows data-check=rows style='margin-top: -50px'></div>"
                               "<script>fillRows(rows, 40000)</script>"},
        {"snap",
         "<style>html { scroll-snap-type: y mandatory; } section { scroll-snap-align: start; }"
         "</style>" +
             Sections(40, 1000, "")},
        {"content-visibility",
         Sections(24, 400, "content-visibility: auto; contain-intrinsic-size: auto 400px", true)},
        {"content-visibility-tall",
         Sections(90, 400, "content-visibility: auto; contain-intrinsic-size: auto 400px", true)},
        {"revealed",
         "<style>section { opacity: 0; transition: opacity 0.6s; } section.shown { opacity: 1; }"
         "</style>" +
             Sections(20, 400, "") +
             "<script>const seen = new IntersectionObserver((entries) => {"
             "  for (const entry of entries) if (entry.isIntersecting) {"
             "    entry.target.classList.add('shown'); seen.unobserve(entry.target); } });"
             "for (const section of document.querySelectorAll('section')) seen.observe(section);"
             "</script>"},
        // Hidden by the page's own script, which no style sheet shows.
        {"revealed-by-animation",
         Sections(20, 400, "") +
             "<script>const seen = new IntersectionObserver((entries) => {"
             "  for (const entry of entries) if (entry.isIntersecting) {"
             "    entry.target.getAnimations().forEach((a) => a.cancel());"
             "    seen.unobserve(entry.target); } });"
             "for (const section of document.querySelectorAll('section')) {"
             "  section.animate([{opacity: 0}], {duration: 1, fill: 'forwards'});"
             "  seen.observe(section); }</script>"},
        // Scroll events show what is above the view's bottom and hide the rest again, as
        // animate-on-scroll libraries do.
        {"revealed-by-scrolling",
         "<style>section { opacity: 0; transition: opacity 0.4s; } section.shown { opacity: 1; }"
         "</style>" +
             Sections(20, 400, "") +
             "<script>addEventListener('scroll', () => {"
             "  for (const section of document.querySelectorAll('section'))"
             "    section.classList.toggle('shown', section.offsetTop < scrollY + innerHeight);"
             "});</script>"},
        // What follows the scroll position is as at the top: a header that hides on the way down
        // and a title that fades, on a page whose sections are revealed as they come into view.
        {"follows-the-scroll",
         "<style>section { opacity: 0; transition: opacity 0.6s; } section.shown { opacity: 1; }"
         ".off { transform: translateY(-100%); } .faded { opacity: 0; }</style><div id=title "
         "data-check='200,30,30' style='height: 500px; background: rgb(200,30,30)'></div>"
         "<header id=bar data-check='0,0,0' style='position: fixed; top: 0; left: 0; right: 0; "
         "height: 60px; background: rgb(0,0,0)'></header>" +
             Sections(10, 400, "") +
             "<script>const seen = new IntersectionObserver((entries) => {"
             "  for (const entry of entries) if (entry.isIntersecting) {"
             "    entry.target.classList.add('shown'); seen.unobserve(entry.target); } });"
             "for (const section of document.querySelectorAll('section')) seen.observe(section);"
             "let last = scrollY; addEventListener('scroll', () => {"
             "  bar.classList.toggle('off', scrollY > last); last = scrollY;"
             "  title.classList.toggle('faded', scrollY > 200); });</script>"},
        // Sections shown by a timer that looks at the scroll position every 50 ms.
        {"revealed-on-a-timer",
         "<style>section { visibility: hidden; } section.seen { visibility: visible; }</style>" +
             Sections(12, 400, "") +
             "<script>let scrolled = true; addEventListener('scroll', () => scrolled = true);"
             "setInterval(() => { if (!scrolled) return; scrolled = false;"
             "  for (const section of document.querySelectorAll('section')) {"
             "    const box = section.getBoundingClientRect();"
             "    if (box.top < innerHeight && box.bottom > 0) section.classList.add('seen');"
             "  } }, 50);</script>"},
        // A style sheet a script adds once the page has loaded, so the load waits neither for it
        // nor for the backgrounds it gives; they follow menus that are not displayed.
        {"style-images",
         "<nav style='display: none'><ul><li>menu</li></ul></nav><div style='height: 3000px'>"
         "</div><div id=photo data-check='90,40,160' style='height: 800px'></div><div><div "
         "hidden><p>more</p></div><div id=set data-check='160,90,40' style='height: 400px'>"
         "</div></div><script>addEventListener('load', () => document.head.insertAdjacentHTML("
         "'beforeend', '<link rel=stylesheet href=slow/late.css>'));</script>",
         true, 2},
        // Backgrounds given just after the page has loaded, which no rule names as such, far down
        // the page: from a custom property through a shorthand, from a table's own attribute and
        // from a custom element's shadow tree.
        {"custom-property-background",
         "<div style='height: 3000px'></div><div id=photo data-check='180,90,20' "
         "style='height: 400px'></div><script>addEventListener('load', () => setTimeout(() => "
         "document.head.insertAdjacentHTML('beforeend', '<style>:root { --photo: "
         "url(slow/photo.bmp?custom) } #photo { background: var(--photo) }</style>')));"
         "</script>",
         true},
        {"attribute-background",
         "<div style='height: 3000px'></div><table id=table cellspacing=0 "
         "data-check='180,90,20' style='width: 100%; height: 400px'><tr><td></td></tr></table>"
         "<script>addEventListener('load', () => setTimeout(() => "
         "table.setAttribute('background', 'slow/photo.bmp?table')));</script>",
         true},
        {"custom-element-background",
         "<div style='height: 3000px'></div><photo-box data-check='180,90,20'></photo-box>"
         "<script>addEventListener('load', () => setTimeout(() => document.querySelector("
         "'photo-box').attachShadow({mode: 'closed'}).innerHTML = '<style>:host { display: "
         "block; height: 400px; background: url(slow/photo.bmp?host) }</style>'));</script>",
         true},
        // A background shown by the page's script only after readying has begun: it reacts to the
        // readying drawing its sections (as a page's start-up may come just after load), and the
        // picture it shows arrives late.
        {"shown-once-started",
         "<style>#shown { display: none; position: absolute; inset: 0; "
         "background: url(slow/photo.bmp?shown) } #shown.on { display: block }</style>"
         "<section style='content-visibility: auto; contain-intrinsic-size: auto 100px'>"
         "<div style='height: 100px'></div></section><div data-check='180,90,20' "
         "style='position: relative; height: 400px'><div id=shown></div></div><script>"
         "new MutationObserver(() => shown.className = 'on').observe("
         "document.querySelector('section'), {attributes: true});</script>",
         true},
        // A chart that animates for a second after load.
        {"growing-bar",
         "<canvas id=chart data-check='30,60,240' width=1000 height=100 style='display: block'>"
         "</canvas><div style='height: 1200px'></div><script>"
         "const bar = chart.getContext('2d'); const begun = performance.now();"
         "function draw(now) { const part = Math.min(1, (now - begun) / 1000);"
         "  bar.fillStyle = 'rgb(30,60,240)'; bar.fillRect(0, 0, 92 + 908 * part, 100);"
         "  if (part < 1) requestAnimationFrame(draw); }"
         "requestAnimationFrame(draw);</script>"},
        // Pages whose document stays still while an element filling the view scrolls: the body
        // under a root that hides its overflow, and the main part of an application's frame,
        // which the page's script sets up over some frames after load, where a full-screen
        // section keeps the height it has there and a bar at the frame's bottom goes to the end.
        {"scrolling-body",
         "<style>html, body { height: 100%; } html { overflow: hidden; } body { overflow-y: "
         "auto; }</style><body data-scroller>" +
             Sections(6, 400, "")},
        {"application-frame",
         "<style>#frame { display: flex; flex-direction: column; height: 100vh; } .set #frame { "
         "position: fixed; inset: 0; } main { flex: 1; min-height: 0; position: relative; } "
         "#layer { position: absolute; inset: 0; } #content { height: 100%; } .set #content { "
         "overflow: auto; }</style><div id=frame><header data-check='0,0,0' style='flex: none; "
         "height: 60px; background: rgb(0,0,0)'></header><main><div id=layer><div id=content "
         "data-scroller><section data-check='200,30,30' style='height: 100%; background: "
         "rgb(200,30,30)'></section>" +
             Sections(5, 400, "") +
             "</div></div></main><nav data-check='0,0,200' data-after style='position: absolute; "
             "bottom: 0; width: 100%; height: 40px; background: rgb(0,0,200)'></nav></div>"
             "<script>let frames = 0; const setUp = () => { frame.dataset.frames = ++frames; "
             "if (frames < 20) requestAnimationFrame(setUp); "
             "else document.documentElement.className = 'set'; };"
             "addEventListener('load', () => requestAnimationFrame(setUp));</script>"},
        // A list that draws only the rows in view is not laid out as a tall empty area.
        {"list-drawn-in-view",
         "<style>html, body, #list { height: 100%; } #list { overflow: auto; position: relative; "
         "} #list div { position: absolute; width: 50%; height: 40px; }</style><div id=list>"
         "<div style='height: 20000px'></div></div><script>"
         "for (let i = 0; i * 40 < list.clientHeight; ++i) list.insertAdjacentHTML('beforeend', "
         "`<div data-check='${i},90,160' style='top: ${i * 40}px; background: "
         "rgb(${i},90,160)'></div>`);</script>"},
        {"video",
         "<div style='height: 200px'></div><video data-check='0,0,255' autoplay muted loop "
         "src='blue.webm' width=320 height=240 style='display: block; background: "
         "rgb(255,255,0)'></video><div style='height: 1200px'></div>",
         false, 40},
    };
}

// The marks as the page lays them out at scroll 0: x, y, width, height, then r, g, b, or -1 for
// rows; and first the document's scroll size, with the whole of a data-scroller element that
// scrolls in its place, below which data-after marks come.
constexpr const char* kMarksScript = R"js((() => {
  scrollTo(0, 0);
  const root = document.documentElement;
  const scroller = document.querySelector('[data-scroller]');
  const box = scroller && scroller.getBoundingClientRect();
  const out = [root.scrollWidth, scroller ? box.top + scroller.scrollHeight +
                                            root.clientHeight - box.bottom : root.scrollHeight];
  for (const element of document.querySelectorAll('[data-check]')) {
    const r = element.getBoundingClientRect();
    const after = element.hasAttribute('data-after') ? scroller.scrollHeight - scroller.clientHeight
                                                      : 0;
    const colour = element.dataset.check === 'rows' ? [-1, -1, -1]
                                                    : element.dataset.check.split(',').map(Number);
    out.push(Math.round(r.left), Math.round(r.top + after), Math.round(r.width),
             Math.round(r.height), ...colour);
  }
  return out.join(' ');
})())js";

// How many pixels of picture differ from what the marks say, with the first one described.
std::string Differences(const Bitmap24& picture, const std::vector<int>& marks, int tolerance) {
    const int width = picture.Width(), height = picture.Height();
    std::vector<std::uint8_t> expected(std::size_t(width) * height * 3);
    std::vector<bool> covered(std::size_t(width) * height, false);
    for (std::size_t m = 2; m + 7 <= marks.size(); m += 7) {
        const int left = std::max(0, marks[m]), top = std::max(0, marks[m + 1]);
        const int right = std::min(width, marks[m] + marks[m + 2]);
        const int bottom = std::min(height, marks[m + 1] + marks[m + 3]);
        for (int y = top; y < bottom; ++y) {
            const Rgb colour = marks[m + 4] < 0
                                   ? RowColour(y - marks[m + 1])
                                   : Rgb{std::uint8_t(marks[m + 4]), std::uint8_t(marks[m + 5]),
                                         std::uint8_t(marks[m + 6])};
            for (int x = left; x < right; ++x) {
                const std::size_t i = std::size_t(y) * width + x;
                covered[i] = true;
                expected[3 * i] = colour.blue;
                expected[3 * i + 1] = colour.green;
                expected[3 * i + 2] = colour.red;
            }
        }
    }
    long wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = picture.Row(y).data();
        for (int x = 0; x < width; ++x) {
            const std::size_t i = std::size_t(y) * width + x;
            const auto near = [tolerance](std::uint8_t a, std::uint8_t b) {
                return std::abs(int(a) - int(b)) <= tolerance;
            };
            if (covered[i] && !std::equal(row + 3 * x, row + 3 * x + 3, &expected[3 * i], near) &&
                wrong++ == 0) {
                first << " first at (" << x << ", " << y << "): rgb(" << int(row[3 * x + 2]) << ","
                      << int(row[3 * x + 1]) << "," << int(row[3 * x]) << ") instead of rgb("
                      << int(expected[3 * i + 2]) << "," << int(expected[3 * i + 1]) << ","
                      << int(expected[3 * i]) << ")";
            }
        }
    }
    return wrong == 0 ? "" : std::to_string(wrong) + " wrong pixels;" + first.str();
}

TEST(RealPages, AreCapturedAsThePersonSeesThemScrollingFromTopToBottom) {
    TempFolder folder;
    Bitmap24 box(200, 100);
    box.Fill(30, 200, 10);
    WriteBmpFile(box, folder.File("box.bmp"));
    Bitmap24 photo(64, 64);
    photo.Fill(20, 90, 180);
    WriteBmpFile(photo, folder.File("photo.bmp"));
    // Large pictures for the style's images, served late.
    Bitmap24 big(4000, 3000);
    big.Fill(160, 40, 90);
    WriteJpegFile(big, folder.File("big.jpg"), 90);
    big.Fill(40, 90, 160);
    WriteJpegFile(big, folder.File("big2.jpg"), 90);
    WriteText(folder.File("late.css"),
              "#photo { background: url(big.jpg) } "
              "#set { background-image: image-set(url(big2.jpg) 1x) }");
    // Made before the browser starts, and within a minute whatever happens.
    ASSERT_EQ(std::system(("timeout 60 gst-launch-1.0 -q videotestsrc num-buffers=60 "
                           "pattern=blue ! video/x-raw,width=320,height=240,framerate=30/1 ! "
                           "vp8enc ! webmmux ! filesink location=" +
                           folder.File("blue.webm"))
                              .c_str()),
              0)
        << "gst-launch-1.0 (gstreamer1.0-tools) makes the test video";
    CaptureHarness harness;
    WriteText(folder.File("frame.html"),
              "<body style='margin: 0; background: rgb(40,50,60)'></body>");
    TestServer server(folder.Path());
    // One for all pages, as the programs keep one for each view: what it gives every page from
    // its start on is in place before the first load.
    WebKitBrowserView view(harness.view, harness.panel);

    for (const PageCase& page : Pages()) {
        SCOPED_TRACE(page.name);
        const std::string file = std::string(page.name) + ".html";
        WriteText(folder.File(file), kStyle + page.body);
        ASSERT_TRUE(harness.Load(page.overNetwork ? server.Url(file) : folder.File(file)));
        std::vector<int> marks;
        std::istringstream numbers(harness.Script(kMarksScript));
        for (int n; numbers >> n;) {
            marks.push_back(n);
        }
        ASSERT_GE(marks.size(), 9u);

        // Every element's own style and the elements themselves, to see that the page is given
        // back as it was.
        const char* kStylesScript =
            "Array.from(document.querySelectorAll('*'), (e) => e.tagName + ' ' + "
            "e.style.cssText).join('\\n')";
        const std::string styles = harness.Script(kStylesScript);
        ASSERT_NE(styles, "");
        // A scrolling element is where the person had scrolled it to.
        const char* kScrollerScript =
            "String(document.querySelector('[data-scroller]')?.scrollTop)";
        const std::string scrolled =
            harness.Script("document.querySelector('[data-scroller]')?.scrollBy(0, 100); " +
                           std::string(kScrollerScript));
        std::vector<std::string> errors;
        PageCapture capture(view, ErrorsOnlyCallbacks(errors));
        Bitmap24 picture;
        EXPECT_TRUE(capture.Run(picture));
        EXPECT_EQ(errors, std::vector<std::string>{});
        EXPECT_EQ(picture.Width(), marks[0]);
        EXPECT_EQ(picture.Height(), marks[1]);
        EXPECT_EQ(Differences(picture, marks, page.tolerance), "");
        EXPECT_TRUE(harness.Script(kStylesScript) == styles) << "the page's styles came back";
        EXPECT_EQ(harness.Script(kScrollerScript), scrolled);
    }
}

}  // namespace
}  // namespace pagrovix::test
