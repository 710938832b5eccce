// What a search run needs from the window that starts it: the request read once at the start, the
// live controls read for each file, and the events through which the run shows what it does.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "search/encodings.h"

namespace tanmira {

struct MatchedLines;

// The lines the window's extension list holds at start.
const std::vector<std::string>& StoredExtensionLines();

// What a run reads once, at its start. Texts are byte strings in the system code page.
struct SearchRequest {
    std::string folder;       // DirectoryListBox1.Directory
    bool subfolders = false;  // CheckBox2
    // ComboBox1's chosen item; nothing when no item is chosen, and the content keywords of the
    // previous run are then searched again.
    std::optional<KeywordEncoding> encoding;
    std::string content;         // Edit2
    std::string contentExclude;  // Edit3
    // Threads of the run, the loop's included; 0: as TANMIRA_THREADS says, else one per
    // processor the run may use.
    unsigned threads = 0;
    // With a number, the run's own scan also takes the matching lines of the content keyword in
    // each file found, at most this many listed (the rest counted), and shows them as it goes.
    std::optional<std::size_t> matchedLines = std::nullopt;
};

// The controls a user may change during a run, as the run reads them for each file (and, for the
// display form, when it shows the results). The window keeps its copy current between files; the
// read-ahead worker keeps the copy taken at the start of the run.
struct LiveControls {
    std::string name;         // Edit4
    std::string nameExclude;  // Edit5
    // Memo2.Lines; empty when Memo2's whole text is empty, and every extension then passes.
    std::vector<std::string> extensionLines;
    bool extensionListEnabled = true;  // Memo2.Enabled
    bool contentEmpty = true;          // Edit2 holds no text: the content test passes at once
    bool contentExcludeEmpty = true;   // Edit3 holds no text: the exclusion test passes at once
    bool fullPaths = false;            // CheckBox1: the result display shows full paths
};

// One line of the result box and the index in the hit list of the hit it shows: a file name that
// holds line breaks spans several lines.
struct ResultLine {
    std::string text;
    int hit = 0;
    friend bool operator==(const ResultLine&, const ResultLine&) = default;
};

// The progress text of the file loop at file (from 0) of total: "file / total".
std::string FileProgressText(int file, int total);

// What a run tells the window. Every method does nothing unless overridden (SetFileProgress
// passes its text on to SetProgressText).
class SearchEvents {
  public:
    virtual ~SearchEvents() = default;

    virtual void SetStartEnabled(bool /*enabled*/) {}             // Button2.Enabled
    virtual void SetProgressText(const std::string& /*text*/) {}  // status bar
    // The file loop is at file (from 0) of total, for every file: by default shows its
    // FileProgressText. A window that shows few of them builds the text only for those.
    virtual void SetFileProgress(int file, int total);
    virtual void SetResultLines(const std::vector<ResultLine>& /*lines*/) {}  // Memo1
    // Whether the window shows the hit list as result lines at the end of a run. One that does
    // not (it takes each hit from HitFound) is still told when the results are ready, by an empty
    // list, and the run keeps no hit list for it: a million hits would double the run's memory.
    virtual bool ShowsResultLines() const { return true; }

    // Each file found, as the run finds it (in the order of the hit list), with its matching
    // lines when the request asks for them (null otherwise).
    virtual void HitFound(const std::string& /*path*/, const MatchedLines* /*lines*/) {}

    // Lets the window handle every pending event once (clicks, timers, close requests); the live
    // controls may change only here.
    virtual void ProcessPendingEvents() {}
    // Whether the events ProcessPendingEvents handles may change files: the run then checks every
    // file scanned ahead of its turn against the file as it stands after them. True unless a
    // window knows better, so that one that forgets to say is never answered from a stale scan.
    virtual bool EventsMayChangeFiles() const { return true; }
};

}  // namespace tanmira
