// The search run: walks the chosen folder, tests each file against the extension list, the two
// file-name keywords and the two content keywords, and shows the hits.
#pragma once

#include <string>
#include <vector>

#include "search/keyword_encoding.h"
#include "search/search_window.h"
#include "search/string_list.h"

namespace tanmira {

// The state a search keeps between runs; the main window owns one.
struct SearchState {
    bool StopRequested = false;
    KeywordForms ContentKeyword;
    KeywordForms ContentExcludeKeyword;
    TStringList FileList;
    TStringList HitList;
    // For each line of the result text, the index in HitList of the hit it shows: a file name
    // that holds line breaks spans several lines. Rebuilt by every result display.
    std::vector<int> ResultLineHits;
};

// Runs one search to its end. During the walk the window shows the count of listed entries and
// handles its events about 30 times a second; a stop then ends the run before the first file.
// Files and folders that cannot be opened are skipped; when there were any, the run raises
// EFOpenError with UnreadableReport, after the results are shown and the start control is enabled
// again. A stopped run shows the hits found so far and raises nothing: the progress text ends as
// StoppedRunText.
void SearchRun(SearchWindow& window, SearchState& state);

// Rebuilds the result text from the hit list: full paths or file names, each followed by CR LF;
// and the line-to-hit index, counting each CR LF, lone CR and lone LF as one line break.
void ShowResults(SearchWindow& window, SearchState& state);

}  // namespace tanmira
