// The command end to end: the built program runs on real pages, and its files are read back by
// decoders of their own.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <tuple>

#include <chrono>
#include <csignal>
#include <thread>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "imaging/ImageWriters.h"
#include "tests/capture/TestPages.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/shot/ShotTestSupport.h"

namespace pagrovix::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// A picture's exact bytes as the program's own writer makes them.
Bytes WrittenBy(const std::function<void(const std::string&)>& write, const ScratchFolder& folder) {
    const std::string path = folder.File("reference.out");
    write(path);
    Bytes bytes = ReadBytes(path);
    std::filesystem::remove(path);
    return bytes;
}

// What the command itself writes to its error stream: nothing else reaches it, except in
// sanitizer builds, where the engine's own notes stay for the sanitizers' sake.
void ExpectQuiet(const std::string& err) {
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_FALSE(Contains(err, "pagrovix-shot")) << err;
#else
    EXPECT_EQ(err, "");
#endif
}

// Every run must leave nothing behind: no X server, no browser process.
void ExpectNothingLeft(const CommandResult& result) {
    EXPECT_TRUE(result.leftovers.empty()) << testing::PrintToString(result.leftovers);
}

// A port on which nothing listens: the system just gave it out and it was let go again.
int ClosedPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

// Pages shorter than the view are captured as tall as the view, as a browser shows them; the
// pages here are at least the default 800 rows.
class ShotCommand : public testing::Test {
protected:
    std::string Page(const std::string& name, int height, int width = 1280) {
        const std::string path = folder_.File(name);
        WriteRowPage(path, width, height);
        return path;
    }

    ScratchFolder folder_;
};

TEST_F(ShotCommand, RowPagesComeOutExactAcrossEveryBandBoundaryInEveryFormat) {
    const std::string page1000 = Page("rows1000.html", 1000);
    const std::string page32763 = Page("rows32763.html", 32763);
    const std::string page32764 = Page("rows32764.html", 32764);
    const std::string page70000 = Page("rows70000.html", 70000);
    const CommandResult result = RunShot({
        page1000,  folder_.File("1000.png"),  page1000,  folder_.File("1000.bmp"),
        page1000,  folder_.File("1000.jpg"),  page32763, folder_.File("32763.png"),
        page32763, folder_.File("32763.bmp"), page32764, folder_.File("32764.PNG"),
        page32764, folder_.File("32764.Bmp"), page32764, folder_.File("32764.jpeg"),
        page70000, folder_.File("70000.png"), page70000, folder_.File("70000.bmp"),
        page1000,  folder_.File("1000.WebP"),
    });
    EXPECT_EQ(result.status, 0) << result.err;
    ExpectQuiet(result.err);
    ExpectNothingLeft(result);

    for (const int height : {1000, 32763, 32764, 70000}) {
        SCOPED_TRACE(height);
        const std::string name = folder_.File(std::to_string(height));
        const std::string png = height == 32764 ? name + ".PNG" : name + ".png";
        const std::string bmp = height == 32764 ? name + ".Bmp" : name + ".bmp";
        EXPECT_TRUE(IsRowPage(ReadPngFile(png), 1280, height));
        EXPECT_TRUE(IsRowPage(ReadBmpFile(bmp), 1280, height));
    }
    // WebP is lossless without --quality: libwebp's own decoder gives back every row.
    const std::string decode = "dwebp -quiet '" + folder_.File("1000.WebP") + "' -o '" +
                               folder_.File("webp-decoded.png") + "'";
    ASSERT_EQ(std::system(decode.c_str()), 0);
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("webp-decoded.png")), 1280, 1000));
    // JPEG is lossy: the file must be what the program's writer makes of the very same pixels.
    for (const auto& [jpeg, png] :
         {std::pair{"1000.jpg", "1000.png"}, std::pair{"32764.jpeg", "32764.PNG"}}) {
        const Bitmap24 pixels = ReadPngFile(folder_.File(png));
        const Bitmap24 decoded = ReadJpegFile(folder_.File(jpeg));
        EXPECT_EQ(decoded.Width(), pixels.Width());
        EXPECT_EQ(decoded.Height(), pixels.Height());
        EXPECT_EQ(
            ReadBytes(folder_.File(jpeg)),
            WrittenBy([&](const std::string& path) { WriteJpegFile(pixels, path, 80); }, folder_))
            << jpeg;
    }
}

// A PNG of a page painted view by view is begun while the views are painted. A page that changes
// its size meanwhile is painted again from the top, and only that picture reaches the file: the
// one begun first leaves nothing behind.
TEST_F(ShotCommand, TallPngBegunWhilePaintedHoldsOnlyThePictureThatWasCapturedWhole) {
    // The capture hides fixed elements after its first view: that is when this page drops its
    // last 5000 rows, once.
    const std::string page = Page("shrinks.html", 40000, 320);
    std::ofstream(page, std::ios::app)
        << "<i id='fixed' style='position: fixed'></i><script>\n"
           "new MutationObserver(() => {\n"
           "  const rows = document.querySelectorAll('div');\n"
           "  if (rows.length === 40000) for (let i = 1; i <= 5000; ++i) rows[40000 - i].remove();\n"
           "}).observe(fixed, {attributes: true});\n"
           "</script>\n";
    std::filesystem::create_directory(folder_.File("out"));
    const std::string output = folder_.File("out/shrinks.png");
    WriteBytes(output, {1, 2, 3});
    const CommandResult result = RunShot({"--width", "320", page, output});
    EXPECT_EQ(result.status, 0) << result.err;
    ExpectNothingLeft(result);
    EXPECT_TRUE(IsRowPage(ReadPngFile(output), 320, 35000));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.File("out")), {}), 1);
}

TEST_F(ShotCommand, SplitPartsHoldEveryRowOnceApartFromTheirSharedOverlap) {
    const std::string page = Page("rows1000.html", 1000, 64);
    const CommandResult result =
        RunShot({"--width", "64", "--split", "300:50", page, folder_.File("p.png")});
    ASSERT_EQ(result.status, 0) << result.err;
    // Parts start every 250 rows; the last one ends with the page.
    const int tops[] = {0, 250, 500, 750};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Bitmap24 part = ReadPngFile(folder_.File("p-" + std::to_string(i + 1) + ".png"));
        ASSERT_EQ(part.Width(), 64);
        ASSERT_EQ(part.Height(), i < 3 ? 300 : 250);
        for (int y = 0; y < part.Height(); ++y) {
            const Rgb colour = RowColour(tops[i] + y);
            ASSERT_TRUE(IsFilled(part, 1, y, 62, 1, colour)) << "row " << y;
        }
    }
    EXPECT_FALSE(Exists(folder_.File("p.png")));
    EXPECT_FALSE(Exists(folder_.File("p-5.png")));
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, TheColourSchemeAndUserAgentReachThePage) {
    // Black only in the dark scheme; the box green only for the user agent given.
    WriteText(folder_.File("look.html"),
              "<style>body{margin:0;height:900px;background:#fff}"
              "@media (prefers-color-scheme: dark){body{background:#000}}</style>"
              "<div id='ua' style='width:100px;height:100px;background:red'></div><script>"
              "if (navigator.userAgent === 'PagrovixTest/1.0') "
              "document.getElementById('ua').style.background = 'rgb(0,255,0)';</script>");
    const std::string page = folder_.File("look.html");
    const CommandResult result =
        RunShot({"--color-scheme", "dark", "--user-agent", "PagrovixTest/1.0", page,
                 folder_.File("dark.png"), page, folder_.File("again.png")});
    ASSERT_EQ(result.status, 0) << result.err;
    const CommandResult light =
        RunShot({"--color-scheme", "light", page, folder_.File("light.png")});
    ASSERT_EQ(light.status, 0) << light.err;
    for (const char* name : {"dark.png", "again.png"}) {
        const Bitmap24 picture = ReadPngFile(folder_.File(name));
        EXPECT_TRUE(IsFilled(picture, 200, 0, 100, 800, {0, 0, 0})) << name;
        EXPECT_TRUE(IsFilled(picture, 0, 0, 100, 100, {0, 255, 0})) << name;
    }
    const Bitmap24 picture = ReadPngFile(folder_.File("light.png"));
    EXPECT_TRUE(IsFilled(picture, 200, 0, 100, 800, {255, 255, 255}));
    EXPECT_TRUE(IsFilled(picture, 0, 0, 100, 100, {255, 0, 0}));
}

