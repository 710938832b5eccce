// Scanning ahead of the search run's loop on worker threads. The workers open, read and scan the
// files after the one the loop tests, in list order and a few dozen of them at most, and stores for
// each whether each group of the run's query occurs (and, when asked, the lines of a file that
// passes) and the file's stamp, closing the file after its scan. The loop still decides everything
// else itself; it takes a stored answer only for a file scanned with the query it asks for and
// still as it was scanned (one status call by its path), and scans every other file itself: one
// that could not be opened, one removed or written since, one the worker left alone.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "search/content_scan.h"
#include "search/matched_lines.h"
#include "search/path_list.h"

namespace tanmira {

// The workers of a run of threads threads, the loop's included: threads - 1. With threads 0, the
// count in the TANMIRA_THREADS environment variable when it holds a positive number, else one
// thread per core with at least one worker. Never more than half the files scanned ahead.
std::size_t ReadAheadWorkers(unsigned threads);

class ReadAhead {
  public:
    // Files scanned ahead of the loop at most.
    static constexpr std::size_t kFilesAhead = 64;

    // What the scan of one file found.
    struct FileAnswer {
        std::vector<bool> found;            // per group, whether it occurs
        std::optional<MatchedLines> lines;  // of a file that passes the query, when captured
    };
    // Nothing when the file cannot be opened.
    using Answer = std::optional<FileAnswer>;

    // Starts workers over the first count files of files (which must stay unchanged while they
    // run, as must the patterns of query), scanning with query those files for which wanted holds
    // (wanted is called from the workers at once). Without a query, or with no workers, the loop
    // scans every file itself. With capture, the lines of each file that passes the query are
    // captured right after its scan, by whoever scans it.
    ReadAhead(const PathList& files, std::size_t count, std::optional<ScanQuery> query,
              std::function<bool(const std::string&)> wanted, std::size_t filesAhead = kFilesAhead,
              std::size_t workers = 1, const LineCapture* capture = nullptr);

    // Ends the workers (a scan under way stops at its next piece).
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The answer for file i, at path (as the loop built it), under query (asked for in increasing
    // i): the stored one when the file was scanned ahead with an equal query and is unchanged
    // since, else scanner's. While a worker is still scanning the file, scans files ahead with
    // scanner instead of waiting.
    Answer Scan(std::size_t i, const std::string& path, const ScanQuery& query,
                ContentScanner& scanner);

  private:
    // One file's place among those scanned ahead: which file it holds, the file's stamp when it
    // was opened and its answer.
    struct Slot {
        std::atomic<std::uint64_t> tag{0};
        // Held while the slot is filled: the file of the next round waits for a worker still
        // scanning a file the loop skipped.
        std::mutex filling;
        platform::FileStamp stamp;
        FileAnswer answer;
    };

    void Work(std::stop_token stop, ContentScanner& scanner);

    // Scans the file at path, opened as file, with its lines captured when it passes query.
    Answer ScanFile(platform::InputFile& file, const std::string& path, const ScanQuery& query,
                    ContentScanner& scanner, std::stop_token stop) const;

    // Claims the next file for scanning ahead; nothing when filesAhead files ahead of the loop
    // are claimed already or the files are done.
    std::optional<std::size_t> Claim();

    // Claims file i for the loop when nobody has; false when a worker has.
    bool ClaimForLoop(std::size_t i);

    // Scans claimed file k into its slot; path is the caller's buffer for the file's path.
    void Fill(std::size_t k, ContentScanner& scanner, std::string& path, std::stop_token stop);

    // Wakes whoever waits for a slot's answer or for room among the slots.
    void Wake();

    Slot& SlotOf(std::size_t k) { return slots_[k % slots_.size()]; }

    const PathList& files_;
    std::size_t count_;
    std::optional<ScanQuery> query_;
    std::function<bool(const std::string&)> wanted_;
    const LineCapture* capture_;
    std::vector<Slot> slots_;
    std::atomic<std::size_t> nextClaim_{0};  // files before it are claimed (or passed)
    std::atomic<std::size_t> loopAt_{0};     // the file the loop is at
    std::atomic<std::size_t> wakeAt_{0};     // the loop wakes waiting workers from this file on
    std::mutex mutex_;                       // held only to wait, or to order a change and a wait
    std::condition_variable changed_;
    std::vector<ContentScanner> workerScanners_;  // one per worker
    std::vector<std::jthread> workers_;
    std::string aheadPath_;  // the loop's buffer for a file it scans ahead
};

}  // namespace tanmira
