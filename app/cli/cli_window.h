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

// Prints what options ask for of each file found to standard output, as the run finds it: its
// name's exact bytes (the full path or the file name) followed by a line break or a 0 byte (the
// result lines cannot be printed instead: they split a name that holds a line break), or its lines
// holding the content keyword, their count or JSON objects. With showProgress, shows the run's
// progress on one line of standard error (a terminal), repainted at most 10 times a second by a
// carriage return and spaces over what was shown before, which every terminal and console
// understands (escape sequences are printed as they are by some consoles). It asks for no result
// lines, and the run then keeps no hit list.
class CliEvents : public SearchEvents {
  public:
    CliEvents(const CliOptions& options, bool showProgress)
        : options_(options), showProgress_(showProgress) {}
    ~CliEvents() override { EraseProgress(); }
    void SetResultLines(const std::vector<ResultLine>& lines) override;
    bool ShowsResultLines() const override { return false; }
    bool EventsMayChangeFiles() const override { return false; }  // it handles no events
    void SetProgressText(const std::string& text) override;
    void SetFileProgress(int file, int total) override;
    void HitFound(const std::string& path, const MatchedLines* lines) override;

    // Clears the progress line, so that what follows starts on a clean line.
    void EraseProgress();

    // Whether the run found at least one file.
    bool Found() const { return found_; }

  private:
    // Whether a progress text set now is painted.
    bool ProgressDue() const;

    // Writes the names gathered so far.
    void WriteNames();

    const CliOptions& options_;
    bool showProgress_;
    bool found_ = false;
    // Names not yet written: they go out a piece of whole names at a time, so that a console's
    // conversion never meets half a character.
    std::string names_;
    std::size_t shownColumns_ = 0;  // of the progress line on the terminal
    bool shown_ = false;
    std::chrono::steady_clock::time_point painted_{};
};

// The JSON object of one matching line. A path that is not valid UTF-8 is given as
// {"bytes": [its byte values]}.
std::string JsonLine(const std::string& path, std::uint64_t line, std::size_t column,
                     const std::string& text, const char* encoding);

}  // namespace tanmira::cli