TEST_F(ShotCommand, CookiesComeFromTheFileForEveryJobAndASignInIsSavedForTheNextRun) {
    TestServer server(folder_.Path());
    // Green only with the cookie named in the page's address.
    WriteText(folder_.File("cookie.html"),
              "<body style='margin:0;height:900px;background:red'><script>"
              "const want = location.hash.slice(1);"
              "if (document.cookie.split('; ').includes(want))"
              "  document.body.style.background = 'rgb(0,255,0)';"
              "document.cookie = 'left=behind; max-age=3600';</script></body>");
    const std::string host = "127.0.0.1";
    WriteText(folder_.File("jar.txt"),
              "# from a browser\n" + host + "\tFALSE\t/\tFALSE\t0\tsession\tok\n");
    const std::string page = server.Url("cookie.html");
    const CommandResult given =
        RunShot({"--cookies", folder_.File("jar.txt"), page + "#session=ok", folder_.File("a.png"),
                 page + "#left=behind", folder_.File("b.png")});
    EXPECT_EQ(given.status, 0) << given.err;
    const Bitmap24 a = ReadPngFile(folder_.File("a.png"));
    EXPECT_TRUE(IsFilled(a, 0, 0, 100, 100, {0, 255, 0}));
    // What the first page set does not reach the second.
    const Bitmap24 b = ReadPngFile(folder_.File("b.png"));
    EXPECT_TRUE(IsFilled(b, 0, 0, 100, 100, {255, 0, 0}));

    // A sign-in made by a script, saved, and used by a later run.
    const CommandResult signIn =
        RunShot({"--script", "document.cookie = 'token=abc; max-age=3600'", "--save-cookies",
                 folder_.File("saved.txt"), page, folder_.File("c.png")});
    EXPECT_EQ(signIn.status, 0) << signIn.err;
    EXPECT_EQ(std::filesystem::status(folder_.File("saved.txt")).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const CommandResult reused = RunShot(
        {"--cookies", folder_.File("saved.txt"), page + "#token=abc", folder_.File("d.png")});
    EXPECT_EQ(reused.status, 0) << reused.err;
    EXPECT_TRUE(IsFilled(ReadPngFile(folder_.File("d.png")), 0, 0, 100, 100, {0, 255, 0}));

    WriteText(folder_.File("bad.txt"), "# ok\n" + host + "\tFALSE\t/\n");
    const CommandResult bad =
        RunShot({"--cookies", folder_.File("bad.txt"), page, folder_.File("e.png")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(Contains(bad.err, "--cookies \"" + folder_.File("bad.txt") + "\" line 2: "))
        << bad.err;
}

TEST_F(ShotCommand, HeadersAndSignInsReachOnlyTheJobsOwnOriginAndCertificatesAreChecked) {
    // Another port is another origin: that server must never see the header or the password.
    TestServer other(folder_.Path());
    TestServer server(folder_.Path());
    const std::string makeCertificate =
        "cd '" + folder_.Path() +
        "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
        "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 >/dev/null 2>&1";
    std::optional<TestServer> secure;
    if (std::system(makeCertificate.c_str()) == 0) {
        secure.emplace(folder_.Path(), folder_.File("cert.pem"), folder_.File("key.pem"));
    } else {
        std::cout << "No openssl command: the certificate cases are left out.\n";
    }
    WriteText(folder_.File("pixel.svg"), "<svg xmlns='http://www.w3.org/2000/svg'/>");
    WriteText(folder_.File("green.js"), "document.body.style.background = 'rgb(0,255,0)';");
    WriteText(folder_.File("green.html"),
              "<body style='margin:0;height:900px;background:rgb(0,255,0)'></body>");
    // Green only when the script the server gives only with the header runs.
    WriteText(folder_.File("header.html"),
              "<body style='margin:0;height:900px;background:red'><img style='margin:200px' src='" +
                  other.Url("needs-header/pixel.svg") +
                  "'><script src='/needs-header/green.js'></script></body>");
    WriteText(
        folder_.File("signed.html"),
        "<body style='margin:0;height:900px;background:rgb(0,255,0)'><img style='margin:200px' "
        "src='" +
            other.Url("auth/pixel.svg") + "'></body>");
    constexpr Rgb kGreen{0, 255, 0}, kRed{255, 0, 0};
    const std::string refused =
        "Cannot load the page: the server's certificate was refused: "
        "the certificate is not trusted (unknown authority)";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;  // in the error stream
        std::optional<Rgb> colour;
        bool needsTls = false;
    };
    const std::vector<Case> cases{
        {{"--header", "X-Pagrovix-Test: yes", server.Url("header.html")}, 0, "", kGreen},
        {{server.Url("header.html")}, 0, "", kRed},
        // From the environment, out of the process list.
        {{"--auth", "-", server.Url("auth/signed.html")}, 0, "", kGreen},
        {{"--auth", "user:wrong", server.Url("auth/signed.html")},
         1,
         "Cannot load the page: the server refused the --auth user and password",
         {}},
        {{server.Url("auth/signed.html")}, 1, "asks for a user name and password", {}},
        // The proxy is asked for an address no name server knows.
        {{"--proxy", server.Url(""), "http://pagrovix.test/green.html"}, 0, "", kGreen},
        {{secure ? secure->Url("green.html") : ""}, 1, refused, {}, true},
        {{"--ignore-certificate-errors", secure ? secure->Url("green.html") : ""},
         0,
         "pagrovix-shot: warning: --ignore-certificate-errors: certificate errors are ignored",
         kGreen,
         true},
    };
    RunSettings signIn;
    signIn.environment = {"PAGROVIX_AUTH=user:secret"};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        if (c.needsTls && !secure) {
            continue;
        }
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        std::vector<std::string> arguments = c.arguments;
        const std::string output = folder_.File("case" + std::to_string(i) + ".png");
        arguments.push_back(output);
        const CommandResult result = RunShot(arguments, signIn);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
        if (c.colour) {
            EXPECT_TRUE(IsFilled(ReadPngFile(output), 0, 0, 100, 100, *c.colour));
        } else {
            EXPECT_FALSE(Exists(output));
        }
    }
    // The other server was asked, and got neither.
    const std::string elsewhere = other.Received();
    EXPECT_TRUE(Contains(elsewhere, "GET /needs-header/pixel.svg")) << elsewhere;
    EXPECT_TRUE(Contains(elsewhere, "GET /auth/pixel.svg")) << elsewhere;
    EXPECT_FALSE(Contains(elsewhere, "X-Pagrovix-Test")) << elsewhere;
    EXPECT_FALSE(Contains(elsewhere, "Authorization")) << elsewhere;
    EXPECT_TRUE(Contains(server.Received(), "GET http://pagrovix.test/green.html"));
}

// Boxes painted into the picture by the program: the page lies to whatever measures from its own
// scripts and removes whatever is added to it, yet each box covers its element exactly, out to
// whole device pixels, also past the rows one painting holds.
TEST_F(ShotCommand, MasksCoverTheirElementsInThePictureWhateverThePageDoes) {
    WriteText(
        folder_.File("masked.html"),
        "<!DOCTYPE html><html><body style='margin:0;height:17000px;background:#fff'>"
        "<div id='secret' style='position:absolute;left:10.3px;top:16600.25px;width:20px;"
        "height:30px;background:rgb(0,0,255)'></div>"
        "<p class='private' style='position:absolute;margin:0;left:0;top:0;width:64px;"
        "height:10px;background:rgb(255,0,0)'></p><script>\n"
        "Element.prototype.getBoundingClientRect = () => new DOMRect(0, 0, 1, 1);\n"
        "Document.prototype.querySelectorAll = () => [];\n"
        "new MutationObserver(records => {\n"
        "  for (const record of records) for (const node of record.addedNodes) node.remove();\n"
        "}).observe(document.documentElement, {childList: true, subtree: true});\n"
        "</script></body></html>");
    const std::vector<std::string> masks{"--width", "64",      "--scale",      "2",
                                         "--mask",  "#secret", "--mask",       ".private",
                                         "--mask",  "#none",   "--mask-color", "#0f0"};
    std::vector<std::string> whole = masks;
    whole.insert(whole.end(), {folder_.File("masked.html"), folder_.File("whole.png")});
    const CommandResult result = RunShot(whole);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "warning: " + folder_.File("masked.html") +
                                         ": --mask \"#none\" matches no element on this page"))
        << result.err;
    std::vector<std::string> cropped = masks;
    cropped.insert(cropped.end(), {"--crop", "0,16590,64,16640", folder_.File("masked.html"),
                                   folder_.File("cropped.png")});
    const CommandResult crop = RunShot(cropped);
    ASSERT_EQ(crop.status, 0) << crop.err;

    constexpr Rgb kGreen{0, 255, 0}, kWhite{255, 255, 255};
    const Bitmap24 picture = ReadPngFile(folder_.File("whole.png"));
    ASSERT_EQ(picture.Width(), 128);
    ASSERT_EQ(picture.Height(), 34000);
    EXPECT_TRUE(IsFilled(picture, 0, 0, 128, 20, kGreen));
    EXPECT_TRUE(IsFilled(picture, 0, 20, 128, 33180, kWhite));
    // 10.3 to 30.3 and 16600.25 to 16630.25 CSS pixels: device columns 20.6 to 60.6, rows
    // 33200.5 to 33260.5.
    EXPECT_TRUE(IsFilled(picture, 20, 33200, 41, 61, kGreen));
    EXPECT_TRUE(IsFilled(picture, 0, 33200, 20, 61, kWhite));
    EXPECT_TRUE(IsFilled(picture, 61, 33200, 67, 61, kWhite));
    EXPECT_TRUE(IsFilled(picture, 0, 33261, 128, 739, kWhite));
    // Painted before the rectangle was cut out, where the element lies in it.
    const Bitmap24 part = ReadPngFile(folder_.File("cropped.png"));
    ASSERT_EQ(part.Width(), 128);
    ASSERT_EQ(part.Height(), 100);
    EXPECT_TRUE(IsFilled(part, 20, 20, 41, 61, kGreen));
    EXPECT_TRUE(IsFilled(part, 0, 0, 128, 20, kWhite));
    EXPECT_TRUE(IsFilled(part, 0, 81, 128, 19, kWhite));
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, JpegTakesPagesUpTo65500RowsAndRefusesTallerOnesClearly) {
    const std::string page65500 = Page("rows65500.html", 65500);
    const CommandResult result = RunShot({"--quality", "95", page65500, folder_.File("a.jpg")});
    EXPECT_EQ(result.status, 0) << result.err;
    ExpectNothingLeft(result);
    // Narrow, so that the capture that cannot be written costs little.
    const std::string page70000 = Page("rows70000.html", 70000, 64);
    const CommandResult tooTall = RunShot({"--width", "64", page70000, folder_.File("b.jpg")});
    EXPECT_EQ(tooTall.status, 1);
    EXPECT_TRUE(
        Contains(tooTall.err, "pagrovix-shot: " + page70000 +
                                  ": The picture is 64 x "
                                  "70000 pixels, but a JPEG file holds at most 65500 x 65500"))
        << tooTall.err;
    EXPECT_FALSE(Exists(folder_.File("b.jpg")));
    const CommandResult webp = RunShot({"--width", "64", page70000, folder_.File("c.webp")});
    EXPECT_EQ(webp.status, 1);
    EXPECT_TRUE(Contains(webp.err, "70000 pixels, but a WebP file holds at most 16383 x 16383: "
                                   "cut it into parts with --split"))
        << webp.err;
    EXPECT_FALSE(Exists(folder_.File("c.webp")));

    // Each row's colour, averaged along the row, survives the compression closely.
    const Bitmap24 picture = ReadJpegFile(folder_.File("a.jpg"));
    ASSERT_EQ(picture.Width(), 1280);
    ASSERT_EQ(picture.Height(), 65500);
    int wrongRows = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        if (y % 256 < 8 || y % 256 > 247) {
            continue;  // next to a jump of the row colours, where compression smears
        }
        const Rgb wanted = RowColour(y);
        long sum[3] = {};
        for (int x = 8; x < 1272; ++x) {
            for (int c = 0; c < 3; ++c) {
                sum[c] += picture.Row(y)[3 * x + c];
            }
        }
        const int blue = int(sum[0] / 1264), green = int(sum[1] / 1264), red = int(sum[2] / 1264);
        if (std::abs(blue - wanted.blue) > 6 || std::abs(green - wanted.green) > 6 ||
            std::abs(red - wanted.red) > 6) {
            ++wrongRows;
        }
    }
    EXPECT_EQ(wrongRows, 0);
}

