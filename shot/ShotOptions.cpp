#include "shot/ShotOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string_view>
#include <utility>

#include "capture/CapturePlan.h"
#include "shot/NetworkRules.h"
#include "ui/AddressRules.h"

namespace pagrovix {
namespace {

// A whole decimal number, optionally negative, with nothing around it.
std::optional<long long> ParseInteger(std::string_view text) {
    long long value = 0;
    if (text.empty() || text.front() == '+') {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int ParseBounded(const std::string& option, const std::string& text, long long low,
                 long long high) {
    const auto value = ParseInteger(text);
    if (!value || *value < low || *value > high) {
        throw UsageError(option + " wants a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not \"" + text + "\"");
    }
    return int(*value);
}

CropRect ParseCrop(const std::string& text) {
    const std::string wanted = "--crop wants X0,Y0,X1,Y1 (whole numbers, X0 < X1 and Y0 < Y1)";
    int values[4] = {};
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const auto comma = rest.find(',');
        const std::string_view part = i < 3 ? rest.substr(0, comma) : rest;
        if (i < 3 && comma == std::string_view::npos) {
            throw UsageError(wanted + ", not \"" + text + "\"");
        }
        const auto value = ParseInteger(part);
        if (!value || *value < std::numeric_limits<int>::min() ||
            *value > std::numeric_limits<int>::max()) {
            throw UsageError(wanted + ", not \"" + text + "\"");
        }
        values[i] = int(*value);
        if (i < 3) {
            rest.remove_prefix(comma + 1);
        }
    }
    const CropRect rect{values[0], values[1], values[2], values[3]};
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        throw UsageError(wanted + ", not \"" + text + "\"");
    }
    if (rect.Width() > std::numeric_limits<int>::max() ||
        rect.Height() > std::numeric_limits<int>::max()) {
        throw UsageError("--crop \"" + text + "\" is too large");
    }
    return rect;
}

Shard ParseShard(const std::string& text) {
    const std::string wanted = "--shard wants K/N, whole numbers with 1 <= K <= N <= 1000000";
    const auto slash = text.find('/');
    if (slash == std::string::npos) {
        throw UsageError(wanted + ", not \"" + text + "\"");
    }
    const auto index = ParseInteger(std::string_view(text).substr(0, slash));
    const auto count = ParseInteger(std::string_view(text).substr(slash + 1));
    if (!index || !count || *count < 1 || *count > 1000000 || *index < 1 || *index > *count) {
        throw UsageError(wanted + ", not \"" + text + "\"");
    }
    return {int(*index), int(*count)};
}

SplitRows ParseSplit(const std::string& text) {
    const std::string wanted =
        "--split wants ROWS or ROWS:OVERLAP, whole numbers with 1 <= ROWS <= 1000000 and "
        "0 <= OVERLAP < ROWS";
    const auto colon = text.find(':');
    const auto rows = ParseInteger(std::string_view(text).substr(0, colon));
    const auto overlap = colon == std::string::npos
                             ? std::optional<long long>(0)
                             : ParseInteger(std::string_view(text).substr(colon + 1));
    if (!rows || !overlap || *rows < 1 || *rows > 1000000 || *overlap < 0 || *overlap >= *rows) {
        throw UsageError(wanted + ", not \"" + text + "\"");
    }
    return {int(*rows), int(*overlap)};
}

// "Name: value". The value is never shown in a message: it is often a secret.
RequestHeader ParseHeader(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        throw UsageError("--header wants \"Name: value\"; this one has no colon");
    }
    RequestHeader header{text.substr(0, colon), text.substr(colon + 1)};
    const auto tokenCharacter = [](unsigned char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               std::string_view("!#$%&'*+-.^_`|~").find(char(c)) != std::string_view::npos;
    };
    if (header.name.empty() ||
        !std::all_of(header.name.begin(), header.name.end(), tokenCharacter)) {
        throw UsageError("--header \"" + header.name +
                         "\" is not a header name: it takes letters, digits and "
                         "!#$%&'*+-.^_`|~ only");
    }
    const auto control = [](unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; };
    if (std::any_of(header.value.begin(), header.value.end(), control)) {
        throw UsageError("the value of --header \"" + header.name +
                         "\" holds a line break or another control character");
    }
    const auto first = header.value.find_first_not_of(" \t");
    const auto last = header.value.find_last_not_of(" \t");
    header.value = first == std::string::npos ? "" : header.value.substr(first, last - first + 1);
    return header;
}

// USER:PASSWORD, or "-" for the variable PAGROVIX_AUTH, which stays out of the process list.
Credentials ParseCredentials(const std::string& value) {
    std::string text = value;
    if (value == "-") {
        const char* variable = std::getenv("PAGROVIX_AUTH");
        if (!variable) {
            throw UsageError(
                "--auth - reads USER:PASSWORD from the variable PAGROVIX_AUTH, "
                "which is not set");
        }
        text = variable;
    }
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0) {
        throw UsageError(std::string("--auth wants USER:PASSWORD") +
                         (value == "-" ? " in PAGROVIX_AUTH" : "") +
                         ", a user name before the first colon");
    }
    return {text.substr(0, colon), text.substr(colon + 1)};
}

