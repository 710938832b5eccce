// The search run and the result display.
#include "search/search_run.h"

#include <chrono>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "search/content_scan.h"
#include "search/directory_walk.h"
#include "search/exceptions.h"
#include "search/read_ahead.h"
#include "search/text_rules.h"

namespace tanmira {

namespace {

// Attribute bits of the entries a run lists: read-only, hidden, system, volume label, directory
// and archive, and also every other bit of an ordinary file (normal, temporary, compressed, ...),
// so that no ordinary file goes unsearched. Devices, and links that lead nowhere, stay out.
constexpr std::uint16_t kListedAttributes = 0xFFFF & ~(platform::kDevice | platform::kReparsePoint);

// Keeps the start control disabled for the life of a run, also when it ends by an exception.
class StartControlLock {
  public:
    explicit StartControlLock(SearchWindow& window) : window_(window) {
        window_.SetStartEnabled(false);
    }
    ~StartControlLock() { window_.SetStartEnabled(true); }
    StartControlLock(const StartControlLock&) = delete;
    StartControlLock& operator=(const StartControlLock&) = delete;

  private:
    SearchWindow& window_;
};

// How often the walk lets the window show its progress and handle its events: about 30 times a
// second, so that the walk stays stoppable without spending its time repainting.
constexpr std::chrono::milliseconds kEventInterval{33};

// Walks the folder to search into the file list; the window shows the growing count of listed
// entries and handles its events at most every kEventInterval, and a stop ends the walk.
WalkOutcome WalkForRun(SearchWindow& window, SearchState& state) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastEvents = Clock::now();
    const WalkProgress progress = [&](int listed) {
        const Clock::time_point now = Clock::now();
        if (now - lastEvents < kEventInterval)
            return true;
        lastEvents = now;
        window.SetProgressText(DecimalText(listed));
        window.ProcessPendingEvents();
        return !state.StopRequested;
    };
    state.FileList.ClearLines();
    const WalkOptions options{.mask = kListedAttributes,
                              .includeZero = true,
                              .recurse = window.IncludeSubfolders(),
                              .markDirs = true};
    return WalkFolder(window.FolderToSearch(), options, state.FileList, progress);
}

void PrepareContentKeywords(const SearchWindow& window, SearchState& state) {
    const std::optional<KeywordEncoding> encoding = window.ContentEncoding();
    if (!encoding)
        return;  // no encoding chosen: the keywords stay as they were
    state.ContentKeyword = PrepareKeywordForms(window.ContentText(), *encoding);
    state.ContentExcludeKeyword = PrepareKeywordForms(window.ContentExcludeText(), *encoding);
}

// Keeps the files of the walk's list, dropping directory entries in place (a walk over a whole
// disk lists millions of entries: no second list), without touching any entry.
void DropDirectories(TStringList& list) {
    std::vector<std::string> entries;
    list.SwapLines(entries);
    std::erase_if(entries, [](const std::string& entry) { return EndsInSeparator(entry); });
    list.SwapLines(entries);
}

// The controls the name tests read, as they stood at the start of a run: the read-ahead worker
// tests names with these, never with the window.
class NameControls {
  public:
    explicit NameControls(const SearchWindow& window)
        : extensionListEmpty_(window.ExtensionListEmpty()),
          extensionListEnabled_(window.ExtensionListEnabled()),
          extensionLines_(window.ExtensionLines()),
          name_(window.NameText()),
          nameExclude_(window.NameExcludeText()) {}

    bool ExtensionListEmpty() const { return extensionListEmpty_; }
    bool ExtensionListEnabled() const { return extensionListEnabled_; }
    const std::vector<std::string>& ExtensionLines() const { return extensionLines_; }
    const std::string& NameText() const { return name_; }
    const std::string& NameExcludeText() const { return nameExclude_; }

  private:
    bool extensionListEmpty_;
    bool extensionListEnabled_;
    std::vector<std::string> extensionLines_;
    std::string name_;
    std::string nameExclude_;
};

// Controls: the window, or NameControls.
template <class Controls>
bool PassesExtensionTest(const Controls& controls, const std::string& path) {
    if (controls.ExtensionListEmpty() || !controls.ExtensionListEnabled())
        return true;
    std::string extension = FoldCase(ExtensionPart(path));
    if (!extension.empty())
        extension.erase(0, 1);  // the dot
    for (const std::string& line : controls.ExtensionLines()) {
        // Folding keeps the length: only lines as long as the extension can equal it.
        if (line.size() == extension.size() && SameBytes(extension, FoldCase(line)))
            return true;
    }
    return false;
}

template <class Controls>
bool PassesNameTests(const Controls& controls, const std::string& path) {
    const std::string& include = controls.NameText();
    const std::string& exclude = controls.NameExcludeText();
    if (include.empty() && exclude.empty())
        return true;
    const std::string name = FoldCase(FileNamePart(path));
    if (!include.empty() && FindSubstring(FoldCase(include), name) == 0)
        return false;
    return exclude.empty() || FindSubstring(FoldCase(exclude), name) == 0;
}

// Outcome of reading one file for the content tests.
enum class ContentOutcome { Hit, Miss, Unreadable };

// The patterns of a keyword's forms: it occurs when any of them does.
std::vector<ContentPattern> PatternsOf(const KeywordForms& forms) {
    return std::vector<ContentPattern>(forms.begin(), forms.end());
}

// The content tests of a run: the keywords as prepared at its start, each in all its forms, one
// scan query for each way of filling the two keyword fields (the exclusion keyword first: a find
// of any of its forms settles the outcome), and the read-ahead worker, which scans with the query
// of the fields as filled at the start.
class ContentTests {
  public:
    // For the first count files of the run's list.
    ContentTests(const SearchWindow& window, const SearchState& state, std::size_t count)
        : include_(PatternsOf(state.ContentKeyword)),
          exclude_(PatternsOf(state.ContentExcludeKeyword)),
          files_(std::span(state.FileList.Lines()).first(count)),
          readAhead_(
              files_, QueryFor(window), [controls = NameControls(window)](const std::string& path) {
                  return PassesExtensionTest(controls, path) && PassesNameTests(controls, path);
              }) {}

