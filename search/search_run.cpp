// The search run and the result display.
#include "search/search_run.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "search/content_scan.h"
#include "search/directory_walk.h"
#include "search/exceptions.h"
#include "search/matched_lines.h"
#include "search/read_ahead.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// Keeps the start control disabled for the life of a run, also when it ends by an exception.
class StartControlLock {
  public:
    explicit StartControlLock(SearchEvents& events) : events_(events) {
        events_.SetStartEnabled(false);
    }
    ~StartControlLock() { events_.SetStartEnabled(true); }
    StartControlLock(const StartControlLock&) = delete;
    StartControlLock& operator=(const StartControlLock&) = delete;

  private:
    SearchEvents& events_;
};

// How often the walk lets the window show its progress and handle its events: about 30 times a
// second, so that the walk stays stoppable without spending its time repainting.
constexpr std::chrono::milliseconds kEventInterval{33};

// Walks the folder to search into the file list, handing each folder's files to listed as the
// walk goes on; the window shows the growing count of listed entries and handles its events at
// most every kEventInterval, and a stop ends the walk.
WalkOutcome WalkForRun(const SearchRequest& request, SearchEvents& events, SearchState& state,
                       const std::function<void(const PathList&)>& listed) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastEvents = Clock::now();
    const WalkProgress progress = [&](int count) {
        listed(state.FileList);
        const Clock::time_point now = Clock::now();
        if (now - lastEvents < kEventInterval)
            return true;
        lastEvents = now;
        events.SetProgressText(DecimalText(count));
        events.ProcessPendingEvents();
        return !state.StopRequested;
    };
    state.FileList.Clear();
    const WalkOptions options{.mask = kListedAttributes,
                              .includeZero = true,
                              .recurse = request.subfolders,
                              .markDirs = true};
    return WalkFolder(request.folder, options, state.FileList, progress);
}

void PrepareContentKeywords(const SearchRequest& request, SearchState& state) {
    if (!request.encoding)
        return;  // no encoding chosen: the keywords stay as they were
    state.ContentKeyword = PrepareKeywordForms(request.content, *request.encoding);
    state.ContentEncoding = *request.encoding;
    state.ContentExcludeKeyword = PrepareKeywordForms(request.contentExclude, *request.encoding);
}

bool PassesExtensionTest(const LiveControls& controls, const std::string& path) {
    if (controls.extensionLines.empty() || !controls.extensionListEnabled)
        return true;
    std::string extension = FoldCase(ExtensionPart(path));
    if (!extension.empty())
        extension.erase(0, 1);  // the dot
    for (const std::string& line : controls.extensionLines) {
        // Folding keeps the length: only lines as long as the extension can equal it.
        if (line.size() == extension.size() && SameBytes(extension, FoldCase(line)))
            return true;
    }
    return false;
}

bool PassesNameTests(const LiveControls& controls, const std::string& path) {
    const std::string& include = controls.name;
    const std::string& exclude = controls.nameExclude;
    if (include.empty() && exclude.empty())
        return true;
    const std::string name = FoldCase(FileNamePart(path));
    if (!include.empty() && FindSubstring(FoldCase(include), name) == 0)
        return false;
    return exclude.empty() || FindSubstring(FoldCase(exclude), name) == 0;
}

// Outcome of reading one file for the content tests.
enum class ContentOutcome { Hit, Miss, Unreadable };

// The outcome with the matching lines of a hit, when the run captures them.
struct ContentResult {
    ContentOutcome outcome = ContentOutcome::Miss;
    std::optional<MatchedLines> lines;
};

// The patterns of a keyword's forms: it occurs when any of them does.
std::vector<ContentPattern> PatternsOf(const KeywordForms& forms) {
    return std::vector<ContentPattern>(forms.begin(), forms.end());
}