TEST_F(ShotCommand, PngLevelAndJpegQualityReachTheProgramsWriters) {
    const std::string page = Page("rows.html", 1000);
    const CommandResult result =
        RunShot({page, folder_.File("default.png"), page, folder_.File("default.jpg")});
    ASSERT_EQ(result.status, 0) << result.err;
    const CommandResult tuned = RunShot({"--level", "9", "--quality=35", page,
                                         folder_.File("nine.png"), page, folder_.File("35.jpg")});
    ASSERT_EQ(tuned.status, 0) << tuned.err;

    const Bitmap24 pixels = ReadPngFile(folder_.File("default.png"));
    ASSERT_TRUE(IsRowPage(pixels, 1280, 1000));
    const auto png = [&](int level) {
        // The bands do not depend on the number of cores, only on the picture.
        return WrittenBy(
            [&](const std::string& path) { WritePngFileOnCores(pixels, path, level, 2); }, folder_);
    };
    const auto jpeg = [&](int quality) {
        return WrittenBy([&](const std::string& path) { WriteJpegFile(pixels, path, quality); },
                         folder_);
    };
    EXPECT_EQ(ReadBytes(folder_.File("default.png")), png(6));
    EXPECT_EQ(ReadBytes(folder_.File("nine.png")), png(9));
    EXPECT_EQ(ReadBytes(folder_.File("default.jpg")), jpeg(80));
    EXPECT_EQ(ReadBytes(folder_.File("35.jpg")), jpeg(35));
}

TEST_F(ShotCommand, PagesComeOverHttpAsWellAsFromFiles) {
    Page("served.html", 1500);
    TestServer server(folder_.Path());
    // A relative path is a file of the working folder, as in the address box.
    RunSettings inFolder;
    inFolder.workingFolder = folder_.Path();
    const CommandResult result =
        RunShot({server.Url("served.html"), "http.png", "served.html", "file.bmp",
                 "file://" + folder_.File("served.html"), "url.png"},
                inFolder);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("http.png")), 1280, 1500));
    EXPECT_TRUE(IsRowPage(ReadBmpFile(folder_.File("file.bmp")), 1280, 1500));
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("url.png")), 1280, 1500));
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, OneFailingPairDoesNotStopTheOthers) {
    const std::string good = Page("good.html", 900);
    TestServer server(folder_.Path());
    const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
    const std::string blocked = "http://127.0.0.1:1/";
    const std::string missing = server.Url("missing.html");
    const std::string download = server.Url("file.bin");
    WriteText(folder_.File("file.bin"), std::string(100000, 'x'));
    // A full disk, made small: the device refuses every byte.
    std::filesystem::create_symlink("/dev/full", folder_.File("full.png"));
    const CommandResult result =
        RunShot({good, folder_.File("a.png"), refused, folder_.File("b.png"), missing,
                 folder_.File("c.png"), download, folder_.File("g.png"), good,
                 folder_.File("no/such/folder/d.png"), blocked,
                 folder_.File("e.png"), good, folder_.File("full.png"), good,
                 folder_.File("f.bmp")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("a.png")), 1280, 900));
    EXPECT_TRUE(IsRowPage(ReadBmpFile(folder_.File("f.bmp")), 1280, 900));
    EXPECT_EQ(folder_.Names(),
              (std::vector<std::string>{"a.png", "f.bmp", "file.bin", "full.png", "good.html"}));
    // Each error names the address and the reason.
    EXPECT_TRUE(Contains(result.err,
                         "pagrovix-shot: " + refused + ": Cannot load the page: Could not connect"))
        << result.err;
    // The engine shows a blank page for ports browsers keep away from, and reports nothing.
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + blocked +
                                         ": Cannot load the page: the browser refused to open "
                                         "this address"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + missing +
                                         ": Cannot load the page: the server answered with "
                                         "HTTP status 404"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + download +
                                         ": Cannot load the page: the address gives a file to "
                                         "download, not a page"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + good + ": Cannot create file \"" +
                                         folder_.File("no/such/folder/d.png") + "\"."))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + good + ": Cannot write the file \"" +
                                         folder_.File("full.png") +
                                         "\": No space left on device"))
        << result.err;
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, APageThatNeverFinishesLoadingIsCapturedAfterTheTimeout) {
    WriteText(folder_.File("slow.html"),
              "<!DOCTYPE html><html><body style='margin:0'>"
              "<div style='width:1280px;height:900px;background:rgb(10,200,30)'></div>"
              "<img src='/hang' style='display:none'></body></html>");
    TestServer server(folder_.Path());
    const CommandResult result =
        RunShot({"--timeout", "2", server.Url("slow.html"), folder_.File("slow.png")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: warning: " + server.Url("slow.html") +
                                         ": the page did not finish loading within 2 seconds"))
        << result.err;
    const Bitmap24 picture = ReadPngFile(folder_.File("slow.png"));
    EXPECT_EQ(picture.Width(), 1280);
    EXPECT_EQ(picture.Height(), 900);
    EXPECT_TRUE(IsFilled(picture, 0, 0, 1280, 900, {10, 200, 30}));
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, AnAddressThatNeverAnswersFailsInsteadOfShowingThePageBefore) {
    const std::string page = Page("rows.html", 900);
    TestServer server(folder_.Path());
    const CommandResult result = RunShot({"--timeout", "2", page, folder_.File("a.png"),
                                          server.Url("silent"), folder_.File("b.png")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + server.Url("silent") +
                                         ": Cannot load the page: no answer came within 2 "
                                         "seconds"))
        << result.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("a.png")), 1280, 900));
    EXPECT_FALSE(Exists(folder_.File("b.png")));
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, StoppedOrCutOffItSaysSoAndLeavesNothingBehind) {
    const std::string page = Page("rows.html", 900);
    std::filesystem::create_directories(folder_.File("tmp"));
    TestServer server(folder_.Path());
    RunSettings settings;
    settings.environment = {"TMPDIR=" + folder_.File("tmp")};
    const auto onceTheFirstFileIsThere = [this](std::function<void(int)> action) {
        return [this, action](int pid) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!Exists(folder_.File("a.png")) && std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            action(pid);
        };
    };
    // Each run waits for an address that never answers when it is cut off.
    const struct {
        const char* name;
        std::function<void(int)> cut;
        std::string said;      // for each job not captured
        std::string headline;  // once
    } kWays[] = {
        {"asked to stop",
         [](int pid) {
             std::this_thread::sleep_for(std::chrono::milliseconds(500));
             kill(pid, SIGTERM);
         },
         "Not captured: the command was asked to stop.", ""},
        {"its private X server killed",
         [](int pid) {
             std::ifstream children("/proc/" + std::to_string(pid) + "/task/" +
                                    std::to_string(pid) + "/children");
             for (int child = 0; children >> child;) {
                 std::ifstream name("/proc/" + std::to_string(child) + "/comm");
                 std::string comm;
                 std::getline(name, comm);
                 if (comm == "Xvfb") {
                     kill(child, SIGKILL);
                 }
             }
         },
         "Not captured: the X server went away.",
         "went away; every page not captured by then fails"},
    };
    for (const auto& way : kWays) {
        SCOPED_TRACE(way.name);
        std::filesystem::remove(folder_.File("a.png"));
        settings.whileRunning = onceTheFirstFileIsThere(way.cut);
        const auto start = std::chrono::steady_clock::now();
        const CommandResult result =
            RunShot({"--timeout", "120", page, folder_.File("a.png"), server.Url("silent"),
                     folder_.File("b.png"), page, folder_.File("c.png")},
                    settings);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(100));
        EXPECT_EQ(result.status, 1);
        for (const std::string& address : {server.Url("silent"), page}) {
            EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + address + ": " + way.said))
                << result.err;
        }
        EXPECT_TRUE(Contains(result.err, way.headline)) << result.err;
        EXPECT_TRUE(Contains(result.err, "pagrovix-shot: 1 written, 2 failed")) << result.err;
        EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("a.png")), 1280, 900));
        EXPECT_FALSE(Exists(folder_.File("b.png")));
        EXPECT_FALSE(Exists(folder_.File("c.png")));
        // The temporary folder of the run is gone, and so are its X server and engine processes.
        EXPECT_TRUE(std::filesystem::is_empty(folder_.File("tmp")));
        ExpectNothingLeft(result);
    }
    // Two interrupts as the browser starts: the second ends the command at once, and its
    // temporary folder still goes. The address never answers, so the run cannot have ended
    // before them however fast it starts.
    settings.whileRunning = [](int pid) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(pid, SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(pid, SIGINT);
    };
    const CommandResult cut = RunShot({server.Url("silent"), folder_.File("d.png")}, settings);
    EXPECT_NE(cut.status, 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder_.File("tmp")));
    ExpectNothingLeft(cut);
}

