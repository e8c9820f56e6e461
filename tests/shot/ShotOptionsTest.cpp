#include "shot/ShotOptions.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

ShotOptions Parse(std::vector<std::string> arguments) {
    const ShotArguments parsed = ParseShotArguments(arguments);
    EXPECT_EQ(parsed.command, ShotCommand::Run);
    return parsed.options;
}

void ExpectUsageError(std::vector<std::string> arguments, const std::string& part) {
    try {
        ParseShotArguments(arguments);
        ADD_FAILURE() << "accepted: " << testing::PrintToString(arguments);
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find(part), std::string::npos)
            << "message: " << error.what();
    }
}

TEST(ShotArguments, DefaultsApplyWhenOnlyAPairIsGiven) {
    const ShotOptions options = Parse({"example.org", "page.png"});
    EXPECT_EQ(options.viewWidth, 1280);
    EXPECT_EQ(options.viewHeight, 800);
    EXPECT_EQ(options.timeoutSeconds, 30);
    EXPECT_EQ(options.delayMilliseconds, 0);
    EXPECT_EQ(options.jpegQuality, 80);
    EXPECT_EQ(options.pngLevel, 6);
    EXPECT_FALSE(options.crop);
    EXPECT_FALSE(options.quiet);
    ASSERT_EQ(options.jobs.size(), 1u);
    EXPECT_EQ(options.jobs[0].address, "example.org");
    EXPECT_EQ(options.jobs[0].output, "page.png");
    EXPECT_EQ(options.jobs[0].format, ImageFormat::Png);
}

TEST(ShotArguments, OptionsTakeTheirValueAfterASpaceOrAnEqualsSign) {
    const ShotOptions options =
        Parse({"--width", "800", "--height=600", "a.html", "a.png", "--timeout", "5", "--delay=250",
               "--quality", "0", "--level=9", "--quiet"});
    EXPECT_EQ(options.viewWidth, 800);
    EXPECT_EQ(options.viewHeight, 600);
    EXPECT_EQ(options.timeoutSeconds, 5);
    EXPECT_EQ(options.delayMilliseconds, 250);
    EXPECT_EQ(options.jpegQuality, 0);
    EXPECT_EQ(options.pngLevel, 9);
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.jobs.size(), 1u);
}

TEST(ShotArguments, ValuesAtTheEdgesOfTheirRangesAreAccepted) {
    EXPECT_EQ(Parse({"--quality", "100", "a", "a.jpg"}).jpegQuality, 100);
    EXPECT_EQ(Parse({"--level", "0", "a", "a.png"}).pngLevel, 0);
    EXPECT_EQ(Parse({"--width", "1", "a", "a.png"}).viewWidth, 1);
    EXPECT_EQ(Parse({"--width", "32767", "a", "a.png"}).viewWidth, 32767);
    EXPECT_EQ(Parse({"--delay", "0", "a", "a.png"}).delayMilliseconds, 0);
}

TEST(ShotArguments, ValuesOutOfRangeOrNotWholeNumbersAreUsageErrors) {
    ExpectUsageError({"--quality", "101", "a", "a.jpg"}, "--quality");
    ExpectUsageError({"--quality", "-1", "a", "a.jpg"}, "--quality");
    ExpectUsageError({"--level", "10", "a", "a.png"}, "--level");
    ExpectUsageError({"--width", "0", "a", "a.png"}, "--width");
    ExpectUsageError({"--height", "32768", "a", "a.png"}, "--height");
    ExpectUsageError({"--timeout", "0", "a", "a.png"}, "--timeout");
    ExpectUsageError({"--delay", "-5", "a", "a.png"}, "--delay");
    for (const char* bad : {"", "12px", "+5", " 5", "5 ", "1.5", "0x10", "99999999999999999999"}) {
        ExpectUsageError({"--width", bad, "a", "a.png"}, "--width");
    }
}

TEST(ShotArguments, AnOptionWithoutItsValueIsAUsageError) {
    ExpectUsageError({"a", "a.png", "--width"}, "--width needs a value");
    ExpectUsageError({"--quiet=yes", "a", "a.png"}, "--quiet");
}

TEST(ShotArguments, UnknownOptionsAreUsageErrors) {
    ExpectUsageError({"--widht", "5", "a", "a.png"}, "unknown option \"--widht\"");
    ExpectUsageError({"-q", "a", "a.png"}, "unknown option");
}