// A selector, style sheet, script or expression: some text that is not only blanks.
std::string ParseText(const std::string& option, const std::string& value) {
    if (value.find_first_not_of(" \t\n\r\f\v") == std::string::npos) {
        throw UsageError(option + " needs a text that is not empty");
    }
    return value;
}

// Options that hold one value: a second one would silently replace the first.
template <typename Field>
void SetOnce(Field& field, const std::string& option, Field value) {
    if (field != Field{}) {
        throw UsageError(option + " is given twice");
    }
    field = std::move(value);
}

// A file or folder name.
std::string ParseName(const std::string& option, const std::string& value) {
    if (value.empty()) {
        throw UsageError(option + " needs a file name, not an empty text");
    }
    return value;
}

// The view is painted S times as wide and tall, and the engine paints at most MaxViewSide.
void CheckScaledView(const ShotOptions& options) {
    for (const auto& [option, size] :
         {std::pair{"--width", options.viewWidth}, std::pair{"--height", options.viewHeight}}) {
        if (std::int64_t(size) * options.scale > MaxViewSide) {
            throw UsageError(std::string(option) + " " + std::to_string(size) + " at --scale " +
                             std::to_string(options.scale) + " would paint " +
                             std::to_string(std::int64_t(size) * options.scale) +
                             " pixels; the browser paints at most " +
                             std::to_string(MaxViewSide));
        }
    }
}


// One option of the command line: what it is called, what value it takes and what it does with
// it, and its lines of --help. Adding an option is adding an entry to kOptions.
struct OptionEntry {
    const char* name;
    const char* valueName;  // nullptr for an option that takes no value
    const char* help;       // lines of --help after the name, '\n' between them
    std::function<void(ShotOptions&, const std::string& name, const std::string& value)> apply;
};

// A whole number from low to high, stored in the member.
auto Bounded(int ShotOptions::*field, long long low, long long high) {
    return [=](ShotOptions& options, const std::string& name, const std::string& value) {
        options.*field = ParseBounded(name, value, low, high);
    };
}

// A text added to the list the member selects; the option may be repeated.
auto Repeated(std::vector<std::string> PageReadiness::*field) {
    return [=](ShotOptions& options, const std::string& name, const std::string& value) {
        (options.readiness.*field).push_back(ParseText(name, value));
    };
}

// A text the option may give only once.
auto Once(std::string PageReadiness::*field) {
    return [=](ShotOptions& options, const std::string& name, const std::string& value) {
        SetOnce(options.readiness.*field, name, ParseText(name, value));
    };
}

auto Switch(bool ShotOptions::*field) {
    return [=](ShotOptions& options, const std::string&, const std::string&) {
        options.*field = true;
    };
}

// The sections of --help, each with its options in the order they are shown.
struct OptionSection {
    const char* title;
    std::vector<OptionEntry> options;
};