// The content tests of a run: the keywords as prepared at its start, each in all its forms, one
// scan query for each way of filling the two keyword fields (the exclusion keyword first: a find
// of any of its forms settles the outcome), the capture of the lines of hits when the request
// asks for them, and the read-ahead workers, which test names with the live controls as they stood
// at the start and scan with the query they chose (with both fields empty, only open the files).
class ContentTests {
  public:
    // For the run's file list, scanned ahead by workers from the time the walk lists the files.
    ContentTests(const SearchRequest& request, const LiveControls& live, const SearchState& state)
        : include_(PatternsOf(state.ContentKeyword)),
          exclude_(PatternsOf(state.ContentExcludeKeyword)),
          capture_(LinesCapture(request, state)),
          readAhead_(
              state.FileList, QueryFor(live),
              [controls = live](const std::string& path) {
                  return PassesExtensionTest(controls, path) && PassesNameTests(controls, path);
              },
              ReadAheadWindow(), ReadAheadWorkers(request.threads),
              capture_ ? &*capture_ : nullptr) {}

    // Hands the workers the files the walk has added to list since the last call.
    void Listed(const PathList& list) {
        for (; handing_ && handedOn_ < static_cast<std::size_t>(list.LineCount()); ++handedOn_) {
            if (IsFolderEntry(list.NameAt(handedOn_)))
                continue;
            list.PathInto(handedOn_, path_);
            handing_ = readAhead_.Listed(path_);
        }
    }

    // The list is complete: its first count files are searched.
    void ListComplete(std::size_t count) { readAhead_.ListComplete(count); }

    // Files may have changed since now: the window handled events.
    void FilesMayHaveChanged() { readAhead_.FilesMayHaveChanged(); }

    // Reads the keyword fields (only whether they are empty) and tests file i, at path.
    ContentResult Test(const LiveControls& live, std::size_t i, const std::string& path) {
        const ScanQuery& query = QueryFor(live);
        ReadAhead::Answer answer = readAhead_.Scan(i, path, query, scanner_);
        if (!answer)
            return {ContentOutcome::Unreadable, std::nullopt};
        if (!query.Passes(answer->found))
            return {ContentOutcome::Miss, std::nullopt};
        // A large file is read again for its lines, and may no longer be readable.
        if (answer->lines && answer->lines->end == ScanEnd::Unreadable)
            return {ContentOutcome::Unreadable, std::nullopt};
        return {ContentOutcome::Hit, std::move(answer->lines)};
    }

  private:
    static std::optional<LineCapture> LinesCapture(const SearchRequest& request,
                                                   const SearchState& state) {
        if (!request.matchedLines)
            return std::nullopt;
        return LineCapture(state.ContentKeyword, state.ContentEncoding, *request.matchedLines);
    }

    // With both keyword fields empty, a query of no group: the file passes when it opens.
    const ScanQuery& QueryFor(const LiveControls& live) const {
        const bool testExclude = !live.contentExcludeEmpty;
        const bool testInclude = !live.contentEmpty;
        if (testExclude)
            return testInclude ? both_ : excludeOnly_;
        return testInclude ? includeOnly_ : openOnly_;
    }

    // A group of each keyword's forms: the exclusion keyword's, then the inclusion keyword's.
    static ScanQuery Query(const std::vector<ContentPattern>* exclude,
                           const std::vector<ContentPattern>* include) {
        auto pointers = [](const std::vector<ContentPattern>& patterns) {
            std::vector<const ContentPattern*> group;
            for (const ContentPattern& pattern : patterns)
                group.push_back(&pattern);
            return group;
        };
        ScanQuery query;
        if (exclude != nullptr)
            query.AddGroup(pointers(*exclude), ScanQuery::OnFind::EndScan);
        if (include != nullptr)
            query.AddGroup(pointers(*include));
        return query;
    }

    const std::vector<ContentPattern> include_;
    const std::vector<ContentPattern> exclude_;
    const ScanQuery both_ = Query(&exclude_, &include_);
    const ScanQuery excludeOnly_ = Query(&exclude_, nullptr);
    const ScanQuery includeOnly_ = Query(nullptr, &include_);
    const ScanQuery openOnly_ = Query(nullptr, nullptr);
    const std::optional<LineCapture> capture_;
    ContentScanner scanner_;
    bool handing_ = true;       // the workers still take files listed by the walk
    std::size_t handedOn_ = 0;  // entries of the walk's list looked at by Listed
    std::string path_;          // of the file handed on
    ReadAhead readAhead_;       // last: ended before the rest goes
};

}  // namespace