TEST(ShotArguments, CropTakesFourNumbersThatMayLieOutsideThePicture) {
    const auto crop = Parse({"--crop", "-10,-20,30,40", "a", "a.png"}).crop;
    ASSERT_TRUE(crop);
    EXPECT_EQ(crop->x0, -10);
    EXPECT_EQ(crop->y0, -20);
    EXPECT_EQ(crop->x1, 30);
    EXPECT_EQ(crop->y1, 40);
    EXPECT_EQ(crop->Width(), 40);
    EXPECT_EQ(crop->Height(), 60);
}

TEST(ShotArguments, CropNeedsItsSecondCornerBelowAndRightOfTheFirst) {
    ExpectUsageError({"--crop", "10,0,10,5", "a", "a.png"}, "X0 < X1");
    ExpectUsageError({"--crop", "0,10,5,9", "a", "a.png"}, "X0 < X1");
    for (const char* bad :
         {"1,2,3", "1,2,3,4,5", "1,,3,4", "a,b,c,d", "1;2;3;4", "1, 2,3,4", "0,0,2147483648,1"}) {
        ExpectUsageError({"--crop", bad, "a", "a.png"}, "--crop");
    }
    // Each corner fits, but the rectangle would be wider than any picture can be.
    ExpectUsageError({"--crop", "-2147483648,0,2147483647,1", "a", "a.png"}, "too large");
}

TEST(ShotArguments, ScaleAndTheOptionsThatMakeThePageReady) {
    const ShotOptions options =
        Parse({"--scale", "2", "--hide", "#cookies", "--hide=.chat, aside", "--style", "p{}",
               "--script", "a()", "--script=await b()", "--wait-for", "ready", "--selector",
               "main > article", "a", "a.png"});
    EXPECT_EQ(options.scale, 2);
    EXPECT_EQ(options.readiness.hide, (std::vector<std::string>{"#cookies", ".chat, aside"}));
    EXPECT_EQ(options.readiness.styles, std::vector<std::string>{"p{}"});
    EXPECT_EQ(options.readiness.scripts, (std::vector<std::string>{"a()", "await b()"}));
    EXPECT_EQ(options.readiness.waitFor, "ready");
    EXPECT_EQ(options.readiness.selector, "main > article");
    EXPECT_EQ(Parse({"--scale", "4", "--width", "8191", "--height", "8191", "a", "a.png"}).scale,
              4);

    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong{
        {{"--scale", "0"}, "--scale wants a whole number from 1 to 4"},
        {{"--scale", "5"}, "--scale"},
        {{"--scale", "1.5"}, "--scale"},
        {{"--scale", "2", "--width", "16384"}, "--width 16384 at --scale 2 would paint 32768"},
        {{"--height", "10000", "--scale", "4"}, "--height 10000 at --scale 4"},
        {{"--hide", ""}, "--hide needs a text that is not empty"},
        {{"--style", " \n"}, "--style needs"},
        {{"--script="}, "--script needs"},
        {{"--wait-for", "\t"}, "--wait-for needs"},
        {{"--selector", ""}, "--selector needs"},
        {{"--selector", "a", "--selector", "b"}, "--selector is given twice"},
        {{"--wait-for", "a", "--wait-for=b"}, "--wait-for is given twice"},
    };
    for (const auto& [arguments, message] : wrong) {
        std::vector<std::string> line = arguments;
        line.insert(line.end(), {"a", "a.png"});
        ExpectUsageError(line, message);
    }
}

TEST(ShotArguments, PairsKeepTheirOrderAndEachOutputNamesItsFormat) {
    const ShotOptions options = Parse({"one.html", "one.PNG", "https://example.org/", "two.Jpeg",
                                       "three", "three.JPG", "four", "dir.x/four.bMp"});
    ASSERT_EQ(options.jobs.size(), 4u);
    EXPECT_EQ(options.jobs[0].format, ImageFormat::Png);
    EXPECT_EQ(options.jobs[1].address, "https://example.org/");
    EXPECT_EQ(options.jobs[1].format, ImageFormat::Jpeg);
    EXPECT_EQ(options.jobs[2].format, ImageFormat::Jpeg);
    EXPECT_EQ(options.jobs[3].output, "dir.x/four.bMp");
    EXPECT_EQ(options.jobs[3].format, ImageFormat::Bmp);
}

TEST(ShotArguments, OtherOutputExtensionsAreUsageErrors) {
    ExpectUsageError({"a", "a.gif"}, "\"a.gif\" must end in .png, .jpg, .jpeg, .bmp or .webp");
    ExpectUsageError({"a", "a"}, "must end in");
    ExpectUsageError({"a", "pictures.png/a"}, "must end in");
    ExpectUsageError({"a", "a.png", "b", "b.png.txt"}, "b.png.txt");
}

