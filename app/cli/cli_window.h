// The search window of tanmira-cli: the run's request and live controls taken from the
// command-line options, and the events of which it prints the result lines.
#pragma once

#include <ostream>

#include "app/cli/cli_options.h"
#include "search/search_run.h"
#include "search/search_window.h"

namespace tanmira::cli {

SearchRequest RequestOf(const CliOptions& options);
LiveControls LiveControlsOf(const CliOptions& options);

// Prints the files found to out when the run shows its results: each name's exact bytes (the full
// path or the file name) followed by a line break. The result lines cannot be printed instead:
// they split a name that holds a line break.
class CliEvents : public SearchEvents {
  public:
    CliEvents(std::ostream& out, const SearchState& state, bool fullPaths)
        : out_(out), state_(state), fullPaths_(fullPaths) {}
    void SetResultLines(const std::vector<ResultLine>& lines) override;

  private:
    std::ostream& out_;
    const SearchState& state_;
    bool fullPaths_;
};

}  // namespace tanmira::cli
