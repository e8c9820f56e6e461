#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imaging/Error.h"
#include "imaging/ImageFormat.h"
#include "shot/CookieFile.h"
#include "shot/CropRect.h"
#include "shot/MaskRules.h"
#include "shot/SplitParts.h"

namespace pagrovix {

// A command line that cannot be run as given; the command prints the text and the usage and
// ends with status 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// One page to capture and the file it goes to.
struct ShotJob {
    std::string address;
    std::string output;
    ImageFormat format = ImageFormat::Png;
    // Not empty for a job that cannot run (a bad line of a list): why, for its error message.
    std::string problem;
    // Where the job was given, for messages: "the command line" or "LIST line N".
    std::string origin = "the command line";
    // The output is a name the program made in --output-dir: it is never written through a
    // symbolic link, which someone else may have planted there.
    bool namedByProgram = false;
};

// --shard K/N: the K-th of N shares of the jobs, K from 1.
struct Shard {
    int index = 1;
    int count = 1;
};

// What makes each page ready before its capture; empty texts and lists do nothing.
struct PageReadiness {
    std::vector<std::string> hide;     // CSS selectors of elements to hide
    std::vector<std::string> styles;   // style sheets to add
    std::vector<std::string> scripts;  // scripts to run, in this order, after the load
    std::string waitFor;               // a script expression to wait for
    std::string selector;              // the element to capture instead of the whole page
    std::vector<std::string> masks;    // CSS selectors of elements painted over in the picture
};

// --header: one more line of every request to the jobs' own origins.
struct RequestHeader {
    std::string name;
    std::string value;
};

// --auth: the answer to HTTP sign-in challenges of the jobs' own origins.
struct Credentials {
    std::string user;
    std::string password;
};

struct ShotOptions {
    int viewWidth = 1280;
    int viewHeight = 800;
    int timeoutSeconds = 30;
    int delayMilliseconds = 0;
    // The longest wait for each page to come to rest before its capture.
    int settleMilliseconds = 2000;
    int jpegQuality = 80;
    // A WebP file is lossless unless a quality was asked for.
    bool qualityGiven = false;
    // zlib's own default: level 9 costs several times the time for files a few per cent smaller.
    int pngLevel = 6;
    std::optional<CropRect> crop;
    std::optional<SplitRows> split;
    // Device pixels per CSS pixel: the page lays out at viewWidth CSS pixels, and the picture is
    // this many times as wide and tall.
    int scale = 1;
    PageReadiness readiness;
    bool quiet = false;
    std::vector<ShotJob> jobs;
    // --list: a file of jobs, "-" for standard input; read by the caller.
    std::optional<std::string> listFile;
    // --output-dir: jobs given without an OUTPUT get a file here named after the address.
    std::optional<std::string> outputDir;
    ImageFormat namedFormat = ImageFormat::Png;
    bool skipExisting = false;
    // --cookies: every job starts with the cookies of this file; --save-cookies: the jar as it
    // stands after the run is written there.
    std::optional<std::string> cookieFile;
    std::optional<std::string> saveCookieFile;
    // The cookies of --cookies, read by the caller.
    std::vector<CookieEntry> cookies;
    // --user-agent: what the engine tells servers and scripts it is; empty for its own.
    std::string userAgent;
    // --color-scheme: what prefers-color-scheme reports; empty for the desktop's own.
    std::string colorScheme;
    std::vector<RequestHeader> headers;
    std::optional<Credentials> auth;
    // --proxy: the address of the proxy every request goes through; empty for none.
    std::string proxy;
    // For test servers with certificates of their own: pages load whatever their certificate.
    bool ignoreCertificateErrors = false;
    // --mask-color: what --mask paints with.
    std::optional<MaskColour> maskColour;
    // --report: one JSON line for each job as it ends, "-" for standard output.
    std::optional<std::string> reportFile;
    int parallelJobs = 1;
    // --retries: further tries for a job that failed for a reason that may pass.
    int retries = 0;
    std::optional<Shard> shard;
};

enum class ShotCommand { Run, Help, Version };

struct ShotArguments {
    ShotCommand command = ShotCommand::Run;
    ShotOptions options;
};

// Reads the arguments after the program name. Throws UsageError naming what is wrong; --help and
// --version win over everything else on the line, mistakes included.
ShotArguments ParseShotArguments(const std::vector<std::string>& arguments);

// The short usage shown after a usage error, and the full text of --help.
std::string ShotUsageText();
std::string ShotHelpText();

}  // namespace pagrovix
