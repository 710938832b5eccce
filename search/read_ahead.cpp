// The read-ahead workers. Files are claimed in order through one counter, by a worker or by the
// loop; a slot's tag names the file whose answer it holds and is written after the answer, so
// that whoever reads the tag with acquire sees the answer.
#include "search/read_ahead.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/platform.h"

namespace tanmira {

namespace {

// Workers at most, whatever the cores.
constexpr std::size_t kMostWorkers = 32;

// Tag of a slot that holds file k's answer, or tells that the loop is to scan file k itself.
std::uint64_t DoneTag(std::size_t k) {
    return (static_cast<std::uint64_t>(k) + 1) << 1;
}
std::uint64_t SkippedTag(std::size_t k) {
    return DoneTag(k) | 1;
}

// Bytes an answer's captured lines hold.
std::size_t LineBytesOf(const ReadAhead::FileAnswer& answer) {
    if (!answer.lines)
        return 0;
    std::size_t bytes = 0;
    for (const TextLine& line : answer.lines->lines)
        bytes += sizeof line + line.bytes.size() + line.hits.size() * sizeof(LineHit);
    return bytes;
}

}  // namespace

std::size_t ReadAheadWorkers(unsigned threads) {
    if (threads == 0) {
        const char* asked = std::getenv("TANMIRA_THREADS");
        char* end = nullptr;
        const unsigned long n = asked != nullptr ? std::strtoul(asked, &end, 10) : 0;
        threads = n > 0 && *end == '\0' ? static_cast<unsigned>(std::min(n, 1024ul))
                                        : std::max(platform::UsableProcessors(), 2u);
    }
    return std::min<std::size_t>(threads - 1, kMostWorkers);
}

std::size_t ReadAheadWindow() {
    return platform::UsableProcessors() > 1 ? ReadAhead::kFilesAhead
                                            : ReadAhead::kFilesAheadOneProcessor;
}

ReadAhead::ReadAhead(const PathList& files, std::optional<ScanQuery> query,
                     std::function<bool(const std::string&)> wanted, std::size_t filesAhead,
                     std::size_t workers, const LineCapture* capture, std::size_t lineBytesHeld)
    : files_(files),
      query_(std::move(query)),
      wanted_(std::move(wanted)),
      capture_(capture),
      lineBytesHeld_(lineBytesHeld),
      slotCount_(filesAhead),
      slotBlocks_(new std::atomic<Slot*>[(filesAhead + kSlotsPerBlock - 1) / kSlotsPerBlock]()) {
    if (!query_)
        return;
    workerScanners_.resize(workers);
    for (ContentScanner& scanner : workerScanners_)
        workers_.emplace_back([this, &scanner](std::stop_token stop) { Work(stop, scanner); });
}

ReadAhead::ReadAhead(const PathList& files, std::size_t count, std::optional<ScanQuery> query,
                     std::function<bool(const std::string&)> wanted, std::size_t filesAhead,
                     std::size_t workers, const LineCapture* capture, std::size_t lineBytesHeld)
    : ReadAhead(files, std::move(query), std::move(wanted), filesAhead, workers, capture,
                lineBytesHeld) {
    ListComplete(count);
}

ReadAhead::~ReadAhead() {
    for (std::jthread& worker : workers_)
        worker.request_stop();
    Wake();
    workers_.clear();  // joins them
    for (std::size_t b = 0; b * kSlotsPerBlock < slotCount_; ++b)
        delete[] slotBlocks_[b].load();
}

ReadAhead::Slot& ReadAhead::SlotOf(std::size_t k) {
    const std::size_t s = k % slotCount_;
    std::atomic<Slot*>& block = slotBlocks_[s / kSlotsPerBlock];
    Slot* slots = block.load(std::memory_order_acquire);
    if (slots == nullptr) {
        // Whoever comes first makes the block; another thread that made one at the same time
        // drops its own.
        auto made = std::make_unique<Slot[]>(kSlotsPerBlock);
        if (block.compare_exchange_strong(slots, made.get(), std::memory_order_acq_rel))
            slots = made.release();
    }
    return slots[s % kSlotsPerBlock];
}

bool ReadAhead::Listed(std::string_view path) {
    const std::lock_guard lock(mutex_);
    if (workers_.empty() || earlyEnds_.size() >= slotCount_)
        return false;
    early_ += path;
    earlyEnds_.push_back(early_.size());
    listed_.store(earlyEnds_.size());
    if (starved_) {
        starved_ = false;
        changed_.notify_all();
    }
    return true;
}

void ReadAhead::ListComplete(std::size_t count) {
    {
        const std::lock_guard lock(mutex_);
        listed_.store(count);
        complete_.store(true, std::memory_order_release);
        early_ = {};
        earlyEnds_ = {};
    }
    changed_.notify_all();
}

ReadAhead::Answer ReadAhead::Scan(std::size_t i, const std::string& path, const ScanQuery& query,
                                  ContentScanner& scanner) {
    loopAt_.store(i);
    if (i >= wakeAt_.load())
        Wake();
    const auto scanHere = [&]() -> Answer {
        platform::InputFile file(path);
        return file.IsOpen() ? ScanFile(file, path, query, scanner, {}) : std::nullopt;
    };
    if (ClaimForLoop(i) || workers_.empty() || query != *query_)
        return scanHere();
    Slot& slot = SlotOf(i);
    for (;;) {
        const std::uint64_t tag = slot.tag.load(std::memory_order_acquire);
        if (tag == DoneTag(i)) {
            if (slot.lineBytes != 0)  // the shared count is touched only for captured lines
                lineBytes_.fetch_sub(std::exchange(slot.lineBytes, 0));
            const bool fresh = slot.opened > changedAt_ && Clock::now() - slot.opened < kFreshFor;
            if (fresh || platform::StampOf(path) == slot.stamp)
                return std::move(slot.answer);
            slot.answer.lines.reset();
            return scanHere();
        }
        if (tag == SkippedTag(i))
            return scanHere();
        if (const std::optional<std::size_t> k = Claim()) {
            Fill(*k, scanner, aheadPath_, {});
            continue;
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return slot.tag.load(std::memory_order_acquire) != tag; });
    }
}