TEST_F(ShotCommand, PopUpsAndDialogsChangeNothing) {
    // The page turns green only when every dialog was answered at once, as a person who declines
    // would, and no window opened.
    WriteText(folder_.File("pushy.html"),
              "<!DOCTYPE html><html><body style='margin:0'>"
              "<div id='r' style='width:1280px;height:700px;background:rgb(255,0,0)'></div>"
              "<script>\n"
              "onbeforeunload = e => { e.preventDefault(); return 'stay'; };\n"
              "alert('hello');\n"
              "const confirmed = confirm('sure?');\n"
              "const answer = prompt('name?', 'x');\n"
              "const first = open('http://127.0.0.1:1/pagrovix-popup-one', '_blank');\n"
              "const second = open('about:blank', 'named', 'width=200,height=200');\n"
              "const link = document.createElement('a');\n"
              "link.href = 'http://127.0.0.1:1/pagrovix-popup-two'; link.target = '_blank';\n"
              "document.body.appendChild(link); link.click();\n"
              "print();\n"
              "document.getElementById('r').style.background =\n"
              "  !confirmed && answer === null && !first && !second ? 'rgb(0,255,0)'\n"
              "                                                    : 'rgb(0,0,255)';\n"
              "</script></body></html>");
    const std::string next = Page("next.html", 900);
    const CommandResult result =
        RunShot({"--timeout", "20", folder_.File("pushy.html"), folder_.File("pushy.png"), next,
                 folder_.File("next.png")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(Contains(result.err, "warning")) << result.err;
    const Bitmap24 picture = ReadPngFile(folder_.File("pushy.png"));
    EXPECT_TRUE(IsFilled(picture, 0, 0, 1280, 700, {0, 255, 0}));
    // Leaving the page that asks to stay is allowed.
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("next.png")), 1280, 900));
    EXPECT_FALSE(AnyProcessMentions("pagrovix-popup-"));
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, EachRunStartsAfreshAndLeavesNothingBehind) {
    // Green unless the page finds what an earlier visit stored.
    WriteText(
        folder_.File("memory.html"),
        "<!DOCTYPE html><html><body style='margin:0'>"
        "<div id='d' style='width:1280px;height:800px'></div><script>\n"
        "const seen = localStorage.getItem('visited') || sessionStorage.getItem('visited') ||\n"
        "    document.cookie.includes('visited');\n"
        "localStorage.setItem('visited', 'yes');\n"
        "sessionStorage.setItem('visited', 'yes');\n"
        "document.cookie = 'visited=yes; max-age=86400';\n"
        "document.getElementById('d').style.background = seen ? 'rgb(255,0,0)' : "
        "'rgb(0,255,0)';\n"
        "</script></body></html>");
    // Downloads the page's script starts, given their time to arrive.
    WriteText(folder_.File("download.html"),
              "<!DOCTYPE html><html><body><script>\n"
              "const link = document.createElement('a');\n"
              "link.href = 'pagrovix-file.bin'; link.download = 'pagrovix-saved.bin';\n"
              "document.body.appendChild(link); link.click();\n"
              "</script></body></html>");
    WriteText(folder_.File("pagrovix-file.bin"), std::string(100000, 'x'));
    std::filesystem::create_directories(folder_.File("home"));
    std::filesystem::create_directories(folder_.File("tmp"));
    TestServer server(folder_.Path());
    RunSettings ownHome;
    ownHome.environment = {"HOME=" + folder_.File("home"), "XDG_CACHE_HOME=", "XDG_DATA_HOME=",
                           "XDG_CONFIG_HOME=", "TMPDIR=" + folder_.File("tmp")};
    for (const char* output : {"first.png", "second.png"}) {
        const CommandResult result =
            RunShot({server.Url("memory.html"), folder_.File(output)}, ownHome);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(IsFilled(ReadPngFile(folder_.File(output)), 0, 0, 1280, 800, {0, 255, 0}))
            << output;
    }
    // Nor within one run: no job sees what an earlier one stored, whatever their order.
    const CommandResult twice = RunShot({server.Url("memory.html"), folder_.File("a.png"),
                                         server.Url("memory.html"), folder_.File("b.png")},
                                        ownHome);
    ASSERT_EQ(twice.status, 0) << twice.err;
    EXPECT_TRUE(IsFilled(ReadPngFile(folder_.File("b.png")), 0, 0, 1280, 800, {0, 255, 0}));
    const CommandResult downloads =
        RunShot({"--delay", "700", server.Url("download.html"), folder_.File("c.png")}, ownHome);
    ASSERT_EQ(downloads.status, 0) << downloads.err;

    // Libraries may keep caches of their own there; the engine's data for the command and what
    // the page downloads must not.
    const std::filesystem::path home = folder_.File("home");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home)) {
        EXPECT_FALSE(Contains(entry.path().lexically_relative(home).string(), "pagrovix"))
            << entry.path();
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder_.File("tmp")));
}

TEST_F(ShotCommand, CropKeepsTheRectangleAndPaintsWhatLiesOutsideWhite) {
    const std::string page = Page("rows.html", 1000);
    const CommandResult partly =
        RunShot({"--crop", "-10,990,30,1010", page, folder_.File("partly.png"), page,
                 folder_.File("partly.bmp")});
    ASSERT_EQ(partly.status, 0) << partly.err;
    const CommandResult larger =
        RunShot({"--crop=-5,-3,1290,1004", page, folder_.File("larger.png")});
    ASSERT_EQ(larger.status, 0) << larger.err;
    const CommandResult inside =
        RunShot({"--crop", "1,100,1279,350", page, folder_.File("inside.png")});
    ASSERT_EQ(inside.status, 0) << inside.err;

    constexpr Rgb white{255, 255, 255};
    for (const Bitmap24& picture :
         {ReadPngFile(folder_.File("partly.png")), ReadBmpFile(folder_.File("partly.bmp"))}) {
        ASSERT_EQ(picture.Width(), 40);
        ASSERT_EQ(picture.Height(), 20);
        EXPECT_TRUE(IsFilled(picture, 0, 0, 10, 20, white));   // left of the page
        EXPECT_TRUE(IsFilled(picture, 0, 10, 40, 10, white));  // below it
        EXPECT_TRUE(IsFilled(picture, 10, 0, 1, 10, kLeftEdge));
        for (int y = 0; y < 10; ++y) {
            EXPECT_TRUE(IsFilled(picture, 11, y, 29, 1, RowColour(990 + y)));
        }
    }
    const Bitmap24 wide = ReadPngFile(folder_.File("larger.png"));
    ASSERT_EQ(wide.Width(), 1295);
    ASSERT_EQ(wide.Height(), 1007);
    EXPECT_TRUE(IsFilled(wide, 0, 0, 1295, 3, white));
    EXPECT_TRUE(IsFilled(wide, 0, 1003, 1295, 4, white));
    EXPECT_TRUE(IsFilled(wide, 0, 0, 5, 1007, white));
    EXPECT_TRUE(IsFilled(wide, 1285, 0, 10, 1007, white));
    Bitmap24 page1000(1280, 1000);
    for (int y = 0; y < 1000; ++y) {
        std::memcpy(page1000.Row(y).data(), wide.Row(y + 3).data() + 15, page1000.Stride());
    }
    EXPECT_TRUE(IsRowPage(page1000, 1280, 1000));

    const Bitmap24 part = ReadPngFile(folder_.File("inside.png"));
    ASSERT_EQ(part.Width(), 1278);
    ASSERT_EQ(part.Height(), 250);
    for (int y = 0; y < 250; ++y) {
        EXPECT_TRUE(IsFilled(part, 0, y, 1278, 1, RowColour(100 + y)));
    }
}

TEST_F(ShotCommand, TheViewSizeOptionsShapeTheLayout) {
    // A page that fills the view's width, and is twice as tall as the view it loaded in.
    WriteText(folder_.File("fluid.html"),
              "<!DOCTYPE html><html><body style='margin:0'>"
              "<div id='d' style='background:rgb(40,80,120)'></div><script>"
              "document.getElementById('d').style.height = (2 * innerHeight) + 'px';"
              "</script></body></html>");
    const CommandResult result = RunShot(
        {"--width", "700", "--height=300", folder_.File("fluid.html"), folder_.File("fluid.png")});
    ASSERT_EQ(result.status, 0) << result.err;
    const Bitmap24 picture = ReadPngFile(folder_.File("fluid.png"));
    EXPECT_EQ(picture.Width(), 700);
    EXPECT_EQ(picture.Height(), 600);
    EXPECT_TRUE(IsFilled(picture, 0, 0, picture.Width(), picture.Height(), {40, 80, 120}));
}