TEST(ShotArguments, AddressesLoseTheBlanksAroundThemAndMustNotBeEmpty) {
    EXPECT_EQ(Parse({"  example.org\t", "a.png"}).jobs[0].address, "example.org");
    ExpectUsageError({" \t ", "a.png"}, "empty");
}

TEST(ShotArguments, PairsMustBeComplete) {
    ExpectUsageError({}, "no ADDRESS and OUTPUT");
    ExpectUsageError({"--quiet"}, "no ADDRESS and OUTPUT");
    ExpectUsageError({"a", "a.png", "b"}, "no OUTPUT given for \"b\"");
}

TEST(ShotArguments, DoubleDashEndsTheOptions) {
    const ShotOptions options = Parse({"--", "--width", "-x.png"});
    ASSERT_EQ(options.jobs.size(), 1u);
    EXPECT_EQ(options.jobs[0].address, "--width");
    EXPECT_EQ(options.jobs[0].output, "-x.png");
    EXPECT_EQ(options.viewWidth, 1280);
}

TEST(ShotArguments, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(ParseShotArguments({"--help"}).command, ShotCommand::Help);
    EXPECT_EQ(ParseShotArguments({"--bogus", "-h"}).command, ShotCommand::Help);
    EXPECT_EQ(ParseShotArguments({"a", "--version"}).command, ShotCommand::Version);
    // After "--" they are addresses like any other text.
    EXPECT_EQ(ParseShotArguments({"--", "--help", "a.png"}).command, ShotCommand::Run);
    // As the value of an option they are that value.
    const ShotArguments script = ParseShotArguments({"--script", "--help", "a", "a.png"});
    EXPECT_EQ(script.command, ShotCommand::Run);
    EXPECT_EQ(script.options.readiness.scripts, std::vector<std::string>{"--help"});
    EXPECT_EQ(ParseShotArguments({"--hide=x", "--version"}).command, ShotCommand::Version);
}

TEST(ShotArguments, HelpNamesEveryOptionAndTheDefaults) {
    const std::string help = ShotHelpText();
    for (const char* text : {"--width N",
                             "(1280)",
                             "--height N",
                             "(800)",
                             "--timeout S",
                             "(30)",
                             "--delay MS",
                             "--settle MS",
                             "(2000)",
                             "--quality Q",
                             "(80)",
                             "--level L",
                             "(6)",
                             "--crop X0,Y0,X1,Y1",
                             "--scale S",
                             "--hide SELECTOR",
                             "--style CSS",
                             "--script JS",
                             "--wait-for EXPR",
                             "--selector SELECTOR",
                             "--quiet",
                             "--help",
                             "--version"}) {
        EXPECT_NE(help.find(text), std::string::npos) << text;
    }
}

TEST(ShotArguments, ManyPageOptionsAndWhatTheyRefuse) {
    const ShotOptions options =
        Parse({"--list=-", "--output-dir", "out", "--format", "JPEG", "--skip-existing", "--jobs",
               "4", "--shard", "2/3", "a.html", "b.html"});
    EXPECT_EQ(options.listFile, "-");
    EXPECT_EQ(options.outputDir, "out");
    EXPECT_EQ(options.namedFormat, ImageFormat::Jpeg);
    EXPECT_TRUE(options.skipExisting);
    EXPECT_EQ(options.parallelJobs, 4);
    ASSERT_TRUE(options.shard);
    EXPECT_EQ(options.shard->index, 2);
    EXPECT_EQ(options.shard->count, 3);
    // With --output-dir every word is an address; the folder names the files later.
    ASSERT_EQ(options.jobs.size(), 2u);
    EXPECT_EQ(options.jobs[1].address, "b.html");
    EXPECT_EQ(options.jobs[1].output, "");
    // A list alone is enough.
    EXPECT_TRUE(Parse({"--list", "pages.txt"}).jobs.empty());

    for (const char* text : {"--list FILE", "--output-dir DIR", "--format F", "--skip-existing",
                             "--jobs N", "--shard K/N"}) {
        EXPECT_NE(ShotHelpText().find(text), std::string::npos) << text;
    }
    ExpectUsageError({"--output-dir", "out"}, "no ADDRESS given");
    ExpectUsageError({"--list", "", "a", "a.png"}, "--list");
    ExpectUsageError({"--format", "gif", "--list", "l"}, "--format wants png, jpg, jpeg, bmp or webp");
    ExpectUsageError({"--skip-existing=1", "--list", "l"}, "--skip-existing takes no value");
    // A second list or folder would silently replace the first.
    ExpectUsageError({"--list", "a", "--list", "b"}, "--list is given twice");
    ExpectUsageError({"--output-dir", "a", "--output-dir=b", "x"}, "--output-dir is given twice");
    for (const char* bad : {"0", "65", "x"}) {
        ExpectUsageError({"--jobs", bad, "--list", "l"}, "--jobs");
    }
    for (const char* bad : {"0/2", "3/2", "1", "1/0", "/2", "1/2/3", "-1/2", "a/b", "1/1000001"}) {
        ExpectUsageError({"--shard", bad, "--list", "l"}, "--shard wants K/N");
    }
}

}  // namespace
}  // namespace pagrovix