const std::vector<OptionSection>& OptionSections() {
    static const std::vector<OptionSection> sections = {
        {"Options:",
         {
             {"--width", "N", "width of the browser view while the page lays out (1280)",
              Bounded(&ShotOptions::viewWidth, 1, 32767)},
             {"--height", "N", "height of the browser view while the page loads (800)",
              Bounded(&ShotOptions::viewHeight, 1, 32767)},
             {"--timeout", "S",
              "seconds to wait for each page to load (30); then the part\n"
              "that has loaded is captured, with a warning",
              Bounded(&ShotOptions::timeoutSeconds, 1, 86400)},
             {"--delay", "MS",
              "extra wait after loading (and after --script and\n"
              "--wait-for), for pages that draw late (0)",
              Bounded(&ShotOptions::delayMilliseconds, 0, 3600000)},
             {"--settle", "MS",
              "longest wait for the page to come to rest before the\n"
              "capture: animations ended, drawing quiet (2000); a page\n"
              "still moving then is captured as it is, with a warning",
              Bounded(&ShotOptions::settleMilliseconds, 0, 60000)},
             {"--quality", "Q",
              "JPEG quality, 0 to 100 (80); WebP files are lossless\n"
              "unless Q is given",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  options.jpegQuality = ParseBounded(name, value, 0, 100);
                  options.qualityGiven = true;
              }},
             {"--level", "L", "PNG compression level, 0 to 9 (6)",
              Bounded(&ShotOptions::pngLevel, 0, 9)},
             {"--crop", "X0,Y0,X1,Y1",
              "write only this rectangle (X1, Y1 exclusive), in CSS\n"
              "pixels; a part outside the page is white. With --selector\n"
              "it is counted from the element's top-left corner",
              [](ShotOptions& options, const std::string&, const std::string& value) {
                  options.crop = ParseCrop(value);
              }},
             {"--split", "ROWS[:OVERLAP]",
              "write a picture taller than ROWS as NAME-1.EXT, NAME-2.EXT,\n"
              "..., each at most ROWS rows, neighbours sharing OVERLAP\n"
              "rows (0)",
              [](ShotOptions& options, const std::string&, const std::string& value) {
                  options.split = ParseSplit(value);
              }},
             {"--scale", "S",
              "device pixels per CSS pixel, 1 to 4 (1): the page lays out\n"
              "at --width and is painted S times as wide and tall, sharp,\n"
              "as on a high-density screen",
              Bounded(&ShotOptions::scale, 1, 4)},
         }},
        {"Many pages:",
         {
             {"--list", "FILE",
              "more jobs, one a line: ADDRESS OUTPUT, or ADDRESS alone\n"
              "with --output-dir; blank and # lines are skipped; a field\n"
              "with blanks goes in \"double quotes\"; - reads standard\n"
              "input. They run after those of the command line",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  SetOnce(options.listFile, name, std::optional(ParseName(name, value)));
              }},
             {"--output-dir", "DIR",
              "name files after their addresses in DIR (made if missing);\n"
              "the command line then takes ADDRESSes without OUTPUT",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  SetOnce(options.outputDir, name, std::optional(ParseName(name, value)));
              }},
             {"--format", "F",
              "png, jpg, bmp or webp: the format of the files --output-dir\n"
              "names (png)",
              [](ShotOptions& options, const std::string&, const std::string& value) {
                  const auto format = FormatForPath("." + value);
                  if (!format) {
                      throw UsageError("--format wants png, jpg, jpeg, bmp or webp, not \"" +
                                       value + "\"");
                  }
                  options.namedFormat = *format;
              }},
             {"--report", "FILE",
              "write one JSON line for each job as it ends (- for\n"
              "standard output): address, status, file, size, SHA-256, times",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  SetOnce(options.reportFile, name, std::optional(ParseName(name, value)));
              }},
             {"--retries", "N",
              "try a job that failed for a reason that may pass (the\n"
              "network, a time limit, an ended page process) up to N\n"
              "more times, each in a fresh page process, 0 to 10 (0)",
              Bounded(&ShotOptions::retries, 0, 10)},
             {"--skip-existing", nullptr, "leave out jobs whose OUTPUT exists, to resume a run",
              Switch(&ShotOptions::skipExisting)},
             {"--jobs", "N", "capture N pages at the same time, 1 to 64 (1)",
              Bounded(&ShotOptions::parallelJobs, 1, 64)},
             {"--shard", "K/N",
              "run only jobs K, K+N, K+2N, ... of the whole list\n"
              "(K from 1), for N machines sharing one list",
              [](ShotOptions& options, const std::string&, const std::string& value) {
                  options.shard = ParseShard(value);
              }},
         }},
        {"Making the page ready, once it has loaded, in this order:",
         {
             {"--hide", "SELECTOR",
              "hide the elements that match, keeping their place; may be\n"
              "repeated",
              Repeated(&PageReadiness::hide)},
             {"--style", "CSS", "add a style sheet to the page; may be repeated",
              Repeated(&PageReadiness::styles)},
             {"--script", "JS",
              "run a script in the page; it may use await; may be\n"
              "repeated. An error fails that page",
              Repeated(&PageReadiness::scripts)},
             {"--wait-for", "EXPR",
              "wait until the script expression is true, at most\n"
              "--timeout seconds; else that page fails",
              Once(&PageReadiness::waitFor)},
             {"--selector", "SELECTOR", "capture only the box of the first element that matches",
              Once(&PageReadiness::selector)},
             {"--mask", "SELECTOR",
              "paint a solid box over every element that matches, in the\n"
              "picture itself; may be repeated",
              Repeated(&PageReadiness::masks)},
             {"--mask-color", "COLOR",
              "the colour of the --mask boxes: #rgb, #rrggbb, black, white,\n"
              "gray or red (black)",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  const auto colour = ParseMaskColour(value);
                  if (!colour) {
                      throw UsageError(name +
                                       " wants #rgb, #rrggbb, black, white, gray or red, "
                                       "not \"" +
                                       value + "\"");
                  }
                  SetOnce(options.maskColour, name, colour);
              }},
         }},
        {"The look and the browser:",
         {
             {"--color-scheme", "SCHEME",
              "light or dark: what prefers-color-scheme reports to pages,\n"
              "and the colours of the browser's own controls (the desktop's)",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  if (value != "light" && value != "dark") {
                      throw UsageError(name + " wants light or dark, not \"" + value + "\"");
                  }
                  options.colorScheme = value;
              }},
             {"--cookies", "FILE",
              "start every job with the cookies of FILE (cookies.txt, the\n"
              "Netscape format curl and wget use) and no others",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  SetOnce(options.cookieFile, name, std::optional(ParseName(name, value)));
              }},
             {"--save-cookies", "FILE",
              "write the cookies as they stand after the run to FILE\n"
              "(mode 0600), for a later --cookies",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  SetOnce(options.saveCookieFile, name, std::optional(ParseName(name, value)));
              }},
             {"--user-agent", "TEXT", "what the browser says it is to servers and scripts",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  options.userAgent = ParseText(name, value);
              }},
             {"--header", "'NAME: VALUE'",
              "send this header with every request to the origin (scheme,\n"
              "host, port) of a job's address, and to no other server; may\n"
              "be repeated",
              [](ShotOptions& options, const std::string&, const std::string& value) {
                  options.headers.push_back(ParseHeader(value));
              }},
             {"--auth", "USER:PASSWORD",
              "answer the HTTP sign-in challenges of the origin of a job's\n"
              "address, once a page; other servers' are declined. - reads\n"
              "USER:PASSWORD from the variable PAGROVIX_AUTH",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  if (options.auth) {
                      throw UsageError(name + " is given twice");
                  }
                  options.auth = ParseCredentials(value);
              }},
             {"--proxy", "URL",
              "send every request through this proxy: http://, https://,\n"
              "socks://, socks4:// or socks5://HOST[:PORT]",
              [](ShotOptions& options, const std::string& name, const std::string& value) {
                  if (!IsProxyAddress(value)) {
                      throw UsageError(name +
                                       " wants http://, https://, socks://, socks4:// or "
                                       "socks5:// with a host, not \"" +
                                       value + "\"");
                  }
                  SetOnce(options.proxy, name, value);
              }},
             {"--ignore-certificate-errors", nullptr,
              "load pages whatever their certificate, for test servers\n"
              "(a warning says so)",
              Switch(&ShotOptions::ignoreCertificateErrors)},
         }},
        {"Other options:",
         {
             {"--quiet", nullptr, "no progress", Switch(&ShotOptions::quiet)},
             // --help and --version are answered before anything else is read.
             {"--help", nullptr, "this text", nullptr},
             {"--version", nullptr, "the version", nullptr},
         }},
    };
    return sections;
}

