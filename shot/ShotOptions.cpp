#include "shot/ShotOptions.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "capture/CapturePlan.h"
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

// A selector, style sheet, script or expression: some text that is not only blanks.
std::string ParseText(const std::string& option, const std::string& value) {
    if (value.find_first_not_of(" \t\n\r\f\v") == std::string::npos) {
        throw UsageError(option + " needs a text that is not empty");
    }
    return value;
}

void SetOnce(std::string& field, const std::string& option, const std::string& value) {
    if (!field.empty()) {
        throw UsageError(option + " is given twice");
    }
    field = ParseText(option, value);
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

}  // namespace

ShotArguments ParseShotArguments(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h") {
            return {ShotCommand::Help, {}};
        }
        if (argument == "--version") {
            return {ShotCommand::Version, {}};
        }
    }

    ShotArguments result;
    ShotOptions& options = result.options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (const auto equals = argument.find('='); equals != std::string::npos) {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        }
        if (name == "--quiet" || name == "--skip-existing") {
            if (inlineValue) {
                throw UsageError(name + " takes no value");
            }
            (name == "--quiet" ? options.quiet : options.skipExisting) = true;
            continue;
        }
        const bool takesValue =
            name == "--width" || name == "--height" || name == "--timeout" || name == "--delay" ||
            name == "--settle" || name == "--quality" || name == "--level" || name == "--crop" ||
            name == "--list" || name == "--output-dir" || name == "--format" || name == "--jobs" ||
            name == "--shard" || name == "--scale" || name == "--hide" || name == "--style" ||
            name == "--script" || name == "--wait-for" || name == "--selector";
        if (!takesValue) {
            throw UsageError("unknown option \"" + argument + "\"");
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            throw UsageError(name + " needs a value");
        }
        if (name == "--width") {
            options.viewWidth = ParseBounded(name, value, 1, 32767);
        } else if (name == "--height") {
            options.viewHeight = ParseBounded(name, value, 1, 32767);
        } else if (name == "--timeout") {
            options.timeoutSeconds = ParseBounded(name, value, 1, 86400);
        } else if (name == "--delay") {
            options.delayMilliseconds = ParseBounded(name, value, 0, 3600000);
        } else if (name == "--settle") {
            options.settleMilliseconds = ParseBounded(name, value, 0, 60000);
        } else if (name == "--quality") {
            options.jpegQuality = ParseBounded(name, value, 0, 100);
            options.qualityGiven = true;
        } else if (name == "--level") {
            options.pngLevel = ParseBounded(name, value, 0, 9);
        } else if (name == "--list" || name == "--output-dir") {
            if (value.empty()) {
                throw UsageError(name + " needs a file name, not an empty text");
            }
            (name == "--list" ? options.listFile : options.outputDir) = value;
        } else if (name == "--format") {
            const auto format = FormatForPath("." + value);
            if (!format) {
                throw UsageError("--format wants png, jpg, jpeg, bmp or webp, not \"" + value +
                                 "\"");
            }
            options.namedFormat = *format;
        } else if (name == "--jobs") {
            options.parallelJobs = ParseBounded(name, value, 1, 64);
        } else if (name == "--shard") {
            options.shard = ParseShard(value);
        } else if (name == "--scale") {
            options.scale = ParseBounded(name, value, 1, 4);
        } else if (name == "--hide") {
            options.readiness.hide.push_back(ParseText(name, value));
        } else if (name == "--style") {
            options.readiness.styles.push_back(ParseText(name, value));
        } else if (name == "--script") {
            options.readiness.scripts.push_back(ParseText(name, value));
        } else if (name == "--wait-for") {
            SetOnce(options.readiness.waitFor, name, value);
        } else if (name == "--selector") {
            SetOnce(options.readiness.selector, name, value);
        } else {
            options.crop = ParseCrop(value);
        }
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
    return "Usage: pagrovix-shot [OPTIONS] ADDRESS OUTPUT [ADDRESS OUTPUT ...]\n"
           "       pagrovix-shot [OPTIONS] --output-dir DIR [ADDRESS ...]\n"
           "       pagrovix-shot [OPTIONS] --list FILE [--output-dir DIR]\n"
           "Takes a picture of each whole web page ADDRESS (an address or a local file) and\n"
           "writes it to OUTPUT: .png, .jpg or .jpeg, .bmp or .webp, in any letter case.\n"
           "\n"
           "Options:\n"
           "  --width N          width of the browser view while the page lays out (1280)\n"
           "  --height N         height of the browser view while the page loads (800)\n"
           "  --timeout S        seconds to wait for each page to load (30); then the part\n"
           "                     that has loaded is captured, with a warning\n"
           "  --delay MS         extra wait after loading (and after --script and\n"
           "                     --wait-for), for pages that draw late (0)\n"
           "  --settle MS        longest wait for the page to come to rest before the\n"
           "                     capture: animations ended, drawing quiet (2000); a page\n"
           "                     still moving then is captured as it is, with a warning\n"
           "  --quality Q        JPEG quality, 0 to 100 (80); WebP files are lossless\n"
           "                     unless Q is given\n"
           "  --level L          PNG compression level, 0 to 9 (6)\n"
           "  --crop X0,Y0,X1,Y1 write only this rectangle (X1, Y1 exclusive), in CSS\n"
           "                     pixels; a part outside the page is white. With --selector\n"
           "                     it is counted from the element's top-left corner\n"
           "  --scale S          device pixels per CSS pixel, 1 to 4 (1): the page lays out\n"
           "                     at --width and is painted S times as wide and tall, sharp,\n"
           "                     as on a high-density screen\n"
           "\n"
           "Many pages:\n"
           "  --list FILE        more jobs, one a line: ADDRESS OUTPUT, or ADDRESS alone\n"
           "                     with --output-dir; blank and # lines are skipped; a field\n"
           "                     with blanks goes in \"double quotes\"; - reads standard\n"
           "                     input. They run after those of the command line\n"
           "  --output-dir DIR   name files after their addresses in DIR (made if missing);\n"
           "                     the command line then takes ADDRESSes without OUTPUT\n"
           "  --format F         png, jpg, bmp or webp: the format of the files --output-dir\n"
           "                     names (png)\n"
           "  --skip-existing    leave out jobs whose OUTPUT exists, to resume a run\n"
           "  --jobs N           capture N pages at the same time, 1 to 64 (1)\n"
           "  --shard K/N        run only jobs K, K+N, K+2N, ... of the whole list\n"
           "                     (K from 1), for N machines sharing one list\n"
           "\n"
           "Making the page ready, once it has loaded, in this order:\n"
           "  --hide SELECTOR    hide the elements that match, keeping their place; may be\n"
           "                     repeated\n"
           "  --style CSS        add a style sheet to the page; may be repeated\n"
           "  --script JS        run a script in the page; it may use await; may be\n"
           "                     repeated. An error fails that page\n"
           "  --wait-for EXPR    wait until the script expression is true, at most\n"
           "                     --timeout seconds; else that page fails\n"
           "  --selector SELECTOR\n"
           "                     capture only the box of the first element that matches\n"
           "\n"
           "Other options:\n"
           "  --quiet            no progress\n"
           "  --help             this text\n"
           "  --version          the version\n"
           "\n"
           "Exit status: 0 when every file was written (or skipped), 1 when a page, a file\n"
           "or a line of the list failed, 2 for a wrong command line.\n";
}

}  // namespace pagrovix