    // Reads the keyword fields (only whether they are empty) and tests file i.
    ContentOutcome Test(const SearchWindow& window, std::size_t i) {
        const ScanQuery* query = QueryFor(window);
        if (query == nullptr)
            return ContentScanner::CanOpen(files_[i]) ? ContentOutcome::Hit
                                                      : ContentOutcome::Unreadable;
        const ReadAhead::Answer found = readAhead_.Scan(i, *query, scanner_);
        if (!found)
            return ContentOutcome::Unreadable;
        // An exclusion group found, or an inclusion group not found, misses.
        for (std::size_t g = 0; g < found->size(); ++g) {
            if ((*found)[g] == (query->Groups()[g].onFind == ScanQuery::OnFind::EndScan))
                return ContentOutcome::Miss;
        }
        return ContentOutcome::Hit;
    }

  private:
    const ScanQuery* QueryFor(const SearchWindow& window) const {
        const bool testExclude = !window.ContentExcludeText().empty();
        const bool testInclude = !window.ContentText().empty();
        if (testExclude)
            return testInclude ? &both_ : &excludeOnly_;
        return testInclude ? &includeOnly_ : nullptr;
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
    std::span<const std::string> files_;
    ContentScanner scanner_;
    ReadAhead readAhead_;  // last: ended before the rest goes
};

// The number of line breaks in text: each CR LF, lone CR and lone LF counts once.
int LineBreaks(std::string_view text) {
    int breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++breaks;
    }
    return breaks;
}

}  // namespace

void SearchRun(SearchWindow& window, SearchState& state) {
    state.StopRequested = false;
    std::vector<std::string> unreadable;
    WalkOutcome walk;
    std::optional<StopPoint> stop;
    {
        StartControlLock lock(window);
        walk = WalkForRun(window, state);
        if (walk.stopped)
            stop = StopPoint{.duringWalk = true, .listed = state.FileList.LineCount()};
        state.HitList.ClearLines();
        state.ResultLineHits.clear();  // the box's lines no longer name these hits
        PrepareContentKeywords(window, state);
        DropDirectories(state.FileList);

        const int count = walk.stopped ? 0 : state.FileList.LineCount();
        ContentTests content(window, state, static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            window.ProcessPendingEvents();
            if (state.StopRequested) {
                stop = {.tested = i, .total = count};
                break;
            }
            window.SetProgressText(DecimalText(i) + " / " +
                                   DecimalText(state.FileList.LineCount()));
            const std::string& path = state.FileList.Lines()[static_cast<std::size_t>(i)];
            if (!PassesExtensionTest(window, path) || !PassesNameTests(window, path))
                continue;
            switch (content.Test(window, static_cast<std::size_t>(i))) {
                case ContentOutcome::Hit:
                    state.HitList.AppendLine(path);
                    break;
                case ContentOutcome::Unreadable:
                    unreadable.push_back(path);
                    break;
                case ContentOutcome::Miss:
                    break;
            }
        }
        ShowResults(window, state);
    }
    // After a stop the status bar tells how far the run came; the report would only interrupt.
    if (stop) {
        stop->hits = state.HitList.LineCount();
        stop->unreadableFiles = static_cast<int>(unreadable.size());
        stop->unreadableFolders = static_cast<int>(walk.unopened.size());
        window.SetProgressText(StoppedRunText(*stop));
        return;
    }
    if (!unreadable.empty() || !walk.unopened.empty())
        throw EFOpenError(unreadable, walk.unopened);
}

void ShowResults(SearchWindow& window, SearchState& state) {
    const std::vector<std::string>& hits = state.HitList.Lines();
    const bool fullPaths = window.FullPaths();
    TStringList shown;
    state.ResultLineHits.clear();
    for (std::size_t i = 0; i < hits.size(); ++i) {
        shown.AppendLine(fullPaths ? hits[i] : FileNamePart(hits[i]));
        const int lines = 1 + LineBreaks(shown.Lines().back());
        state.ResultLineHits.insert(state.ResultLineHits.end(), lines, static_cast<int>(i));
    }
    window.SetResultText(shown.Text());
}

}  // namespace tanmira
