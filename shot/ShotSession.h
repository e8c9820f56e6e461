#pragma once

#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/Bitmap24.h"
#include "imaging/ImageWriters.h"
#include "shot/JobRecord.h"
#include "shot/ShotOptions.h"
#include "shot/ShotReporter.h"

namespace pagrovix {

class PaintingCopy;
class WriteQueue;

// The command's run: --jobs browser views, off the screen, load and ready pages side by side;
// each page that is ready is captured with the program's own capture, one capture at a time (a
// page painted view by view lets the others take their turns between its views); its page
// process paints it while the others go on, and the painting and its picture go to worker
// threads that copy, encode and write the file while the views go on. Needs a running wx GUI.
class ShotSession {
public:
    // skipped: jobs left out before the run (--skip-existing), for the summary and the report.
    ShotSession(const ShotOptions& options, ShotReporter& reporter,
                const std::vector<ShotJob>& skipped = {});
    ~ShotSession();
    ShotSession(const ShotSession&) = delete;
    ShotSession& operator=(const ShotSession&) = delete;

    // Captures every job; one failure does not stop the others. Returns the exit status: 0 when
    // every file was written, else 1.
    int Run();
    // For a display that went away in the middle of Run: the pictures captured reach their files,
    // every other job fails, and the summary is given. Nothing here touches the display.
    void WindUpWithoutDisplay();

private:
    struct Slot;

    bool StartJobs();
    bool AdvanceLoads();
    bool AdvanceReadying();
    bool CaptureOne(WriteQueue& writes);
    // Hands the paintings that arrived on to the writers.
    bool AdvancePaintings(WriteQueue& writes);
    // The other views' steps, taken from inside a capture between its views; heldByCapture:
    // bytes of its picture still to be taken from the system.
    void AdvanceOthers(WriteQueue& writes, std::uint64_t heldByCapture);
    struct Failure {
        std::string reason;
        bool mayPass = false;  // worth another try with --retries
        bool shortOfMemory = false;
    };
    // Why the capture failed, when it did.
    std::optional<Failure> CaptureSlot(Slot& slot, WriteQueue& writes);
    void ReadySlot(Slot& slot);
    // The job's picture to the writers; painting, when given, is still to be copied into it.
    void QueueForWriting(std::size_t job, Bitmap24 page,
                         std::chrono::steady_clock::time_point captureStart,
                         std::unique_ptr<PngBandStream> started,
                         std::unique_ptr<PaintingCopy> painting, WriteQueue& writes);
    // What the paintings on their way and their pictures will take, in bytes.
    std::uint64_t PaintingBytes() const;
    // The memory still free, less what the pictures in flight are yet to take.
    std::uint64_t FreeMemory(const WriteQueue& writes) const;
    // Fails the slot's job, or puts it back for another try, and gives the slot a fresh view:
    // its page may still be busy, or its process gone.
    void FailInSlot(std::unique_ptr<Slot>& slot, const std::string& reason, bool mayPass = false);
    // Puts the job back for another try when its failure may pass and --retries allows one more;
    // returns whether it did.
    bool RetryLater(std::size_t job, const std::string& reason, bool mayPass);
    void TakeWriteResults(WriteQueue& writes);
    void Stop(WriteQueue& writes);
    void Fail(std::size_t job, const std::string& reason);
    // Fails every job under way, waiting for another try or not started yet.
    void FailJobsNotCaptured(const std::string& reason);
    void ReportProgress();
    void Done();

    const ShotOptions& options_;
    ShotReporter& reporter_;
    std::vector<std::unique_ptr<Slot>> slots_;
    std::size_t next_ = 0;
    // Jobs that failed for a reason that may pass, to be tried again before the next new one.
    std::deque<std::size_t> retryJobs_;
    int written_ = 0;
    int skipped_ = 0;
    std::vector<std::pair<std::string, std::string>> failures_;
    // What became of each job so far, for --report.
    std::vector<JobRecord> records_;
    // Jobs started again, once, because the page before them left their view stuck.
    std::vector<bool> movedFromStuckView_;
    std::unique_ptr<ReportFile> report_;
    // When each job's picture went to the writers.
    std::vector<std::chrono::steady_clock::time_point> queuedAt_;
    void Record(std::size_t job);
    std::chrono::steady_clock::time_point started_;
    WriteQueue* writes_ = nullptr;  // Run's, while it runs
    bool advancingOthers_ = false;
    std::uint64_t heldByCapture_ = 0;  // while advancing others
    std::exception_ptr othersFailed_;  // what went wrong meanwhile, for Run to meet
};

}  // namespace pagrovix
