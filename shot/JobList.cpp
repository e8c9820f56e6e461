#include "shot/JobList.h"

#include <filesystem>
#include <map>
#include <set>

#include "imaging/Error.h"
#include "ui/AddressRules.h"

namespace pagrovix {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr std::size_t kLongestName = 200;

}  // namespace

std::vector<std::string> SplitListLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        std::string field;
        if (line[i] != '"') {
            while (i < line.size() && !IsBlank(line[i])) {
                field += line[i++];
            }
            fields.push_back(std::move(field));
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            const char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                field += line[i++];
            } else {
                field += c;
            }
        }
        if (!closed) {
            throw Error("a quote is not closed");
        }
        if (i < line.size() && !IsBlank(line[i])) {
            throw Error("a closing quote must be followed by a blank");
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

std::string ReadListText(std::istream& in, const std::string& listName) {
    std::string text;
    std::size_t lineStart = 0;
    int lineNumber = 1;
    char buffer[16 * 1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        const std::size_t chunkStart = text.size();
        text.append(buffer, std::size_t(in.gcount()));
        for (std::size_t i = chunkStart; i < text.size(); ++i) {
            if (text[i] == '\n') {
                lineStart = i + 1;
                ++lineNumber;
            }
        }
        if (text.size() - lineStart > kLongestListLine) {
            throw UsageError("--list \"" + listName + "\" line " + std::to_string(lineNumber) +
                             " is longer than " + std::to_string(kLongestListLine) +
                             " bytes: is it a list of pages?");
        }
    }
    return text;
}

std::vector<ShotJob> ReadJobList(std::string_view text, const std::string& listName,
                                 bool namedOutputs) {
    std::vector<ShotJob> jobs;
    int number = 0;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        const std::size_t first = line.find_first_not_of(" \t\r\v\f");
        if (first == std::string_view::npos || line[first] == '#') {
            continue;
        }
        ShotJob job;
        const std::string origin = listName + " line " + std::to_string(number);
        job.origin = origin;
        try {
            std::vector<std::string> fields = SplitListLine(line);
            if (fields.size() > 2) {
                throw Error(
                    "more than ADDRESS and OUTPUT; put an address or a file name that "
                    "holds blanks in double quotes");
            }
            if (fields.size() == 1 && !namedOutputs) {
                throw Error("no OUTPUT for \"" + fields[0] + "\" (or give --output-dir)");
            }
            job.address = TrimAddress(fields[0]);
            if (job.address.empty()) {
                throw Error("the ADDRESS is empty");
            }
            if (fields.size() == 2) {
                job.output = fields[1];
                const auto format = FormatForPath(job.output);
                if (!format) {
                    throw Error("OUTPUT \"" + job.output + "\" must end in " + kKnownExtensions +
                                " (any letter case)");
                }
                job.format = *format;
            }
        } catch (const Error& error) {
            job = {};
            job.address = origin;
            job.origin = origin;
            job.problem = error.what();
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::string NameForAddress(std::string_view address) {
    std::string_view rest = address;
    if (HasScheme(rest)) {
        rest.remove_prefix(rest.find(':') + 1);
    }
    rest = rest.substr(0, rest.find('#'));
    while (!rest.empty() && rest.front() == '/') {
        rest.remove_prefix(1);
    }
    // user:password@ before the host never names the page and must not land in a file name.
    const std::size_t hostEnd = rest.find_first_of("/?");
    const std::size_t at = rest.substr(0, hostEnd).rfind('@');
    if (at != std::string_view::npos) {
        rest.remove_prefix(at + 1);
    }
    std::string name;
    for (const char c : rest) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (kept) {
            name += c;
        } else if (name.empty() || name.back() != '_') {
            name += '_';
        }
    }
    // No hidden files, no "..", nothing that a shell or a listing shows oddly.
    const auto trimmed = [](char c) { return c == '_' || c == '.'; };
    while (!name.empty() && trimmed(name.back())) {
        name.pop_back();
    }
    std::size_t start = 0;
    while (start < name.size() && trimmed(name[start])) {
        ++start;
    }
    name.erase(0, start);
    if (name.size() > kLongestName) {
        name.resize(kLongestName);
        while (!name.empty() && trimmed(name.back())) {
            name.pop_back();
        }
    }
    return name.empty() ? "page" : name;
}

namespace {

// One spelling for one file, as far as the names tell: "./a.png", "a.png" and "x/../a.png" are
// the same file.
std::string SameFileKey(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

}  // namespace

void NameOutputs(std::vector<ShotJob>& jobs, const std::string& folder, ImageFormat format) {
    const std::string extension = FormatExtension(format);
    // Names the person gave are theirs: a made name steps around every one of them.
    std::set<std::string> taken;
    for (const ShotJob& job : jobs) {
        if (job.problem.empty() && !job.output.empty()) {
            taken.insert(SameFileKey(job.output));
        }
    }
    for (ShotJob& job : jobs) {
        if (!job.problem.empty() || !job.output.empty()) {
            continue;
        }
        const std::string base = NameForAddress(job.address);
        std::string output = (std::filesystem::path(folder) / (base + extension)).string();
        for (int number = 2; !taken.insert(SameFileKey(output)).second; ++number) {
            output = (std::filesystem::path(folder) /
                      (base + "-" + std::to_string(number) + extension))
                         .string();
        }
        job.output = std::move(output);
        job.format = format;
        job.namedByProgram = true;
    }
}

void CheckOutputsDistinct(const std::vector<ShotJob>& jobs) {
    std::map<std::string, const ShotJob*> owners;
    for (const ShotJob& job : jobs) {
        if (!job.problem.empty() || job.output.empty()) {
            continue;
        }
        const auto [owner, added] = owners.emplace(SameFileKey(job.output), &job);
        if (!added) {
            throw UsageError("\"" + job.output + "\" is the OUTPUT of " +
                             owner->second->origin + " (" + owner->second->address + ") and of " +
                             job.origin + " (" + job.address +
                             "): one file cannot hold both pictures");
        }
    }
}

std::vector<ShotJob> KeepShard(std::vector<ShotJob> jobs, const Shard& shard) {
    std::vector<ShotJob> kept;
    for (std::size_t i = std::size_t(shard.index - 1); i < jobs.size();
         i += std::size_t(shard.count)) {
        kept.push_back(std::move(jobs[i]));
    }
    return kept;
}

std::vector<ShotJob> DropExisting(std::vector<ShotJob>& jobs) {
    std::vector<ShotJob> kept;
    std::vector<ShotJob> dropped;
    for (ShotJob& job : jobs) {
        std::error_code error;
        const bool exists = job.problem.empty() && std::filesystem::exists(job.output, error);
        (exists ? dropped : kept).push_back(std::move(job));
    }
    jobs = std::move(kept);
    return dropped;
}

std::vector<ShotJob> PlanJobs(const ShotOptions& options, std::string_view listText) {
    std::vector<ShotJob> jobs = options.jobs;
    if (options.listFile) {
        const std::string name = *options.listFile == "-" ? "standard input" : *options.listFile;
        std::vector<ShotJob> listed = ReadJobList(listText, name, options.outputDir.has_value());
        jobs.insert(jobs.end(), std::make_move_iterator(listed.begin()),
                    std::make_move_iterator(listed.end()));
    }
    if (options.outputDir) {
        NameOutputs(jobs, *options.outputDir, options.namedFormat);
    }
    // Over the whole run, before the shard is taken: shards run apart and could not tell.
    CheckOutputsDistinct(jobs);
    if (options.shard) {
        jobs = KeepShard(std::move(jobs), *options.shard);
    }
    return jobs;
}

}  // namespace pagrovix
