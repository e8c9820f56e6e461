#include "shot/JobRecord.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <system_error>

#include <glib.h>
#include <nlohmann/json.hpp>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

nlohmann::ordered_json TextOrNull(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

// Seconds to the millisecond: finer figures only say how busy the machine was.
double Rounded(double seconds) {
    return double(std::llround(seconds * 1000)) / 1000;
}

}  // namespace

std::string RecordLine(const JobRecord& record) {
    const bool written = !record.error && !record.skipped;
    nlohmann::ordered_json line = {
        {"address", record.address},
        {"final_address", TextOrNull(record.finalAddress)},
        {"http_status", record.httpStatus ? nlohmann::ordered_json(record.httpStatus) : nullptr},
        {"output", record.output},
        {"status", record.skipped ? "skipped" : (record.error ? "failed" : "written")},
        {"width", written ? nlohmann::ordered_json(record.width) : nullptr},
        {"height", written ? nlohmann::ordered_json(record.height) : nullptr},
        {"file_size", written ? nlohmann::ordered_json(record.fileSize) : nullptr},
        {"sha256", written ? TextOrNull(record.sha256) : nullptr},
        {"loaded_at", TextOrNull(record.loadedAt)},
        {"seconds",
         {{"loading", Rounded(record.loadingSeconds)},
          {"readying", Rounded(record.readyingSeconds)},
          {"capturing", Rounded(record.capturingSeconds)},
          {"writing", Rounded(record.writingSeconds)}}},
        {"parts", nullptr},
        {"attempts", record.attempts},
        {"error", record.error ? nlohmann::ordered_json(*record.error) : nullptr},
    };
    if (written && !record.parts.empty()) {
        nlohmann::ordered_json parts = nlohmann::ordered_json::array();
        for (const JobRecord::Part& part : record.parts) {
            parts.push_back(
                {{"output", part.output}, {"file_size", part.fileSize}, {"sha256", part.sha256}});
        }
        line["parts"] = std::move(parts);
    }
    // Addresses and file names need not be UTF-8: bytes that are not become U+FFFD rather than
    // ending the run.
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string UtcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            now.time_since_epoch()) %
                        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", int(millis.count()));
    return text;
}

std::string FileSha256(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return {};
    }
    GChecksum* checksum = g_checksum_new(G_CHECKSUM_SHA256);
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        g_checksum_update(checksum, reinterpret_cast<const guchar*>(buffer), gsize(file.gcount()));
    }
    std::string digest = file.bad() ? std::string() : g_checksum_get_string(checksum);
    g_checksum_free(checksum);
    return digest;
}

ReportFile::ReportFile(const std::string& name) : name_(name) {
    file_ = name == "-" ? stdout : std::fopen(name.c_str(), "w");
    if (!file_) {
        throw Error("Cannot create the report \"" + name + "\": " +
                    std::error_code(errno, std::generic_category()).message());
    }
}

ReportFile::~ReportFile() {
    if (file_ && file_ != stdout) {
        std::fclose(file_);
    }
}

void ReportFile::Add(const JobRecord& record) {
    const std::string line = RecordLine(record) + "\n";
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        throw Error("Cannot write the report \"" + name_ + "\": " +
                    std::error_code(errno, std::generic_category()).message());
    }
}

void ReportFile::AddSkipped(const std::vector<ShotJob>& jobs) {
    for (const ShotJob& job : jobs) {
        JobRecord record;
        record.address = job.address;
        record.output = job.output;
        record.skipped = true;
        Add(record);
    }
}

}  // namespace pagrovix