// Pages as people write them, each checked against where its parts must be.
TEST_F(ShotCommand, RealPagesComeOutAsABrowserShowsThem) {
    struct Case {
        std::string file;
        std::string page;
        int height;  // the picture's; the part below row 100 is filled with rgb(10, 120, 200)
    };
    const Case written[] = {
        // An XHTML doctype on a local .html file is still HTML: parsed as XML, the page would
        // stop at the unclosed <br>.
        {"manual.HTML",
         "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
         "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"
         "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body style=\"margin:0\">"
         "<p style=\"margin:0;height:100px\">One<br>two&nbsp;</p>"
         "<div style=\"height:1900px;background:rgb(10,120,200)\"></div></body></html>",
         2000},
        // A scroll bar the page styles for itself takes no columns from the picture.
        {"styled-bar.html",
         "<!DOCTYPE html><style>::-webkit-scrollbar{width:12px;height:12px;"
         "background:rgb(255,0,0)} ::-webkit-scrollbar-thumb{background:rgb(0,255,0)}"
         "body{margin:0;background:rgb(10,120,200)}</style>"
         "<div style=\"height:3000px\"></div>",
         3000},
        // Nor does the engine's own.
        {"plain-bar.html",
         "<!DOCTYPE html><style>body{margin:0;background:rgb(10,120,200)}</style>"
         "<div style=\"height:3000px\"></div>",
         3000},
        // A canvas drawn once with WebGL, which does not ask to keep its drawing buffer.
        {"webgl.html",
         "<!DOCTYPE html><body style=\"margin:0\"><div style=\"height:100px\"></div>"
         "<canvas id=gl width=1280 height=1900 style=\"display:block\"></canvas><script>"
         "const context = gl.getContext('webgl'); context.clearColor(10 / 255, 120 / 255, "
         "200 / 255, 1); context.clear(context.COLOR_BUFFER_BIT);</script>",
         2000},
    };
    // A missing image on a page that links to itself: on the page's first visit the engine may
    // lay the failed image out as a square as wide as its cell, in some runs and not in others,
    // where later visits and other browsers draw a small box. Several pages, first in the page
    // process, so that the square shows in most runs of a build that lets it through.
    std::vector<Case> cases;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "broken-" + std::to_string(i);
        cases.push_back({name + ".html",
                         "<!DOCTYPE html><body style=\"margin:0\"><div style=\"height:100px\">"
                         "<a href=\"" + name + ".html\">this page</a><table cellspacing=0 "
                         "cellpadding=0><tr><td width=300><img src=\"" + name + ".png\" "
                         "alt=\"gone\"></td></tr></table></div><div style=\"height:1900px;"
                         "background:rgb(10,120,200)\"></div>",
                         2000});
    }
    cases.insert(cases.end(), std::begin(written), std::end(written));
    std::vector<std::string> arguments;
    for (const Case& item : cases) {
        WriteText(folder_.File(item.file), item.page);
        arguments.push_back(folder_.File(item.file));
        arguments.push_back(folder_.File(item.file + ".png"));
    }
    const CommandResult result = RunShot(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    for (const Case& item : cases) {
        SCOPED_TRACE(item.file);
        const Bitmap24 picture = ReadPngFile(folder_.File(item.file + ".png"));
        EXPECT_EQ(picture.Width(), 1280);
        EXPECT_EQ(picture.Height(), item.height);
        EXPECT_TRUE(IsFilled(picture, 0, 100, 1280, item.height - 100, {10, 120, 200}));
    }
}

TEST_F(ShotCommand, DelayGivesPagesThatDrawLateTheirTime) {
    WriteText(folder_.File("late.html"),
              "<!DOCTYPE html><html><body style='margin:0'>"
              "<div id='d' style='width:1280px;height:500px;background:rgb(200,0,0)'></div><script>"
              "setTimeout(() => { document.getElementById('d').style.background = "
              "'rgb(0,0,200)'; }, 300);</script></body></html>");
    // One that goes elsewhere meanwhile, to a page that answers only half a second later (still
    // on its way when the delay is up), is captured where it went, and the report says so.
    TestServer server(folder_.Path());
    WriteText(folder_.File("leaving.html"),
              "<body><script>setTimeout(() => location.href = '/slow/arrived.html', 1800);"
              "</script>");
    WriteText(folder_.File("arrived.html"),
              "<body style='margin:0'><div style='height:500px;background:rgb(0,200,0)'></div>");
    const CommandResult result = RunShot(
        {"--delay", "2000", "--jobs", "2", "--report", "-", folder_.File("late.html"),
         folder_.File("late.png"), server.Url("leaving.html"), folder_.File("left.png")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(IsFilled(ReadPngFile(folder_.File("late.png")), 0, 0, 1280, 500, {0, 0, 200}));
    EXPECT_TRUE(IsFilled(ReadPngFile(folder_.File("left.png")), 0, 0, 1280, 500, {0, 200, 0}));
    EXPECT_TRUE(Contains(result.out, "\"final_address\":\"" + server.Url("slow/arrived.html")))
        << result.out;
}

TEST_F(ShotCommand, APageStillMovingOrStillGrowingIsCapturedAsItIsWithAWarning) {
    // A box that moves at every frame, and an endless feed that grows whenever it is scrolled
    // near its end.
    WriteText(folder_.File("moving.html"),
              "<!DOCTYPE html><body style='margin:0'><div id=box style='height:900px'></div>"
              "<script>function move(now) { box.style.marginLeft = (now % 100) + 'px';"
              " requestAnimationFrame(move); } requestAnimationFrame(move);</script>");
    WriteText(folder_.File("feed.html"),
              "<!DOCTYPE html><body style='margin:0'><div style='opacity:0;height:200px'></div>"
              "<div id=feed style='height:3000px'></div><script>addEventListener('scroll', () =>"
              " { if (scrollY + innerHeight > feed.offsetHeight - 1000)"
              " feed.style.height = (feed.offsetHeight + 3000) + 'px'; });</script>");
    const CommandResult result =
        RunShot({"--settle", "300", folder_.File("moving.html"), folder_.File("moving.png"),
                 folder_.File("feed.html"), folder_.File("feed.png")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(
        Contains(result.err, "moving.html: the page was still moving after --settle 300 ms"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "feed.html: the page was brought into view only down to"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "pixels: it kept growing as it was scrolled (at most 100000"))
        << result.err;
    EXPECT_FALSE(Contains(result.err, "feed.html: the page was still moving")) << result.err;
    EXPECT_GE(ReadPngFile(folder_.File("feed.png")).Height(), 6000);
    ExpectNothingLeft(result);
}

TEST_F(ShotCommand, APageThatKeepsChangingItsSizeIsCapturedAgainOrFailsAlone) {
    // Taller by a pixel at every task the page runs, never taller than one painting holds: the
    // painting is all but sure to come out another size than the page was measured at.
    WriteText(folder_.File("growing.html"),
              "<!DOCTYPE html><body style='margin:0'><div id=d style='height:1000px'></div>"
              "<script>const c = new MessageChannel(); c.port1.onmessage = () => {"
              " d.style.height = (d.offsetHeight >= 5000 ? 1000 : d.offsetHeight + 1) + 'px';"
              " c.port2.postMessage(0); }; c.port2.postMessage(0);</script>");
    const std::string good = Page("good.html", 900);
    const CommandResult result =
        RunShot({"--jobs", "2", "--settle", "300", folder_.File("growing.html"),
                 folder_.File("growing.png"), good, folder_.File("good.png")});
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("good.png")), 1280, 900));
    // Measured and painted again until the two agree, or given up on with the reason.
    if (result.status == 0) {
        const Bitmap24 growing = ReadPngFile(folder_.File("growing.png"));
        EXPECT_TRUE(growing.Height() >= 1000 && growing.Height() <= 5000) << growing.Height();
    } else {
        EXPECT_TRUE(Contains(result.err, "growing.html: The page kept changing its size during "
                                         "the capture: The browser painted 1280 x "))
            << result.err;
        EXPECT_FALSE(std::filesystem::exists(folder_.File("growing.png")));
    }
    const std::string moving = "growing.html: the page was still moving";
    const std::size_t first = result.err.find(moving);
    EXPECT_NE(first, std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(moving, first + 1), std::string::npos) << "warned once";
    ExpectNothingLeft(result);
}

// Whether picture is a row page of width x height CSS pixels painted at two device pixels per
// CSS pixel: every pixel doubled exactly in each direction.
testing::AssertionResult IsDoubledRowPage(const Bitmap24& picture, int width, int height) {
    if (picture.Width() != 2 * width || picture.Height() != 2 * height) {
        return testing::AssertionFailure()
               << "picture is " << picture.Width() << " x " << picture.Height();
    }
    Bitmap24 half(width, height);
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y).data();
        const std::uint8_t* pair = picture.Row(y & ~1).data();
        for (int x = 0; x < picture.Width(); ++x) {
            if (std::memcmp(row + 3 * x, pair + 3 * (x & ~1), 3) != 0) {
                return testing::AssertionFailure() << "not doubled at (" << x << ", " << y << ")";
            }
        }
        if (y % 2 == 0) {
            for (int x = 0; x < width; ++x) {
                std::memcpy(half.Row(y / 2).data() + 3 * x, row + 6 * x, 3);
            }
        }
    }
    return IsRowPage(half, width, height);
}

TEST_F(ShotCommand, ScaleTwoPaintsEveryRowAndColumnTwiceExactlyAcrossBands) {
    // 20000 rows are 40000 device rows: more than one painting can hold.
    const std::string page = Page("rows.html", 1000, 64);
    const std::string tall = Page("tall.html", 20000, 64);
    const CommandResult result =
        RunShot({"--scale", "2", "--width", "64", page, folder_.File("rows.png"), tall,
                 folder_.File("tall.bmp")});
    ASSERT_EQ(result.status, 0) << result.err;
    ExpectQuiet(result.err);
    EXPECT_TRUE(IsDoubledRowPage(ReadPngFile(folder_.File("rows.png")), 64, 1000));
    EXPECT_TRUE(IsDoubledRowPage(ReadBmpFile(folder_.File("tall.bmp")), 64, 20000));
}