const OptionEntry* FindOption(const std::string& name) {
    for (const OptionSection& section : OptionSections()) {
        for (const OptionEntry& entry : section.options) {
            if (name == entry.name) {
                return &entry;
            }
        }
    }
    return nullptr;
}

// An argument split at its first '=' when it is an option: "--width=800" is "--width", "800".
std::pair<std::string, std::optional<std::string>> SplitOption(const std::string& argument) {
    const auto equals = argument.find('=');
    if (equals == std::string::npos) {
        return {argument, std::nullopt};
    }
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

bool IsOption(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '-';
}

// --help and --version win over everything else on the line, mistakes included, but not where
// they are the value of another option (--script --help runs a script called --help).
std::optional<ShotCommand> AnsweredFirst(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h") {
            return ShotCommand::Help;
        }
        if (argument == "--version") {
            return ShotCommand::Version;
        }
        if (!IsOption(argument)) {
            continue;
        }
        const auto [name, inlineValue] = SplitOption(argument);
        const OptionEntry* entry = FindOption(name);
        if (entry && entry->valueName && !inlineValue) {
            ++i;
        }
    }
    return std::nullopt;
}

}  // namespace

ShotArguments ParseShotArguments(const std::vector<std::string>& arguments) {
    if (const auto command = AnsweredFirst(arguments)) {
        return {*command, {}};
    }

    ShotArguments result;
    ShotOptions& options = result.options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !IsOption(argument)) {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const auto [name, inlineValue] = SplitOption(argument);
        const OptionEntry* entry = FindOption(name);
        if (!entry || !entry->apply) {
            throw UsageError("unknown option \"" + argument + "\"");
        }
        std::string value;
        if (!entry->valueName) {
            if (inlineValue) {
                throw UsageError(name + " takes no value");
            }
        } else if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            throw UsageError(name + " needs a value");
        }
        entry->apply(options, name, value);
    }
    CheckScaledView(options);

    // With --output-dir every word on the line is an ADDRESS; otherwise they come in pairs.
    const std::size_t step = options.outputDir ? 1 : 2;
    if (positional.empty() && !options.listFile) {
        throw UsageError(options.outputDir ? "no ADDRESS given" : "no ADDRESS and OUTPUT given");
    }
    if (positional.size() % step != 0) {
        throw UsageError("no OUTPUT given for \"" + positional.back() + "\"");
    }
    for (std::size_t i = 0; i < positional.size(); i += step) {
        ShotJob job;
        job.address = TrimAddress(positional[i]);
        if (job.address.empty()) {
            throw UsageError("an ADDRESS is empty");
        }
        if (step == 1) {
            options.jobs.push_back(std::move(job));
            continue;
        }
        job.output = positional[i + 1];
        const auto format = FormatForPath(job.output);
        if (!format) {
            throw UsageError("OUTPUT \"" + job.output + "\" must end in " + kKnownExtensions +
                             " (any letter case)");
        }
        job.format = *format;
        options.jobs.push_back(std::move(job));
    }
    return result;
}

