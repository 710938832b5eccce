// The search window of tanmira-cli: the run's request and live controls taken from the
// command-line options, the events through which it prints the names found and shows progress, and
// the printing of what was found in each output mode.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "search/search_run.h"
#include "search/search_window.h"

namespace tanmira::cli {

SearchRequest RequestOf(const CliOptions& options);
LiveControls LiveControlsOf(const CliOptions& options);

// Prints the files found to standard output when the run shows its results and printNames: each
// name's exact bytes (the full path or the file name) followed by a line break. It asks for no
// result lines (they split a name that holds a line break). With showProgress, shows
// the run's progress on one line of standard error (a terminal), repainted at most 10 times a
// second by a carriage return and spaces over what was shown before, which every terminal and
// console understands (escape sequences are printed as they are by some consoles).
class CliEvents : public SearchEvents {
  public:
    CliEvents(const SearchState& state, bool fullPaths, bool printNames, bool showProgress)
        : state_(state),
          fullPaths_(fullPaths),
          printNames_(printNames),
          showProgress_(showProgress) {}
    ~CliEvents() override { EraseProgress(); }
    void SetResultLines(const std::vector<ResultLine>& lines) override;
    bool ShowsResultLines() const override { return false; }
    void SetProgressText(const std::string& text) override;

    // Clears the progress line, so that what follows starts on a clean line.
    void EraseProgress();

  private:
    const SearchState& state_;
    bool fullPaths_;
    bool printNames_;
    bool showProgress_;
    std::size_t shownColumns_ = 0;  // of the progress line on the terminal
    bool shown_ = false;
    std::chrono::steady_clock::time_point painted_{};
};

// What PrintFound printed.
struct PrintedResults {
    bool found = false;                   // the run found at least one file
    std::vector<std::string> unreadable;  // hits that could not be read again for their lines
};

// Prints to standard output what options ask for of the hits of a run that ended (state's hit
// list, content keyword): names ending in a 0 byte, or the lines holding the keyword, their count
// per file or JSON objects. The names output with line breaks is the events'.
PrintedResults PrintFound(const CliOptions& options, const SearchState& state);

// The JSON object of one matching line. A path that is not valid UTF-8 is given as
// {"bytes": [its byte values]}.
std::string JsonLine(const std::string& path, std::uint64_t line, std::size_t column,
                     const std::string& text, const char* encoding);

}  // namespace tanmira::cli