TEST_F(ShotCommand, ScaleTwoPaintsTextSharpAndPicksTheHighDensityImage) {
    Bitmap24 red(40, 40), green(80, 80);
    red.Fill(0, 0, 255);
    green.Fill(0, 255, 0);
    WritePngFile(red, folder_.File("one.png"), 1);
    WritePngFile(green, folder_.File("two.png"), 1);
    WriteText(folder_.File("text.html"),
              "<!DOCTYPE html><html><body style='margin:0'>"
              "<img srcset='one.png 1x, two.png 2x' style='display:block;width:40px;height:40px'>"
              "<p style='margin:0;font:20px sans-serif'>Sharp text, sharp text</p></body></html>");
    for (const char* scale : {"1", "2"}) {
        const CommandResult result = RunShot({"--width", "300", "--height", "100", "--scale", scale,
                                              folder_.File("text.html"),
                                              folder_.File(std::string("text") + scale + ".png")});
        ASSERT_EQ(result.status, 0) << result.err;
    }
    const Bitmap24 one = ReadPngFile(folder_.File("text1.png"));
    const Bitmap24 two = ReadPngFile(folder_.File("text2.png"));
    ASSERT_EQ(one.Width(), 300);
    EXPECT_EQ(two.Width(), 2 * one.Width());
    EXPECT_EQ(two.Height(), 2 * one.Height());
    EXPECT_TRUE(IsFilled(one, 0, 0, 40, 40, {255, 0, 0}));
    EXPECT_TRUE(IsFilled(two, 0, 0, 80, 80, {0, 255, 0}));
    // An enlarged picture would repeat each pixel in a 2 x 2 block; sharp text does not.
    int unevenBlocks = 0;
    for (int y = 80; y + 1 < 130; y += 2) {
        for (int x = 0; x + 1 < two.Width(); x += 2) {
            const std::uint8_t* top = two.Row(y).data() + 3 * x;
            const std::uint8_t* below = two.Row(y + 1).data() + 3 * x;
            if (std::memcmp(top, top + 3, 3) != 0 || std::memcmp(top, below, 3) != 0 ||
                std::memcmp(top, below + 3, 3) != 0) {
                ++unevenBlocks;
            }
        }
    }
    EXPECT_GT(unevenBlocks, 200);
}

// A 100 x 100 page: a red banner, a blue box below it, and a grey strip that turns green once the
// page is ready, a second after its load.
class ReadyingCommand : public ShotCommand {
protected:
    ReadyingCommand() {
        WriteText(folder_.File("ready.html"),
                  "<!DOCTYPE html><html><head><style>#box { background: rgb(0,0,255); }\n"
                  "#late { height: 20px; background: rgb(128,128,128); }\n"
                  "#late.ready { background: rgb(0,255,0); }</style></head>"
                  "<body style='margin:0'>"
                  "<div id='banner' style='width:100px;height:50px;background:rgb(255,0,0)'></div>"
                  "<div id='box' style='margin-left:10px;width:80px;height:30px'></div>"
                  "<div id='late'></div><script>\n"
                  "var pageColour = 'rgb(200,0,200)';\n"
                  "addEventListener('load', () => setTimeout(() => {\n"
                  "  window.ready = true; document.getElementById('late').className = 'ready';\n"
                  "}, 1000));\n"
                  "</script></body></html>");
    }
    CommandResult Run(std::vector<std::string> arguments, const std::string& output) {
        arguments.insert(arguments.begin(), {"--width", "100", "--height", "100"});
        arguments.insert(arguments.end(), {folder_.File("ready.html"), folder_.File(output)});
        return RunShot(arguments);
    }
};

TEST_F(ReadyingCommand, EachOptionMakesThePageReadyItsWay) {
    constexpr Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
    struct Case {
        std::vector<std::string> arguments;
        int width, height;
        std::vector<std::tuple<int, int, int, int, Rgb>> filled;  // left, top, width, height
    };
    const std::vector<Case> cases{
        // Hidden, and everything else stays where it was.
        {{"--hide", "#banner"}, 100, 100, {{0, 0, 100, 50, kWhite}, {10, 50, 80, 30, kBlue}}},
        // An added sheet wins over the page's rule of the same weight.
        {{"--style", "#box { background: rgb(0,200,0) }"},
         100,
         100,
         {{10, 50, 80, 30, {0, 200, 0}}}},
        // The script sees the page's globals and may await.
        {{"--script",
          "await new Promise(r => setTimeout(r, 50));\n"
          "document.getElementById('banner').style.background = pageColour;"},
         100,
         100,
         {{0, 0, 100, 50, {200, 0, 200}}}},
        {{"--wait-for", "window.ready"}, 100, 100, {{0, 80, 100, 20, {0, 255, 0}}}},
        {{"--selector", "#box"}, 80, 30, {{0, 0, 80, 30, kBlue}}},
        {{"--selector", "#box", "--scale", "2"}, 160, 60, {{0, 0, 160, 60, kBlue}}},
        // The crop counts from the element's corner and may reach beyond it.
        {{"--selector", "#box", "--crop", "-10,-5,20,10"},
         30,
         15,
         {{10, 0, 20, 5, kRed}, {0, 5, 10, 10, kWhite}, {10, 5, 20, 10, kBlue}}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const std::string output = "case" + std::to_string(i) + ".png";
        const CommandResult result = Run(c.arguments, output);
        ASSERT_EQ(result.status, 0) << result.err;
        ExpectQuiet(result.err);
        const Bitmap24 picture = ReadPngFile(folder_.File(output));
        ASSERT_EQ(picture.Width(), c.width);
        ASSERT_EQ(picture.Height(), c.height);
        for (const auto& [left, top, width, height, colour] : c.filled) {
            EXPECT_TRUE(IsFilled(picture, left, top, width, height, colour));
        }
    }
}

TEST_F(ReadyingCommand, APageThatCannotBeMadeReadyFailsWithTheReason) {
    const std::string page = folder_.File("ready.html");
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"--selector", "#missing"}, 1, page + ": --selector \"#missing\" matches no element"},
        {{"--script", "throw new Error('boom')"}, 1, page + ": The --script failed: Error: boom"},
        {{"--script", "await Promise.reject(new Error('nope'))"}, 1, "failed: Error: nope"},
        {{"--timeout", "2", "--wait-for", "window.never"},
         1,
         page + ": The --wait-for expression \"window.never\" was not true within 2 seconds"},
        {{"--hide", "a["}, 2, "pagrovix-shot: --hide \"a[\" is not a valid CSS selector"},
        {{"--mask", "a["}, 2, "pagrovix-shot: --mask \"a[\" is not a valid CSS selector"},
    };
    for (const auto& [arguments, status, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CommandResult result = Run(arguments, "failed.png");
        EXPECT_EQ(result.status, status);
        EXPECT_TRUE(Contains(result.err, message)) << result.err;
        EXPECT_FALSE(Exists(folder_.File("failed.png")));
        ExpectNothingLeft(result);
    }
}

TEST_F(ShotCommand, ProgressShowsOnATerminalOnlyAndNotWhenQuiet) {
    // Narrow, and in a view half as tall, so that the two views of a page past one band cost
    // little.
    const std::string tall = Page("tall.html", 32800, 64);
    const std::string page = Page("rows.html", 800);
    RunSettings terminal;
    terminal.terminal = true;
    const CommandResult shown =
        RunShot({"--width", "64", "--height", "16400", tall, folder_.File("a.png")}, terminal);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "Loading " + tall)) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "part 1 of 2")) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "part 2 of 2")) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "Writing " + folder_.File("a.png"))) << shown.err;

    const CommandResult quiet = RunShot({"--quiet", page, folder_.File("b.png")}, terminal);
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_FALSE(Contains(quiet.err, "Loading")) << quiet.err;
    EXPECT_FALSE(Contains(quiet.err, "part ")) << quiet.err;

    const CommandResult piped = RunShot({page, folder_.File("c.png")});
    EXPECT_EQ(piped.status, 0) << piped.err;
    ExpectQuiet(piped.err);
    EXPECT_EQ(piped.out, "");
}

TEST_F(ShotCommand, BadUsageEndsWithStatusTwoAndAShortUsage) {
    const std::string page = Page("rows.html", 800);
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {page},
             {page, folder_.File("a.gif")},
             {"--quality", "101", page, folder_.File("a.jpg")},
             {"--level", "x", page, folder_.File("a.png")},
             {"--crop", "10,10,5,20", page, folder_.File("a.png")},
             {"--scale", "5", page, folder_.File("a.png")},
             {"--frobnicate", page, folder_.File("a.png")},
             {page, folder_.File("a.png"), page},
             {"--jobs", "0", page, folder_.File("a.png")},
             {"--shard", "3/2", page, folder_.File("a.png")},
             {"--list", folder_.File("missing.txt")}}) {
        const CommandResult result = RunShot(arguments);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(arguments);
        EXPECT_TRUE(Contains(result.err, "pagrovix-shot: ")) << result.err;
        EXPECT_TRUE(Contains(result.err, "Usage: pagrovix-shot [OPTIONS] ADDRESS OUTPUT"))
            << result.err;
        EXPECT_EQ(result.out, "");
        ExpectNothingLeft(result);
    }
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"rows.html"});

    const CommandResult help = RunShot({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "--crop X0,Y0,X1,Y1"));
    const CommandResult version = RunShot({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "pagrovix-shot " PAGROVIX_VERSION "\n");
}

TEST_F(ShotCommand, UsesTheDisplayThatIsSet) {
    const std::string page = Page("rows.html", 800);
    // Every other test runs without DISPLAY; this one gives the command a display of the test's.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        GTEST_SKIP() << "no display to hand on";
    }
    RunSettings withDisplay;
    withDisplay.keepDisplay = true;
    const CommandResult result = RunShot({page, folder_.File("a.png")}, withDisplay);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("a.png")), 1280, 800));
    ExpectNothingLeft(result);
}

