// The search run: walks the chosen folder, tests each file against the extension list, the two
// file-name keywords and the two content keywords, and shows the hits.
#pragma once

#include <string>
#include <vector>

#include "search/keyword_encoding.h"
#include "search/path_list.h"
#include "search/search_window.h"
#include "search/string_list.h"

namespace tanmira {

// The state a search keeps between runs; the main window owns one.
struct SearchState {
    bool StopRequested = false;
    KeywordForms ContentKeyword;
    KeywordEncoding ContentEncoding = KeywordEncoding::ShiftJis;  // of ContentKeyword's forms
    KeywordForms ContentExcludeKeyword;
    PathList FileList;
    TStringList HitList;  // kept only for events that show the result lines
    // The lines of the result box with the hit each shows. Rebuilt by every result display,
    // emptied at the start of a run (the box's lines then no longer name these hits).
    std::vector<ResultLine> ResultLines;
};

// Raises EKeywordError for a content keyword of request that no form of its encoding can hold.
// The run searches such a keyword as matching no file; the window and the command line call this
// first, so that the user learns why, and start nothing.
void CheckContentKeywords(const SearchRequest& request);

// Runs one search to its end. During the walk the window shows the count of listed entries and
// handles its events about 30 times a second; a stop then ends the run before the first file.
// Files that cannot be opened or read to their end, and folders that cannot be opened, are
// skipped (neither hit nor miss); when there were any, the run raises EFOpenError with
// UnreadableReport, after the results are shown and the start control is enabled again. A
// stopped run shows the hits found so far and raises nothing: the progress text ends as
// StoppedRunText.
// The request is read once at the start; live for each file (and by the result display at the
// end); events tell the window what the run does.
void SearchRun(const SearchRequest& request, const LiveControls& live, SearchEvents& events,
               SearchState& state);

// Rebuilds the result lines from the hit list, full paths or file names, and hands them to
// events (an empty list, and none kept, when events does not show them). A hit's text is split
// at each CR LF, lone CR and lone LF into lines of the same hit.
void ShowResults(bool fullPaths, SearchState& state, SearchEvents& events);

}  // namespace tanmira
