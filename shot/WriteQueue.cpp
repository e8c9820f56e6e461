#include "shot/WriteQueue.h"

#include <new>

namespace pagrovix {

WriteQueue::WriteQueue(int threads, Writer writer, std::function<void()> wakeUp)
    : writer_(std::move(writer)), wakeUp_(std::move(wakeUp)) {
    for (int i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

WriteQueue::~WriteQueue() {
    Cancel("Not written: the command ended first.");
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void WriteQueue::Add(std::size_t job, Bitmap24 picture, std::uint64_t encoderBytes,
                     std::unique_ptr<PngBandStream> started,
                     std::unique_ptr<PaintingCopy> painting) {
    {
        std::lock_guard lock(mutex_);
        const std::uint64_t bytes =
            picture.ByteCount() + encoderBytes + (painting ? painting->Bytes() : 0);
        bytes_ += bytes;
        encoderBytes_ += encoderBytes;
        waiting_.push_back({job, std::move(picture), bytes, encoderBytes, std::move(started),
                            std::move(painting)});
        ++inFlight_;
    }
    changed_.notify_all();
}

std::vector<WriteQueue::Result> WriteQueue::TakeResults() {
    std::lock_guard lock(mutex_);
    std::vector<Result> taken = std::move(results_);
    results_.clear();
    inFlight_ -= taken.size();
    return taken;
}

std::size_t WriteQueue::InFlight() const {
    std::lock_guard lock(mutex_);
    return inFlight_;
}

std::uint64_t WriteQueue::BytesInFlight() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::uint64_t WriteQueue::EncoderBytesInFlight() const {
    std::lock_guard lock(mutex_);
    return encoderBytes_;
}

void WriteQueue::Release(const Task& task) {
    bytes_ -= task.bytes;
    encoderBytes_ -= task.encoderBytes;
}

void WriteQueue::Cancel(const std::string& reason) {
    {
        std::lock_guard lock(mutex_);
        for (const Task& task : waiting_) {
            Release(task);
            results_.push_back({task.job, reason, {}});
        }
        waiting_.clear();
    }
    changed_.notify_all();
}

void WriteQueue::WaitUntilDone() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && running_ == 0; });
}

void WriteQueue::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;
        }
        Task task = std::move(waiting_.front());
        waiting_.pop_front();
        ++running_;
        lock.unlock();
        Result result{task.job, {}, {}};
        try {
            if (task.painting) {
                task.painting->CopyInto(task.picture);
            }
            writer_(task.picture, task.job, task.started.get());
        } catch (const std::bad_alloc&) {
            result.error = "There is not enough memory to write the picture.";
        } catch (const std::exception& error) {
            result.error = error.what();
        }
        // The picture's memory goes back before anyone hears that it is free.
        task.started.reset();
        task.picture = Bitmap24();
        result.painting = std::move(task.painting);
        lock.lock();
        Release(task);
        --running_;
        results_.push_back(std::move(result));
        changed_.notify_all();
        if (wakeUp_) {
            wakeUp_();
        }
    }
}

}  // namespace pagrovix
