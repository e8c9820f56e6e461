#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/BrowserView.h"
#include "imaging/Bitmap24.h"
#include "imaging/ImageWriters.h"

namespace pagrovix {

// Pictures on their way to their files. Encoding a whole page takes longer than capturing it, so
// worker threads encode and write while the browser views capture the next pages. The queue owns
// each picture until it is written; nothing here touches the GUI.
class WriteQueue {
public:
    // Writes one picture for job, or finishes started, its file begun while it was painted;
    // throws on failure. Called on the worker threads, several at a time, so it must only read
    // what it shares. The picture is the writer's to use up: it is dropped afterwards.
    using Writer = std::function<void(Bitmap24& picture, std::size_t job, PngBandStream* started)>;
    struct Result {
        std::size_t job = 0;
        std::string error;  // empty when the file was written
        // The picture's painting, copied, handed back to be dropped on the thread that takes
        // the results, where the engine that made it lives.
        std::unique_ptr<PaintingCopy> painting;
    };

    // wakeUp is called on a worker when a result is ready, to wake the thread that takes them.
    WriteQueue(int threads, Writer writer, std::function<void()> wakeUp = {});
    // Ends the writes not yet started (as Cancel does) and waits for those under way.
    ~WriteQueue();
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

    // encoderBytes: what writing the picture takes beyond the picture itself, held until it is
    // written. started: the picture's file, begun as it was painted, which reads the picture
    // until it is finished or dropped. painting: still to be copied into the picture, which the
    // writing thread does first.
    void Add(std::size_t job, Bitmap24 picture, std::uint64_t encoderBytes = 0,
             std::unique_ptr<PngBandStream> started = {},
             std::unique_ptr<PaintingCopy> painting = {});
    // The results that came in since the last call, in the order they came.
    std::vector<Result> TakeResults();
    // Pictures added whose results have not been taken yet.
    std::size_t InFlight() const;
    // The memory that pictures not written yet hold or will take to encode, and the part of it
    // their encoders have yet to take, in bytes.
    std::uint64_t BytesInFlight() const;
    std::uint64_t EncoderBytesInFlight() const;
    // The writes not started yet end with reason as their error instead.
    void Cancel(const std::string& reason);
    // Blocks until every picture added has its result.
    void WaitUntilDone();

private:
    struct Task {
        std::size_t job;
        Bitmap24 picture;
        std::uint64_t bytes;  // the picture's, its encoder's and its painting's
        std::uint64_t encoderBytes;
        // After the picture, so that it ends first: it reads the picture.
        std::unique_ptr<PngBandStream> started;
        std::unique_ptr<PaintingCopy> painting;
    };
    void Release(const Task& task);
    void Work();

    Writer writer_;
    std::function<void()> wakeUp_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> waiting_;
    std::vector<Result> results_;
    std::size_t inFlight_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t encoderBytes_ = 0;
    std::size_t running_ = 0;
    bool ending_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace pagrovix
