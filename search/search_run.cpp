// The search run and the result display.
#include "search/search_run.h"

#include <chrono>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "search/content_scan.h"
#include "search/directory_walk.h"
#include "search/exceptions.h"
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

// Raises the end-of-run report when some files or folders could not be read: the first file is
// named, or the first folder when no file failed; the count covers both.
void ReportUnreadable(const std::vector<std::string>& files,
                      const std::vector<std::string>& folders) {
    const int others = static_cast<int>(files.size() + folders.size()) - 1;
    if (!files.empty())
        throw EFOpenError(files.front(), others);
    if (!folders.empty())
        throw EFOpenError(folders.front(), others);
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

bool PassesExtensionTest(const SearchWindow& window, const std::string& path) {
    if (window.ExtensionListEmpty() || !window.ExtensionListEnabled())
        return true;
    std::string extension = FoldCase(ExtensionPart(path));
    if (!extension.empty())
        extension.erase(0, 1);  // the dot
    for (const std::string& line : window.ExtensionLines()) {
        // Folding keeps the length: only lines as long as the extension can equal it.
        if (line.size() == extension.size() && SameBytes(extension, FoldCase(line)))
            return true;
    }
    return false;
}

bool PassesNameTests(const SearchWindow& window, const std::string& path) {
    const std::string& include = window.NameText();
    const std::string& exclude = window.NameExcludeText();
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

// Whether any of count answers from first on is a find.
bool AnyFound(const std::vector<bool>& found, std::size_t first, std::size_t count) {
    for (std::size_t k = first; k < first + count; ++k) {
        if (found[k])
            return true;
    }
    return false;
}

// Reads the file once for every form of both keywords.
ContentOutcome TestContent(const SearchWindow& window, ContentScanner& scanner,
                           const std::string& path, const std::vector<ContentPattern>& include,
                           const std::vector<ContentPattern>& exclude) {
    const bool testExclude = !window.ContentExcludeText().empty();
    const bool testInclude = !window.ContentText().empty();
    if (!testExclude && !testInclude)
        return ContentScanner::CanOpen(path) ? ContentOutcome::Hit : ContentOutcome::Unreadable;

    std::vector<const ContentPattern*> patterns;
    const std::size_t excludeCount = testExclude ? exclude.size() : 0;
    const std::size_t includeCount = testInclude ? include.size() : 0;
    for (std::size_t k = 0; k < excludeCount; ++k)
        patterns.push_back(&exclude[k]);
    for (std::size_t k = 0; k < includeCount; ++k)
        patterns.push_back(&include[k]);
    const std::optional<std::vector<bool>> found = scanner.Scan(path, patterns);
    if (!found)
        return ContentOutcome::Unreadable;
    if (AnyFound(*found, 0, excludeCount))
        return ContentOutcome::Miss;
    if (testInclude && !AnyFound(*found, excludeCount, includeCount))
        return ContentOutcome::Miss;
    return ContentOutcome::Hit;
}

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
    {
        StartControlLock lock(window);
        walk = WalkForRun(window, state);
        state.HitList.ClearLines();
        state.ResultLineHits.clear();  // the box's lines no longer name these hits
        PrepareContentKeywords(window, state);
        DropDirectories(state.FileList);

        const std::vector<ContentPattern> include = PatternsOf(state.ContentKeyword);
        const std::vector<ContentPattern> exclude = PatternsOf(state.ContentExcludeKeyword);
        ContentScanner scanner;
        const int count = walk.stopped ? 0 : state.FileList.LineCount();
        for (int i = 0; i < count; ++i) {
            window.ProcessPendingEvents();
            if (state.StopRequested)
                break;
            window.SetProgressText(DecimalText(i) + " / " +
                                   DecimalText(state.FileList.LineCount()));
            const std::string& path = state.FileList.Lines()[static_cast<std::size_t>(i)];
            if (!PassesExtensionTest(window, path) || !PassesNameTests(window, path))
                continue;
            switch (TestContent(window, scanner, path, include, exclude)) {
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
    ReportUnreadable(unreadable, walk.unopened);
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