void SearchRun(const SearchRequest& request, const LiveControls& live, SearchEvents& events,
               SearchState& state) {
    state.StopRequested = false;
    std::vector<std::string> unreadable;
    WalkOutcome walk;
    std::optional<StopPoint> stop;
    int hits = 0;
    {
        StartControlLock lock(events);
        PrepareContentKeywords(request, state);
        ContentTests content(request, live, state);
        walk = WalkForRun(request, events, state,
                          [&content](const PathList& list) { content.Listed(list); });
        if (walk.stopped)
            stop = StopPoint{.duringWalk = true, .listed = state.FileList.LineCount()};
        state.HitList.ClearLines();
        state.ResultLines.clear();  // the box's lines no longer name these hits
        DropFolders(state.FileList);

        const int count = walk.stopped ? 0 : state.FileList.LineCount();
        content.ListComplete(static_cast<std::size_t>(count));
        std::string path;  // of file i, built in this one buffer for every file
        const bool keepHits = events.ShowsResultLines();
        const bool eventsMayChangeFiles = events.EventsMayChangeFiles();
        for (int i = 0; i < count; ++i) {
            events.ProcessPendingEvents();
            if (eventsMayChangeFiles)
                content.FilesMayHaveChanged();
            if (state.StopRequested) {
                stop = {.tested = i, .total = count};
                break;
            }
            events.SetFileProgress(i, count);
            state.FileList.PathInto(static_cast<std::size_t>(i), path);
            if (!PassesExtensionTest(live, path) || !PassesNameTests(live, path))
                continue;
            ContentResult result = content.Test(live, static_cast<std::size_t>(i), path);
            switch (result.outcome) {
                case ContentOutcome::Hit:
                    ++hits;
                    if (keepHits)
                        state.HitList.AppendLine(path);
                    events.HitFound(path, result.lines ? &*result.lines : nullptr);
                    break;
                case ContentOutcome::Unreadable:
                    unreadable.push_back(path);
                    break;
                case ContentOutcome::Miss:
                    break;
            }
        }
        ShowResults(live.fullPaths, state, events);
    }
    // After a stop the status bar tells how far the run came; the report would only interrupt.
    if (stop) {
        stop->hits = hits;
        stop->unreadableFiles = static_cast<int>(unreadable.size());
        stop->unreadableFolders = static_cast<int>(walk.unopened.size());
        events.SetProgressText(StoppedRunText(*stop));
        return;
    }
    if (!unreadable.empty() || !walk.unopened.empty())
        throw EFOpenError(unreadable, walk.unopened);
}

void CheckContentKeywords(const SearchRequest& request) {
    if (!request.encoding)
        return;
    for (const std::string* keyword : {&request.content, &request.contentExclude}) {
        const KeywordForms forms = PrepareKeywordForms(*keyword, *request.encoding);
        if (std::none_of(forms.begin(), forms.end(),
                         [](const PreparedKeyword& form) { return form.representable; }))
            throw EKeywordError(*keyword, EntryOf(*request.encoding).caption);
    }
}

void ShowResults(bool fullPaths, SearchState& state, SearchEvents& events) {
    const std::vector<std::string>& hits = state.HitList.Lines();
    state.ResultLines.clear();
    if (!events.ShowsResultLines()) {
        state.ResultLines.shrink_to_fit();
        events.SetResultLines(state.ResultLines);
        return;
    }
    state.ResultLines.reserve(hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i) {
        std::string shown = fullPaths ? hits[i] : FileNamePart(hits[i]);
        if (shown.find_first_of("\r\n") == std::string::npos) {
            state.ResultLines.push_back({std::move(shown), static_cast<int>(i)});
            continue;
        }
        // Each hit followed by CR LF, as in the hit list's Text form: a name that ends in a line
        // break shows an empty line after it.
        shown += "\r\n";
        for (const std::string_view line : SplitLines(shown))
            state.ResultLines.push_back({std::string(line), static_cast<int>(i)});
    }
    events.SetResultLines(state.ResultLines);
}

}  // namespace tanmira
