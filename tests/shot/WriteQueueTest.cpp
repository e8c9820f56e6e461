#include "shot/WriteQueue.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

#include "imaging/Error.h"

namespace pagrovix {
namespace {

std::vector<WriteQueue::Result> Sorted(std::vector<WriteQueue::Result> results) {
    std::sort(results.begin(), results.end(),
              [](const auto& a, const auto& b) { return a.job < b.job; });
    return results;
}

TEST(WriteQueue, EveryPictureGetsItsResultFromSeveralThreads) {
    std::mutex mutex;
    std::vector<int> widths(20, 0);
    std::atomic<int> wakeUps{0};
    WriteQueue queue(
        3,
        [&](Bitmap24& picture, std::size_t job, PngBandStream*) {
            if (job % 7 == 3) {
                throw Error("Cannot create file " + std::to_string(job));
            }
            std::lock_guard lock(mutex);
            widths[job] = picture.Width();
        },
        [&] { ++wakeUps; });
    for (std::size_t job = 0; job < widths.size(); ++job) {
        queue.Add(job, Bitmap24(int(job) + 1, 2));
    }
    queue.WaitUntilDone();
    EXPECT_EQ(queue.InFlight(), 20u);
    const auto results = Sorted(queue.TakeResults());
    EXPECT_EQ(queue.InFlight(), 0u);
    EXPECT_EQ(wakeUps, 20);
    ASSERT_EQ(results.size(), 20u);
    for (std::size_t job = 0; job < results.size(); ++job) {
        EXPECT_EQ(results[job].job, job);
        if (job % 7 == 3) {
            EXPECT_EQ(results[job].error, "Cannot create file " + std::to_string(job));
        } else {
            EXPECT_EQ(results[job].error, "");
            EXPECT_EQ(widths[job], int(job) + 1);
        }
    }
}

TEST(WriteQueue, CancelEndsTheWaitingWritesButNotTheOneUnderWay) {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool release = false;
    WriteQueue queue(1, [&](Bitmap24&, std::size_t, PngBandStream*) {
        std::unique_lock lock(mutex);
        started = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
    });
    // 6 bytes of pixels each; each encoder asks 100 more.
    for (std::size_t job = 0; job < 3; ++job) {
        queue.Add(job, Bitmap24(1, 2), 100);
    }
    EXPECT_EQ(queue.BytesInFlight(), 3u * 106);
    EXPECT_EQ(queue.EncoderBytesInFlight(), 300u);
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return started; });
    }
    queue.Cancel("stopped");
    // The cancelled pictures hold nothing; the one being written holds its bytes until written.
    EXPECT_EQ(queue.BytesInFlight(), 106u);
    EXPECT_EQ(queue.EncoderBytesInFlight(), 100u);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    queue.WaitUntilDone();
    const auto results = Sorted(queue.TakeResults());
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].error, "");
    EXPECT_EQ(results[1].error, "stopped");
    EXPECT_EQ(results[2].error, "stopped");
    EXPECT_EQ(queue.BytesInFlight(), 0u);
}

}  // namespace
}  // namespace pagrovix