std::string ShotUsageText() {
    return "Usage: pagrovix-shot [OPTIONS] ADDRESS OUTPUT [ADDRESS OUTPUT ...]\n"
           "       pagrovix-shot [OPTIONS] --output-dir DIR [ADDRESS ...]\n"
           "       pagrovix-shot [OPTIONS] --list FILE [--output-dir DIR]\n"
           "Try 'pagrovix-shot --help' for the options.\n";
}

std::string ShotHelpText() {
    std::string text =
        "Usage: pagrovix-shot [OPTIONS] ADDRESS OUTPUT [ADDRESS OUTPUT ...]\n"
        "       pagrovix-shot [OPTIONS] --output-dir DIR [ADDRESS ...]\n"
        "       pagrovix-shot [OPTIONS] --list FILE [--output-dir DIR]\n"
        "Takes a picture of each whole web page ADDRESS (an address or a local file) and\n"
        "writes it to OUTPUT: .png, .jpg or .jpeg, .bmp or .webp, in any letter case.\n";
    // The help of each option starts in this column, on the option's line when the name fits.
    constexpr std::size_t kHelpColumn = 21;
    for (const OptionSection& section : OptionSections()) {
        text += "\n";
        text += section.title;
        text += "\n";
        for (const OptionEntry& entry : section.options) {
            std::string line = std::string("  ") + entry.name;
            if (entry.valueName) {
                line += std::string(" ") + entry.valueName;
            }
            line += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ')
                                              : "\n" + std::string(kHelpColumn, ' ');
            for (const char* help = entry.help; *help; ++help) {
                line += *help;
                if (*help == '\n') {
                    line += std::string(kHelpColumn, ' ');
                }
            }
            text += line + "\n";
        }
    }
    text +=
        "\n"
        "Exit status: 0 when every file was written (or skipped), 1 when a page, a file\n"
        "or a line of the list failed, 2 for a wrong command line.\n";
    return text;
}

}  // namespace pagrovix
