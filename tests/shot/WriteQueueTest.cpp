#include "shot/WriteQueue.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

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

// Paints every byte of the picture with one value, and tells where it was copied and dropped.
class FakePainting : public PaintingCopy {
public:
    FakePainting(std::thread::id& copiedOn, std::thread::id& droppedOn)
        : copiedOn_(copiedOn), droppedOn_(droppedOn) {}
    ~FakePainting() override { droppedOn_ = std::this_thread::get_id(); }
    std::uint64_t Bytes() const override { return 1000; }
    void CopyInto(Bitmap24& picture) override {
        copiedOn_ = std::this_thread::get_id();
        std::fill(picture.Data(), picture.Data() + picture.ByteCount(), std::uint8_t(7));
    }

private:
    std::thread::id& copiedOn_;
    std::thread::id& droppedOn_;
};

TEST(WriteQueue, APaintingIsCopiedOnTheWriterFirstAndDroppedWhereTheResultsAreTaken) {
    std::thread::id copiedOn, droppedOn, writtenOn;
    int firstByte = -1;
    std::mutex mutex;
    std::condition_variable changed;
    bool release = false;
    WriteQueue queue(1, [&](Bitmap24& picture, std::size_t, PngBandStream*) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return release; });
        writtenOn = std::this_thread::get_id();
        firstByte = picture.Data()[0];
    });
    queue.Add(0, Bitmap24(2, 2), 100, {}, std::make_unique<FakePainting>(copiedOn, droppedOn));
    // Until it is written the picture holds its pixels, its encoder's and its painting's bytes.
    EXPECT_EQ(queue.BytesInFlight(), 2u * 6 + 100 + 1000);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    queue.WaitUntilDone();
    EXPECT_EQ(firstByte, 7) << "the writer read the picture before the painting was in it";
    EXPECT_EQ(copiedOn, writtenOn);
    EXPECT_NE(copiedOn, std::this_thread::get_id());
    EXPECT_EQ(queue.BytesInFlight(), 0u);
    {
        const auto results = queue.TakeResults();
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0].error, "");
        EXPECT_TRUE(results[0].painting);
    }
    EXPECT_EQ(droppedOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace pagrovix