void ReadAhead::Work(std::stop_token stop, ContentScanner& scanner) {
    std::string path;
    while (!stop.stop_requested()) {
        if (const std::optional<std::size_t> k = Claim()) {
            Fill(*k, scanner, path, stop);
            continue;
        }
        std::unique_lock lock(mutex_);
        const std::size_t next = nextClaim_.load();
        if (next < listed_.load()) {
            const std::size_t at = loopAt_.load();
            const bool slotsFull = next >= at + slotCount_;
            if (!slotsFull && lineBytes_.load() < lineBytesHeld_)
                continue;  // files were claimed or listed since: claim again
            // Every slot is taken, or the lines held reach their bound: sleep until the loop has
            // moved through half of the slots, or on to its next file.
            wakeAt_.store(slotsFull ? next - slotCount_ / 2 : at + 1);
            changed_.wait(
                lock, [&] { return stop.stop_requested() || loopAt_.load() >= wakeAt_.load(); });
            continue;
        }
        if (complete_.load())
            return;
        // Every file listed so far is claimed: sleep until the walk lists more.
        starved_ = true;
        changed_.wait(lock, [&] {
            return stop.stop_requested() || complete_.load() || listed_.load() > next;
        });
    }
}

std::optional<std::size_t> ReadAhead::Claim() {
    std::size_t next = nextClaim_.load();
    for (;;) {
        if (next >= listed_.load() || next >= loopAt_.load() + slotCount_ ||
            lineBytes_.load() >= lineBytesHeld_)
            return std::nullopt;
        if (nextClaim_.compare_exchange_weak(next, next + 1))
            return next;
    }
}

bool ReadAhead::ClaimForLoop(std::size_t i) {
    std::size_t next = nextClaim_.load();
    while (next <= i) {
        if (nextClaim_.compare_exchange_weak(next, i + 1))
            return true;
    }
    return false;
}

void ReadAhead::PathOf(std::size_t k, std::string& path) {
    if (!complete_.load(std::memory_order_acquire)) {
        const std::lock_guard lock(mutex_);
        if (!complete_.load()) {
            const std::size_t start = k == 0 ? 0 : earlyEnds_[k - 1];
            path.assign(early_, start, earlyEnds_[k] - start);
            return;
        }
    }
    files_.PathInto(k, path);
}

void ReadAhead::Fill(std::size_t k, ContentScanner& scanner, std::string& path,
                     std::stop_token stop) {
    Slot& slot = SlotOf(k);
    const std::lock_guard filling(slot.filling);
    // A worker held up between its claim and this lock may come after the file of a later round
    // has been filled in: the loop has passed file k then, and the later answer must stay.
    if (slot.tag.load(std::memory_order_acquire) > SkippedTag(k))
        return;
    std::uint64_t tag = SkippedTag(k);
    try {
        PathOf(k, path);
        if (wanted_(path)) {
            slot.opened = Clock::now();
            platform::InputFile file(path);
            // A file that cannot be opened or read is left to the loop, which reports it.
            Answer answer =
                file.IsOpen() ? ScanFile(file, path, *query_, scanner, stop) : std::nullopt;
            if (answer) {
                // An answer the loop never took (it skipped the file) goes now.
                if (const std::size_t held = LineBytesOf(*answer); held != slot.lineBytes) {
                    lineBytes_.fetch_sub(std::exchange(slot.lineBytes, held));
                    lineBytes_.fetch_add(held);
                }
                slot.answer = std::move(*answer);
                slot.stamp = file.Stamp();
                tag = DoneTag(k);
            }
        }
    } catch (...) {
        // Left to the loop, which scans the file itself and meets the failure where it is handled.
    }
    slot.tag.store(tag, std::memory_order_release);
    Wake();
}

ReadAhead::Answer ReadAhead::ScanFile(platform::InputFile& file, const std::string& path,
                                      const ScanQuery& query, ContentScanner& scanner,
                                      std::stop_token stop) const {
    if (query.Groups().empty())
        return FileAnswer{};  // nothing to look for: the file passes by opening
    const std::optional<GroupFlags> found = scanner.Scan(file, query, stop);
    if (!found)
        return std::nullopt;
    FileAnswer answer{*found, std::nullopt};
    if (capture_ != nullptr && !stop.stop_requested() && query.Passes(answer.found))
        answer.lines = capture_->Capture(path, scanner);
    return answer;
}

void ReadAhead::Wake() {
    // Taking the lock orders this change before a waiter's test of it, or after its sleep.
    { const std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

}  // namespace tanmira
