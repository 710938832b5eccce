// Scanning ahead of the search run's loop on worker threads. The workers open, read and scan the
// files after the one the loop tests, in list order and a bounded number of them, and store for
// each whether each group of the run's query occurs (and, when asked, the lines of a file that
// passes) and the file's stamp, closing the file after its scan. They may start while the walk is
// still listing the files, on those it has listed so far. The loop still decides everything
// else itself; it takes a stored answer only for a file scanned with the query it asks for and
// still as it was scanned, and scans every other file itself: one that could not be opened, one
// removed or written since, one the worker left alone. Whether the file is still as it was takes
// one status call by its path, except for a file opened less than a millisecond before its turn,
// with no window events handled since: its answer is then at most that much older than one the
// loop would have got itself.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "search/content_scan.h"
#include "search/matched_lines.h"
#include "search/path_list.h"

namespace tanmira {

// The workers of a run of threads threads, the loop's included: threads - 1. With threads 0, the
// count in the TANMIRA_THREADS environment variable when it holds a positive number, else one
// thread per processor the run may use, with at least one worker. Never more than 32 workers.
std::size_t ReadAheadWorkers(unsigned threads);

// Files the workers may scan ahead of the loop: ReadAhead::kFilesAhead, but
// ReadAhead::kFilesAheadOneProcessor where the run may use one processor alone. There the workers
// run only in the loop's stead, and far ahead their answers would be old when the loop takes them:
// each would cost it a status call.
std::size_t ReadAheadWindow();

class ReadAhead {
  public:
    // Files scanned ahead of the loop at most: the workers scan as many while the walk goes on,
    // before the loop starts.
    static constexpr std::size_t kFilesAhead = 4096;
    static constexpr std::size_t kFilesAheadOneProcessor = 64;
    // Bytes of captured lines held in answers the loop has not taken yet, past which the workers
    // wait for the loop.
    static constexpr std::size_t kLineBytesHeld = 16 << 20;
    // An answer whose file was opened less long ago than this when the loop takes it is taken
    // without a status call: it is at most that much older than a scan at the file's turn, less
    // than a scan of a large file takes. Most answers are that fresh once the walk is done.
    static constexpr std::chrono::microseconds kFreshFor{1000};

    // What the scan of one file found.
    struct FileAnswer {
        GroupFlags found;                   // per group, whether it occurs
        std::optional<MatchedLines> lines;  // of a file that passes the query, when captured
    };
    // Nothing when the file cannot be opened.
    using Answer = std::optional<FileAnswer>;

    // Starts workers over files while the walk still lists them: they scan the files handed to
    // Listed, then, after ListComplete, the rest (files must stay unchanged from then on, and the
    // patterns of query throughout). They scan with query those files for which wanted holds
    // (wanted is called from the workers at once); a query of no group only opens each file.
    // Without a query, or with no workers, the loop scans every file itself. With capture, the
    // lines of each file that passes the query are captured right after its scan, by whoever scans
    // it, the workers holding about lineBytesHeld bytes of them at most.
    ReadAhead(const PathList& files, std::optional<ScanQuery> query,
              std::function<bool(const std::string&)> wanted, std::size_t filesAhead = kFilesAhead,
              std::size_t workers = 1, const LineCapture* capture = nullptr,
              std::size_t lineBytesHeld = kLineBytesHeld);

    // The same over the first count files of a complete list.
    ReadAhead(const PathList& files, std::size_t count, std::optional<ScanQuery> query,
              std::function<bool(const std::string&)> wanted, std::size_t filesAhead = kFilesAhead,
              std::size_t workers = 1, const LineCapture* capture = nullptr,
              std::size_t lineBytesHeld = kLineBytesHeld);

    // Ends the workers (a scan under way stops at its next piece).
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // While the walk lists the files: hands the workers the path of the list's next file (the
    // files handed on are its first files, in order). False, the path not taken, once they hold
    // as many as they may scan before the loop starts.
    bool Listed(std::string_view path);

    // The list is complete: the workers scan its first count files.
    void ListComplete(std::size_t count);