// Many pages in one run: a list, files named after addresses, resumed runs and shards.
class ShotList : public ShotCommand {
protected:
    std::string List(const std::string& name, const std::string& text) {
        WriteText(folder_.File(name), text);
        return folder_.File(name);
    }
    // The web processes of the run at the busiest moment, counted while it runs.
    static std::function<void(int)> CountPageProcesses(int& most) {
        return [&most](int pid) {
            const std::string process = "/proc/" + std::to_string(pid);
            const auto running = [&process] {
                // An ended process stays a zombie until the test waits for it.
                std::ifstream stat(process + "/stat");
                std::string line;
                std::getline(stat, line);
                const auto end = line.rfind(')');
                return end != std::string::npos && end + 2 < line.size() && line[end + 2] != 'Z';
            };
            const std::string children = process + "/task/" + std::to_string(pid) + "/children";
            while (running()) {
                int count = 0;
                std::ifstream list(children);
                for (int child = 0; list >> child;) {
                    std::ifstream name("/proc/" + std::to_string(child) + "/comm");
                    std::string comm;
                    std::getline(name, comm);
                    count += comm.rfind("WebKitWebProces", 0) == 0;
                }
                most = std::max(most, count);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        };
    }
};

TEST_F(ShotList, TenPagesThreeAtATimeWithTwoFailures) {
    TestServer server(folder_.Path());
    std::string text = "# ten pages, two of them fail\n";
    // The first loads at once and is painted view by view, which takes a while: the others are
    // not kept waiting.
    constexpr int kTall = 60000;
    WriteText(folder_.File("p0.html"),
              "<body style='margin:0'><div style='height:" + std::to_string(kTall) +
                  "px; background: linear-gradient(#c00, #00c)'></div>");
    for (int i = 0; i < 10; ++i) {
        const std::string name = "p" + std::to_string(i);
        if (i == 0) {
            text += server.Url("p0.html") + " " + folder_.File("p0.png") + "\n";
        } else if (i == 3) {
            text += server.Url("missing.html") + " " + folder_.File("p3.png") + "\n\n";
        } else if (i == 7) {
            text += "\"" + Page("p 7.html", 800) + "\" " + folder_.File("p7.gif") + "\n";
        } else {
            text += server.Url(name + ".html") + " " + folder_.File(name + ".png") + "\n";
            Page(name + ".html", 800 + 100 * i);
        }
    }
    int pageProcesses = 0;
    RunSettings settings;
    settings.whileRunning = CountPageProcesses(pageProcesses);
    const CommandResult result = RunShot(
        {"--jobs", "3", "--report", folder_.File("report.json"), "--list", List("l.txt", text)},
        settings);
    EXPECT_EQ(result.status, 1) << result.err;
    for (int i = 1; i < 10; ++i) {
        if (i != 3 && i != 7) {
            EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("p" + std::to_string(i) + ".png")), 1280,
                                  800 + 100 * i))
                << i;
        }
    }
    EXPECT_EQ(ReadPngFile(folder_.File("p0.png")).Height(), kTall);
    // The report has a line for each job as it ends.
    std::ifstream report(folder_.File("report.json"));
    int writtenBeforeTheFirst = 0;
    for (std::string line; std::getline(report, line) && !Contains(line, "p0.html");) {
        writtenBeforeTheFirst += Contains(line, "\"status\":\"written\"");
    }
    EXPECT_GE(writtenBeforeTheFirst, 4);
    EXPECT_FALSE(Exists(folder_.File("p3.png")));
    const std::string missing = server.Url("missing.html") +
                                ": Cannot load the page: the server answered with HTTP status 404";
    const std::string badLine =
        folder_.File("l.txt") + " line 10: OUTPUT \"" + folder_.File("p7.gif") + "\" must end in";
    for (const std::string& error : {missing, badLine}) {
        EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + error)) << result.err;
        EXPECT_TRUE(Contains(result.err, "pagrovix-shot: failed: " + error)) << result.err;
    }
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: 8 written, 2 failed, 0 skipped"))
        << result.err;
    // Each of the three views has a web process of its own.
    EXPECT_GE(pageProcesses, 3);
    ExpectNothingLeft(result);
}

TEST_F(ShotList, OutputFolderNamesFilesAfterAddressesAndResumes) {
    TestServer server(folder_.Path());
    Page("a.html", 800);
    Page("b c.html", 900);
    const std::string host = server.Url("").substr(7, server.Url("").size() - 8);
    const std::string hostName =
        host.substr(0, host.find(':')) + "_" + host.substr(host.find(':') + 1);
    const std::string list =
        List("l.txt", server.Url("a.html") + "\n" + server.Url("a.html") + "\n" +
                          server.Url("a.html#x") + "\n" + "\"" + folder_.File("b c.html") + "\"\n");
    const std::vector<std::string> names = {hostName + "_a.html.bmp", hostName + "_a.html-2.bmp",
                                            hostName + "_a.html-3.bmp",
                                            folder_.Path().substr(1) + "_b_c.html.bmp"};
    std::vector<std::string> files;
    for (std::string name : names) {
        std::replace(name.begin(), name.end(), '/', '_');
        files.push_back(folder_.File("out/" + name));
    }
    const std::vector<std::string> arguments = {
        "--list", list, "--output-dir", folder_.File("out"), "--format", "bmp"};
    const CommandResult first = RunShot(arguments);
    EXPECT_EQ(first.status, 0) << first.err;
    ExpectQuiet(first.err);
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_TRUE(IsRowPage(ReadBmpFile(files[i]), 1280, i == 3 ? 900 : 800)) << files[i];
    }

    // An interrupted run: one file is missing, and the others stay as they are.
    std::filesystem::remove(files[1]);
    WriteText(files[2], "kept");
    std::vector<std::string> resume = arguments;
    resume.insert(resume.end(), {"--skip-existing", "--report", folder_.File("report.json")});
    const CommandResult second = RunShot(resume);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_TRUE(Contains(second.err, "pagrovix-shot: 1 written, 0 failed, 3 skipped"))
        << second.err;
    EXPECT_TRUE(IsRowPage(ReadBmpFile(files[1]), 1280, 800));

    // The report: a line for each job, and the written file's digest as sha256sum gives it.
    std::ifstream report(folder_.File("report.json"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(report, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 4u);
    const std::string written = lines.back();
    std::string digest(64, ' ');
    std::FILE* sum = popen(("sha256sum '" + files[1] + "'").c_str(), "r");
    ASSERT_NE(sum, nullptr);
    ASSERT_EQ(std::fread(digest.data(), 1, 64, sum), 64u);
    pclose(sum);
    for (const std::string& field :
         {"\"address\":\"" + server.Url("a.html") + "\"",
          "\"final_address\":\"" + server.Url("a.html") + "\"", std::string("\"http_status\":200"),
          "\"output\":\"" + files[1] + "\"",
          std::string("\"status\":\"written\",\"width\":1280,\"height\":800"),
          "\"file_size\":" + std::to_string(std::filesystem::file_size(files[1])),
          "\"sha256\":\"" + digest + "\"", std::string("\"attempts\":1,\"error\":null")}) {
        EXPECT_TRUE(Contains(written, field)) << field << "\n" << written;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(Contains(lines[i], "\"status\":\"skipped\"")) << lines[i];
    }
    EXPECT_EQ(ReadBytes(files[2]), (Bytes{'k', 'e', 'p', 't'}));
    ExpectNothingLeft(second);
}

TEST_F(ShotList, APageThatNeverAnswersDoesNotSinkThePagesAfterIt) {
    // Its script never ends from the first frame after the page has loaded, which comes before
    // any picture.
    WriteText(folder_.File("busy.html"),
              "<body style='height:3000px'><script>addEventListener('load', () => "
              "requestAnimationFrame(() => { for (;;) {} }));</script></body>");
    const std::string first = Page("first.html", 800);
    const std::string second = Page("second.html", 900);
    // Each page waits 3 s for its turn: the others keep coming, in the other view, while the busy
    // one is waited for (some 13 s), and none of them waits for it.
    const std::string list =
        List("l.txt", folder_.File("busy.html") + " " + folder_.File("busy.png") + "\n" + first +
                          " " + folder_.File("first.png") + "\n" + second + " " +
                          folder_.File("second.png") + "\n" + first + " " +
                          folder_.File("third.png") + "\n");
    const CommandResult result = RunShot({"--timeout", "3", "--jobs", "2", "--delay", "3000",
                                          "--settle", "300", "--report", "-", "--list", list});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: " + folder_.File("busy.html") +
                                         ": The page did not answer within 10 seconds."))
        << result.err;
    ASSERT_TRUE(Exists(folder_.File("first.png"))) << result.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("first.png")), 1280, 800)) << result.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("second.png")), 1280, 900)) << result.err;
    EXPECT_LT(result.out.find("third.png"), result.out.find("busy.png")) << result.out;
    EXPECT_TRUE(Contains(result.err, "pagrovix-shot: 3 written, 1 failed, 0 skipped"))
        << result.err;
    ExpectNothingLeft(result);

    // A page that hangs as it is left, after its own picture, holds its view; the page after it
    // starts again in a fresh view instead of failing for it.
    WriteText(folder_.File("sticky.html"),
              "<body style='height:600px'><script>addEventListener('pagehide', () => "
              "{ for (;;) {} });</script></body>");
    const std::string after =
        List("a.txt", folder_.File("sticky.html") + " " + folder_.File("sticky.png") + "\n" +
                          first + " " + folder_.File("after.png") + "\n");
    const CommandResult left = RunShot({"--timeout", "3", "--jobs", "1", "--list", after});
    EXPECT_EQ(left.status, 0) << left.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("after.png")), 1280, 800)) << left.err;
    ExpectNothingLeft(left);

    // A page whose --wait-for never holds waits beside the others, not in front of them: both
    // good pages end, in the other view, before it fails.
    WriteText(folder_.File("never.html"), "<body style='height:700px'></body>");
    WriteText(folder_.File("good.html"), "<body style='height:700px'><script>ok = 1</script>");
    const std::string waiting =
        List("w.txt", folder_.File("never.html") + " " + folder_.File("never.png") + "\n" +
                          folder_.File("good.html") + " " + folder_.File("good1.png") + "\n" +
                          folder_.File("good.html") + " " + folder_.File("good2.png") + "\n");
    const CommandResult readying = RunShot({"--timeout", "10", "--jobs", "2", "--wait-for",
                                            "window.ok === 1", "--report", "-", "--list", waiting});
    EXPECT_EQ(readying.status, 1);
    const std::size_t good2 = readying.out.find("good2.png");
    EXPECT_NE(readying.out.find("good1.png"), std::string::npos) << readying.out;
    EXPECT_LT(good2, readying.out.find("never.png")) << readying.out;
    EXPECT_TRUE(Contains(readying.err, "was not true within 10 seconds")) << readying.err;
}

