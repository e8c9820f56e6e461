#include "shot/JobRecord.h"

#include <gtest/gtest.h>

namespace pagrovix {
namespace {

TEST(JobRecord, AFailedJobHasNoPictureFieldsAndKeepsItsReason) {
    JobRecord record;
    record.address = "https://example.org/\xff";  // not UTF-8: still one valid line
    record.output = "out.png";
    record.httpStatus = 503;
    record.width = 1280;  // of an earlier attempt: not reported for a failure
    record.attempts = 2;
    record.loadingSeconds = 1.23456;
    record.error = "Cannot load the page: \"quoted\"";
    EXPECT_EQ(RecordLine(record),
              "{\"address\":\"https://example.org/\xef\xbf\xbd\",\"final_address\":null,"
              "\"http_status\":503,\"output\":\"out.png\",\"status\":\"failed\",\"width\":null,"
              "\"height\":null,\"file_size\":null,\"sha256\":null,\"loaded_at\":null,"
              "\"seconds\":{\"loading\":1.235,\"readying\":0.0,\"capturing\":0.0,\"writing\":0.0},"
              "\"parts\":null,\"attempts\":2,\"error\":\"Cannot load the page: \\\"quoted\\\"\"}");
    EXPECT_EQ(UtcNow().size(), 24u);
}

}  // namespace
}  // namespace pagrovix
