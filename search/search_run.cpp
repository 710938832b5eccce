// The search run and the result display.
#include "search/search_run.h"

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

void PrepareContentKeywords(const SearchWindow& window, SearchState& state) {
    const std::optional<KeywordEncoding> encoding = window.ContentEncoding();
    if (!encoding)
        return;  // no encoding chosen: the keywords stay as they were
    state.ContentKeyword = PrepareKeywordForms(window.ContentText(), *encoding);
    state.ContentExcludeKeyword = PrepareKeywordForms(window.ContentExcludeText(), *encoding);
}

// Keeps the files of the walk's list, dropping directory entries, without touching any entry.
void DropDirectories(TStringList& list) {
    std::vector<std::string> files;
    std::vector<std::string> entries;
    list.SwapLines(entries);
    files.reserve(entries.size());
    for (std::string& entry : entries) {
        if (!EndsInSeparator(entry))
            files.push_back(std::move(entry));
    }
    list.SwapLines(files);
}

bool PassesExtensionTest(const SearchWindow& window, const std::string& path) {
    if (window.ExtensionListEmpty() || !window.ExtensionListEnabled())
        return true;
    std::string extension = FoldCase(ExtensionPart(path));
    if (!extension.empty())
        extension.erase(0, 1);  // the dot
    for (const std::string& line : window.ExtensionLines()) {
        if (SameBytes(extension, FoldCase(line)))
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
    {
        StartControlLock lock(window);
        ListFiles(window.FolderToSearch(), kListedAttributes, true, true, state.FileList,
                  window.IncludeSubfolders(), true);
        state.HitList.ClearLines();
        state.ResultLineHits.clear();  // the box's lines no longer name these hits
        PrepareContentKeywords(window, state);
        DropDirectories(state.FileList);

        const std::vector<ContentPattern> include = PatternsOf(state.ContentKeyword);
        const std::vector<ContentPattern> exclude = PatternsOf(state.ContentExcludeKeyword);
        ContentScanner scanner;
        const int count = state.FileList.LineCount();
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
    if (!unreadable.empty())
        throw EFOpenError(unreadable.front(), static_cast<int>(unreadable.size()) - 1);
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