namespace pagrovix {
namespace {

TEST(ShotArguments, HeadersCredentialsAndProxyAreCheckedAsTheyAreRead) {
    setenv("PAGROVIX_AUTH", "env-user:env:pass", 1);
    const ShotOptions options =
        Parse({"--header", "Authorization:  Bearer abc\t", "--header=X-Empty:", "--auth", "-",
               "--proxy", "SOCKS5://127.0.0.1:1080", "--ignore-certificate-errors", "a", "a.png"});
    ASSERT_EQ(options.headers.size(), 2u);
    EXPECT_EQ(options.headers[0].name, "Authorization");
    EXPECT_EQ(options.headers[0].value, "Bearer abc");
    EXPECT_EQ(options.headers[1].name, "X-Empty");
    EXPECT_EQ(options.headers[1].value, "");
    // The first colon ends the user name; the password may hold more.
    ASSERT_TRUE(options.auth);
    EXPECT_EQ(options.auth->user, "env-user");
    EXPECT_EQ(options.auth->password, "env:pass");
    EXPECT_EQ(options.proxy, "SOCKS5://127.0.0.1:1080");
    EXPECT_TRUE(options.ignoreCertificateErrors);
    EXPECT_EQ(Parse({"--auth", "u:", "a", "a.png"}).auth->password, "");

    // A header value is often a secret: no message shows it.
    const std::vector<std::pair<std::string, std::string>> badHeaders{
        {"Bearer secret-token", "has no colon"},
        {"X Token: secret-token", "\"X Token\" is not a header name"},
        {": secret-token", "\"\" is not a header name"},
        {"X-Token: secret\r\nHost: evil", "line break"},
        {"X-Token: secret\nX: y", "line break"},
    };
    for (const auto& [header, part] : badHeaders) {
        ExpectUsageError({"--header", header, "a", "a.png"}, part);
        try {
            ParseShotArguments({"--header", header, "a", "a.png"});
        } catch (const UsageError& error) {
            EXPECT_EQ(std::string(error.what()).find("secret"), std::string::npos) << error.what();
        }
    }
    ExpectUsageError({"--auth", "user", "a", "a.png"}, "--auth wants USER:PASSWORD");
    ExpectUsageError({"--auth", ":password", "a", "a.png"}, "a user name before the first colon");
    ExpectUsageError({"--auth", "a:b", "--auth", "c:d", "a", "a.png"}, "--auth is given twice");
    unsetenv("PAGROVIX_AUTH");
    ExpectUsageError({"--auth", "-", "a", "a.png"}, "PAGROVIX_AUTH, which is not set");
    for (const char* bad : {"ftp://proxy:21", "127.0.0.1:3128", "http://", "socks6://h", ""}) {
        ExpectUsageError({"--proxy", bad, "a", "a.png"}, "--proxy wants http://, https://");
    }
    ExpectUsageError({"--proxy", "http://a", "--proxy", "http://b", "a", "a.png"},
                     "--proxy is given twice");
}

TEST(ShotArguments, MasksAndTheirColour) {
    const ShotOptions options =
        Parse({"--mask", "#card", "--mask=.ad, .promo", "--mask-color", "#F80", "a", "a.png"});
    EXPECT_EQ(options.readiness.masks, (std::vector<std::string>{"#card", ".ad, .promo"}));
    EXPECT_EQ(options.maskColour, (MaskColour{255, 136, 0}));
    EXPECT_FALSE(Parse({"--mask", "p", "a", "a.png"}).maskColour);
    ExpectUsageError({"--mask", " ", "a", "a.png"}, "--mask needs a text");
    ExpectUsageError({"--mask-color", "blue", "a", "a.png"},
                     "--mask-color wants #rgb, #rrggbb, black, white, gray or red, not \"blue\"");
    ExpectUsageError({"--mask-color", "red", "--mask-color", "red", "a", "a.png"},
                     "--mask-color is given twice");
    for (const char* text : {"--header 'NAME: VALUE'", "--auth USER:PASSWORD", "--proxy URL",
                             "--ignore-certificate-errors", "--mask SELECTOR", "--mask-color COLOR",
                             "PAGROVIX_AUTH"}) {
        EXPECT_NE(ShotHelpText().find(text), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace pagrovix