TEST_F(ShotList, RetriesTryAgainOnlyWhatMayPass) {
    TestServer server(folder_.Path());
    Page("a.html", 800);
    const std::string flaky = server.Url("once/a.html");
    const std::string missing = server.Url("missing.html");
    const CommandResult result = RunShot({"--retries", "2", "--report", "-", flaky,
                                          folder_.File("a.png"), missing, folder_.File("m.png")});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("a.png")), 1280, 800)) << result.err;
    EXPECT_TRUE(Contains(result.err, flaky +
                                         ": Cannot load the page: the server answered with HTTP "
                                         "status 503 (trying again, 2 of 3)"))
        << result.err;
    // A missing page stays missing: one try, and its report says so.
    EXPECT_FALSE(Contains(result.err, missing + ": Cannot load the page: the server answered "
                                                "with HTTP status 404 (trying again"))
        << result.err;
    EXPECT_TRUE(Contains(result.out, "\"attempts\":2,\"error\":null")) << result.out;
    EXPECT_TRUE(Contains(result.out, "\"attempts\":1,\"error\":\"Cannot load")) << result.out;
}

// A memory control group under the test's own, which the test joins while it lives so that the
// commands it starts run inside it; Made() is false where the machine does not allow one.
class MemoryLimitedGroup {
public:
    explicit MemoryLimitedGroup(std::uint64_t limit) {
        std::ifstream groups("/proc/self/cgroup");
        for (std::string line; std::getline(groups, line);) {
            const std::size_t colon = line.find(':');
            const std::size_t second = line.find(':', colon + 1);
            const std::string controllers = line.substr(colon + 1, second - colon - 1);
            const std::string path = line.substr(second + 1);
            const bool version1 = (',' + controllers + ',').find(",memory,") != std::string::npos;
            if (version1 || (line.rfind("0::", 0) == 0 && home_.empty())) {
                home_ = (version1 ? "/sys/fs/cgroup/memory" : "/sys/fs/cgroup") +
                        (path == "/" ? std::string() : path);
                limitFile_ = version1 ? "memory.limit_in_bytes" : "memory.max";
            }
        }
        own_ = home_ + "/pagrovix-test-" + std::to_string(getpid());
        std::error_code error;
        if (home_.empty() || !std::filesystem::create_directory(own_, error)) {
            return;
        }
        made_ = Put(own_ + "/" + limitFile_, std::to_string(limit)) &&
                Put(own_ + "/cgroup.procs", std::to_string(getpid()));
    }
    ~MemoryLimitedGroup() {
        if (made_) {
            Put(home_ + "/cgroup.procs", std::to_string(getpid()));
        }
        std::error_code error;
        std::filesystem::remove(own_, error);
    }
    bool Made() const { return made_; }

private:
    static bool Put(const std::string& file, const std::string& text) {
        std::ofstream out(file);
        out << text;
        out.flush();
        return bool(out);
    }
    std::string home_;
    std::string limitFile_;
    std::string own_;
    bool made_ = false;
};

TEST_F(ShotList, APageTooLargeForTheContainersMemoryFailsAloneWithTheReason) {
    // The picture alone, 1280 x 200000 x 3 bytes, is more than the group's limit, while the
    // machine has plenty: read the machine's figure and the page's capture is killed.
    WriteText(folder_.File("tall.html"),
              "<body style='margin:0;height:200000px;background:linear-gradient(red,blue)'>");
    const std::string small = Page("small.html", 800);
    {
        MemoryLimitedGroup group(700ull << 20);
        if (!group.Made()) {
            GTEST_SKIP() << "this machine does not let the test make a memory control group";
        }
        const CommandResult result = RunShot(
            {folder_.File("tall.html"), folder_.File("tall.png"), small, folder_.File("s.png")});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_TRUE(Contains(result.err,
                             "The page is too large to capture: 1280 x 200000 pixels need 737 MB"))
            << result.err;
        EXPECT_FALSE(Exists(folder_.File("tall.png")));
        EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("s.png")), 1280, 800)) << result.err;
    }
    // Two pages painted view by view fit one after the other, not both at once: the second,
    // captured between the first one's views, waits for it instead of failing.
    WriteText(folder_.File("half.html"),
              "<body style='margin:0;height:100000px;background:linear-gradient(red,blue)'>");
    MemoryLimitedGroup group(800ull << 20);
    ASSERT_TRUE(group.Made());
    const CommandResult pair =
        RunShot({"--jobs", "2", folder_.File("half.html"), folder_.File("h1.png"),
                 folder_.File("half.html"), folder_.File("h2.png")});
    EXPECT_EQ(pair.status, 0) << pair.err;
}

TEST_F(ShotList, TheSelectorsBoxIsMeasuredInTheLayoutThatIsPainted) {
    // A lazy image above the element takes its height only once readying has loaded it.
    WriteText(folder_.File("red.svg"),
              "<svg xmlns='http://www.w3.org/2000/svg' width='400' height='400'>"
              "<rect width='400' height='400' fill='red'/></svg>");
    WriteText(folder_.File("lazy.html"),
              "<body style='margin:0'><div style='height:3000px'></div>"
              "<img loading='lazy' src='red.svg' style='display:block'>"
              "<div id='target' style='width:200px;height:100px;background:blue'></div>"
              "<div style='height:3000px'></div></body>");
    const CommandResult result =
        RunShot({"--selector", "#target", folder_.File("lazy.html"), folder_.File("t.png")});
    ASSERT_EQ(result.status, 0) << result.err;
    const Bitmap24 picture = ReadPngFile(folder_.File("t.png"));
    ASSERT_EQ(picture.Width(), 200);
    ASSERT_EQ(picture.Height(), 100);
    EXPECT_TRUE(IsFilled(picture, 0, 0, 200, 100, {0, 0, 255}));
}

TEST_F(ShotList, NoTwoJobsShareAFileAndPlantedLinksAreNeverFollowed) {
    const std::string a = Page("a.html", 800);
    const std::string b = Page("b.html", 900);
    const CommandResult twice = RunShot({a, folder_.File("x.png"), b, folder_.File("./x.png")});
    EXPECT_EQ(twice.status, 2);
    EXPECT_TRUE(Contains(twice.err, "is the OUTPUT of the command line (" + a +
                                        ") and of the command line (" + b + ")"))
        << twice.err;
    EXPECT_FALSE(Exists(folder_.File("x.png")));

    // Where --output-dir will put a.html's and b.html's pictures, someone planted links: one to a
    // file outside the folder, one to nowhere.
    const std::string out = folder_.File("out");
    std::filesystem::create_directory(out);
    std::string prefix = folder_.Path().substr(1) + "_";
    std::replace(prefix.begin(), prefix.end(), '/', '_');
    WriteText(folder_.File("victim.conf"), "victim");
    std::filesystem::create_symlink(folder_.File("victim.conf"), out + "/" + prefix + "a.html.png");
    std::filesystem::create_symlink(folder_.File("nowhere.png"), out + "/" + prefix + "b.html.png");
    for (const bool skipExisting : {false, true}) {
        SCOPED_TRACE(skipExisting);
        std::vector<std::string> arguments = {"--output-dir", out, a, b};
        if (skipExisting) {
            arguments.push_back("--skip-existing");
        }
        const CommandResult result = RunShot(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(Contains(result.err, prefix + "b.html.png\" is a symbolic link"))
            << result.err;
        EXPECT_EQ(ReadBytes(folder_.File("victim.conf")),
                  (Bytes{'v', 'i', 'c', 't', 'i', 'm'}));
        EXPECT_FALSE(Exists(folder_.File("nowhere.png")));
        ExpectNothingLeft(result);
    }
}

TEST_F(ShotList, TwoShardsAtOnceWriteEveryFileOnce) {
    std::string text;
    for (int i = 0; i < 6; ++i) {
        text += Page("s" + std::to_string(i) + ".html", 800 + 50 * i) + "\n";
    }
    // The same page twice: both shards must agree on which copy is "-2".
    text += folder_.File("s0.html") + "\n";
    const std::string list = List("l.txt", text);
    CommandResult results[2];
    RunSettings terminal;
    terminal.terminal = true;
    std::thread shards[2];
    for (int k = 0; k < 2; ++k) {
        shards[k] = std::thread([&, k] {
            results[k] = RunShot({"--list", list, "--output-dir", folder_.File("out"), "--shard",
                                  std::to_string(k + 1) + "/2"},
                                 terminal);
        });
    }
    for (std::thread& shard : shards) {
        shard.join();
    }
    // Seven files from four and three writes: none was written twice.
    EXPECT_EQ(results[0].status, 0) << results[0].err;
    EXPECT_EQ(results[1].status, 0) << results[1].err;
    EXPECT_TRUE(Contains(results[0].err, "4 written, 0 failed, 0 skipped")) << results[0].err;
    EXPECT_TRUE(Contains(results[1].err, "3 written, 0 failed, 0 skipped")) << results[1].err;
    const std::string prefix = folder_.Path().substr(1);
    std::vector<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        expected.push_back(prefix + "_s" + std::to_string(i) + ".html.png");
    }
    expected.push_back(prefix + "_s0.html-2.png");
    for (std::string& name : expected) {
        std::replace(name.begin(), name.end(), '/', '_');
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.File("out"))) {
        written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected);
    for (const std::string& name : written) {
        const int page = name[name.find("_s") + 2] - '0';
        EXPECT_TRUE(IsRowPage(ReadPngFile(folder_.File("out/" + name)), 1280, 800 + 50 * page))
            << name;
    }
}

}  // namespace
}  // namespace pagrovix::test
