#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "shot/ShotOptions.h"

namespace pagrovix {

// What became of one job, for --report: one JSON object a line, so that archives can tell what
// was captured, when, from where, and prove the file unchanged by its digest.
struct JobRecord {
    std::string address;
    std::string finalAddress;  // after redirects; empty when the page never loaded
    int httpStatus = 0;        // 0 when there was none (files, data: addresses, no answer)
    std::string output;
    int width = 0;  // of the picture written
    int height = 0;
    std::uint64_t fileSize = 0;
    std::string sha256;  // of the file written, in lower-case hexadecimal
    std::string loadedAt;  // UTC, ISO 8601, when the page finished loading
    double loadingSeconds = 0;
    double readyingSeconds = 0;
    double capturingSeconds = 0;
    double writingSeconds = 0;
    // With --split, the files of a picture taller than its rows; file_size is then theirs
    // together and sha256 stays empty.
    struct Part {
        std::string output;
        std::uint64_t fileSize = 0;
        std::string sha256;
    };
    std::vector<Part> parts;
    int attempts = 0;
    bool skipped = false;
    std::optional<std::string> error;  // why the job failed
};

// The record as one line of JSON, without the line's end. Fields with nothing to say (a status
// of 0, an empty address, a failed job's picture) are null.
std::string RecordLine(const JobRecord& record);

// The current time in UTC as "2026-12-09T08:03:52.123Z".
std::string UtcNow();

// The SHA-256 of a file's bytes in lower-case hexadecimal; empty when it cannot be read.
std::string FileSha256(const std::string& path);

// Where the records go: a file, created or emptied, or standard output for "-". Each record is
// written and flushed as its job ends, so a run that is stopped keeps those that ended.
class ReportFile {
public:
    // Throws Error naming the file when it cannot be created.
    explicit ReportFile(const std::string& name);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Throws Error naming the file when the line cannot be written.
    void Add(const JobRecord& record);
    // The records of jobs left out by --skip-existing.
    void AddSkipped(const std::vector<ShotJob>& jobs);

private:
    std::string name_;
    std::FILE* file_ = nullptr;
};

}  // namespace pagrovix