    // The answer for file i, at path (as the loop built it), under query (asked for in increasing
    // i): the stored one when the file was scanned ahead with an equal query and is unchanged
    // since, else scanner's. While a worker is still scanning the file, scans files ahead with
    // scanner instead of waiting.
    Answer Scan(std::size_t i, const std::string& path, const ScanQuery& query,
                ContentScanner& scanner);

    // Bytes of captured lines held in answers the loop has not taken yet.
    std::size_t LineBytesHeld() const { return lineBytes_.load(); }

    // Files may have changed since now, in ways the loop knows of (the window handled events that
    // may change files): every answer stored so far is checked by its file's stamp, however fresh.
    void FilesMayHaveChanged() { changedAt_ = Clock::now(); }

  private:
    using Clock = std::chrono::steady_clock;

    // One file's place among those scanned ahead: which file it holds, the file's stamp and the
    // time when it was opened, and its answer.
    struct Slot {
        std::atomic<std::uint64_t> tag{0};
        // Held while the slot is filled: the file of the next round waits for a worker still
        // scanning a file the loop skipped.
        std::mutex filling;
        platform::FileStamp stamp;
        Clock::time_point opened;
        FileAnswer answer;
        std::size_t lineBytes = 0;  // of answer's lines, until the loop takes or drops them
    };

    void Work(std::stop_token stop, ContentScanner& scanner);

    // Scans the file at path, opened as file, with its lines captured when it passes query.
    Answer ScanFile(platform::InputFile& file, const std::string& path, const ScanQuery& query,
                    ContentScanner& scanner, std::stop_token stop) const;

    // Claims the next file for scanning ahead; nothing when filesAhead files ahead of the loop
    // are claimed already, the lines held reach their bound, or the files are done.
    std::optional<std::size_t> Claim();

    // Claims file i for the loop when nobody has; false when a worker has.
    bool ClaimForLoop(std::size_t i);

    // File k's path, written over path: from the files handed to Listed until the list is complete.
    void PathOf(std::size_t k, std::string& path);

    // Scans claimed file k into its slot; path is the caller's buffer for the file's path.
    void Fill(std::size_t k, ContentScanner& scanner, std::string& path, std::stop_token stop);

    // Wakes whoever waits for a slot's answer or for room among the slots.
    void Wake();

    // File k's slot, its block made when first needed.
    Slot& SlotOf(std::size_t k);

    // Slots are made in blocks of this many as files reach them, so that a search of a few files
    // does not make (and page in) the whole window.
    static constexpr std::size_t kSlotsPerBlock = 64;

    const PathList& files_;
    std::optional<ScanQuery> query_;
    std::function<bool(const std::string&)> wanted_;
    const LineCapture* capture_;
    std::size_t lineBytesHeld_;
    std::size_t slotCount_;                             // the files ahead at most
    std::unique_ptr<std::atomic<Slot*>[]> slotBlocks_;  // owned; null until made
    std::atomic<std::size_t> lineBytes_{0};             // of the lines in answers not taken
    std::atomic<std::size_t> listed_{0};                // files whose paths the workers may take
    std::atomic<bool> complete_{false};      // the list is complete: listed_ is its count
    std::string early_;                      // paths handed to Listed, one after the other
    std::vector<std::size_t> earlyEnds_;     // where each of them ends in early_
    bool starved_ = false;                   // a worker waits for paths (under mutex_)
    std::atomic<std::size_t> nextClaim_{0};  // files before it are claimed (or passed)
    std::atomic<std::size_t> loopAt_{0};     // the file the loop is at
    std::atomic<std::size_t> wakeAt_{0};     // the loop wakes waiting workers from this file on
    std::mutex mutex_;  // held to wait, to order a change and a wait, or for early_
    std::condition_variable changed_;
    std::vector<ContentScanner> workerScanners_;  // one per worker
    std::vector<std::jthread> workers_;
    std::string aheadPath_;        // the loop's buffer for a file it scans ahead
    Clock::time_point changedAt_;  // answers of files opened before are checked
};

}  // namespace tanmira
